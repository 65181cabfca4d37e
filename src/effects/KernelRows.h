#pragma once

#include "effects/RowMemo.h"

#include <climits>
#include <cstdint>
#include <vector>

namespace KelVyxNodes {

class Base1DGenerator;
class Base3DGenerator;

// One thread's convolution over one render (sharpen, emboss, edge detection): the kernel sums
// of MaskBasedFilter, with the values computed last kept in a row memo (kernels downstream ask
// every point again and again).
//
// While the row loop walks the image, whole input rows are read once into a small ring and
// every kernel is summed from there: one input sample per pixel instead of one per kernel
// entry. Where samples come in no row order, points are summed from the input directly until
// their cost would have paid for reading the rows.
class KernelRows
{
public:
    struct Setup
    {
        int width = 0;
        int height = 0;
        float const* kernel = nullptr;
        int kernelWidth = 0;
        int kernelHeight = 0;
        float factor = 1.0f;
        float bias = 0.0f;
        Base1DGenerator const* channel = nullptr; // one of the two inputs
        Base3DGenerator const* colour = nullptr;
    };

    // Starts a render: forgets every row and value; memory already taken is kept (the render
    // gives it back with the whole state).
    void reset(Setup const& setup);
    bool sameInput(Base1DGenerator const* channel, Base3DGenerator const* colour) const
    {
        return m_setup.channel == channel && m_setup.colour == colour;
    }

    // The filtered value at (x, y): 0..255 for one channel, 0x00RRGGBB for colour. Needs a
    // kernel and an image of at least one pixel.
    unsigned int sample(int x, int y);
    // sample() of the points (x .. x + count - 1, y), the rows found once for the whole run.
    void sampleSpan(int y, int x, int count, unsigned int* out);

private:
    static constexpr int kNoRow = INT_MIN;
    static constexpr int kMaxKernelHeight = 16;
    static constexpr int kRecentMisses = 4;

    struct InputRow
    {
        int y = kNoRow;
        unsigned long long used = 0;
        std::vector<float> values; // channel values, or blue, green, red per pixel
    };
    struct Miss
    {
        int y = kNoRow;
        long long cost = 0;
    };

    unsigned int direct(int x, int y) const;
    // The image row kernel row r falls on for a point in row y, or kNoRow (colour, outside).
    int sourceRow(int y, int r) const;
    // Points rows[] at the ring's rows for row y; the number of rows not in the ring.
    int gather(int y, float const** rows);
    // Points rows[] at the rows of row y, read into the ring where that pays for `points`
    // points; false when the points are to be summed from the input directly.
    bool rowsFor(int y, int points, float const** rows);
    bool worthReading(int y, int missing, int points);
    // The sum at (x, y) from the rows of row y; x lies in the image.
    unsigned int fromRows(float const* const* rows, int x) const;
    bool ensureRing();
    void readRows(int y);

    Setup m_setup;
    RowMemo m_memo;
    std::vector<InputRow> m_ring;
    bool m_ringTried = false;
    bool m_ringUsable = false;
    unsigned long long m_clock = 0;
    Miss m_misses[kRecentMisses];
    int m_nextMiss = 0;
};

} // namespace KelVyxNodes

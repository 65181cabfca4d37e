#pragma once

#include <climits>
#include <cstdint>
#include <vector>

namespace KelVyxNodes {

class Base1DGenerator;
class Base3DGenerator;

// One thread's box blur over one render: the rounded mean of the input over the square of side
// 2r + 1 around a point, clipped to the image and left out where the selection mask is 0.
//
// A row is computed whole: running column sums over a band of 2r + 1 input rows (kept in a
// ring, so sliding the band one row down or up costs one row of input), then a running sum
// along the row. Sums and counts are integers, so every mean equals the one computed over the
// window directly, and the cost per pixel does not depend on the radius. The last rows made
// are kept for further samples (kernels downstream ask neighbouring rows again).
//
// When samples come in no row order (a rotation downstream) a row would be made for a handful
// of its pixels: then points are computed directly, sliding along the row where they follow
// each other, and a row is made only once its direct cost would have paid for it, or when the
// row loop is walking that row (RowSweepHint).
class BoxBlurRows
{
public:
    struct Setup
    {
        int width = 0;
        int height = 0;
        int radius = 0;
        unsigned char const* mask = nullptr; // width x height bytes, or null
        Base1DGenerator const* channel = nullptr; // one of the two inputs
        Base3DGenerator const* colour = nullptr;
    };

    // Starts a render: forgets every row and sum; memory already taken is kept (the render
    // gives it back with the whole state).
    void reset(Setup const& setup);

    // The blurred value at (x, y): 0..255 for one channel, 0x00RRGGBB for colour. Points
    // outside the image are computed directly (an empty window gives 0).
    unsigned int sample(int x, int y);
    // sample() for (x .. x + count - 1, y), through a whole row where the run lies in the image.
    void sampleSpan(int y, int x, int count, unsigned int* out);

    // Whether reset() was given these inputs (the one for the kind in use).
    bool sameInput(Base1DGenerator const* channel, Base3DGenerator const* colour, bool isColour) const
    {
        return isColour ? m_setup.colour == colour : m_setup.channel == channel;
    }

    // The same, computed over the window directly without any state (tests, points outside).
    static unsigned int directMean(Setup const& setup, int x, int y);

private:
    static constexpr int kNoRow = INT_MIN;
    static constexpr int kRowsKept = 16;
    static constexpr int kRecentMisses = 4;
    static constexpr std::uint32_t kNotCounted = 0xFFFFFFFFu;

    struct Row
    {
        int y = kNoRow;
        unsigned long long used = 0;
        std::vector<std::uint32_t> values;
    };
    struct Miss
    {
        int y = kNoRow;
        long long cost = 0;
    };

    bool ensureMemory();
    std::uint32_t input(int x, int y) const;
    void loadRow(int y);
    void dropRow(int y);
    void moveBand(int y);
    Row& makeRow(int y);
    long long rowCost(int y) const;
    unsigned int direct(int x, int y);

    Setup m_setup;
    int m_channels = 3;
    int m_span = 1; // 2r + 1
    bool m_rowsUsable = false;
    bool m_memoryTried = false;

    // Band: column sums (channels then count, per column) over the rows around m_bandRow.
    int m_bandRow = kNoRow;
    std::vector<int> m_columns;
    std::vector<std::uint32_t> m_ring; // m_span rows of inputs, row y at y % m_span

    Row m_rows[kRowsKept];
    int m_lastRow = 0;
    unsigned long long m_clock = 0;
    Miss m_misses[kRecentMisses];
    int m_nextMiss = 0;

    // Direct computation: the window sums of the last directly computed point.
    int m_directX = kNoRow;
    int m_directY = kNoRow;
    int m_directSum[3] = {0, 0, 0};
    int m_directCount = 0;
};

} // namespace KelVyxNodes

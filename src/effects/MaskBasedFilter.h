#pragma once

class QPoint;

namespace KelVyxNodes {

class Base1DGenerator;
class Base3DGenerator;

// The kernel sums of the convolution filters (sharpen, emboss, edge detection). A kernel is
// kernelWidth x kernelHeight floats, row-major, centred on the point (halves by integer
// division). Sums run in single precision; the weighted sum times factor plus bias is truncated
// and held to 0..255. Width and height are the image's; the point may lie anywhere.
class MaskBasedFilter
{
public:
    MaskBasedFilter() = delete;

    // One channel: neighbours beyond an edge wrap around to the opposite edge. With an empty
    // image there is nothing to wrap into: the source's value at the point, unfiltered.
    static unsigned int filter1(Base1DGenerator const* source, int width, int height,
                                QPoint const& point, int kernelWidth, int kernelHeight,
                                float const* kernel, float factor, float bias);
    // Colour: neighbours outside the image add nothing (the kernel is not renormalised).
    static unsigned int filter3(Base3DGenerator const* source, int width, int height,
                                QPoint const& point, int kernelWidth, int kernelHeight,
                                float const* kernel, float factor, float bias);

    // The same sums over source rows read beforehand, with the same operations in the same
    // order, so the results are those above. rows[r] holds the source row kernel row r falls
    // on as floats (each byte converted exactly): one channel, `width` values of wrapped rows;
    // colour, `width` triples blue, green, red and one float more (read, never used), null for
    // a row outside the image. x lies in the image.
    static unsigned int filter1Rows(float const* const* rows, int width, int x, int kernelWidth,
                                    int kernelHeight, float const* kernel, float factor,
                                    float bias);
    static unsigned int filter3Rows(float const* const* rows, int width, int x, int kernelWidth,
                                    int kernelHeight, float const* kernel, float factor,
                                    float bias);
    // filter3Rows of the points x .. x + count - 1 (all in the image) into out.
    static void filter3RowsSpan(float const* const* rows, int width, int x, int count, int kernelWidth,
                                int kernelHeight, float const* kernel, float factor, float bias,
                                unsigned int* out);
};

} // namespace KelVyxNodes

#include "effects/MaskBasedFilter.h"

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/ByteClamp.h"

#include <QPoint>

#include <algorithm>
#include <cstring>
#include <cstdint>

namespace KelVyxNodes {

namespace {

// Always in 0..size-1, also for coordinates far outside the image (64-bit, so no overflow).
int wrap(std::int64_t coordinate, int size)
{
    std::int64_t r = coordinate % size;
    if (r < 0)
        r += size;
    return static_cast<int>(r);
}

// Truncation toward zero held to 0..255; clamping first keeps the conversion defined.
unsigned int toByte(float sum, float factor, float bias)
{
    const float v = sum * factor + bias;
    return static_cast<unsigned int>(byteClamp(static_cast<double>(v)));
}

} // namespace

unsigned int MaskBasedFilter::filter1(Base1DGenerator const* source, int width, int height,
                                      QPoint const& point, int kernelWidth, int kernelHeight,
                                      float const* kernel, float factor, float bias)
{
    if (width <= 0 || height <= 0 || kernelWidth <= 0 || kernelHeight <= 0 || !kernel)
        return source->getSample(point);

    const int halfW = kernelWidth / 2;
    const int halfH = kernelHeight / 2;
    const int count = kernelWidth * kernelHeight;
    float sum = 0.0f;
    for (int i = 0; i < count; ++i) {
        const int row = i / kernelWidth;
        const int column = i % kernelWidth;
        const int x = wrap(std::int64_t(point.x()) - halfW + column, width);
        const int y = wrap(std::int64_t(point.y()) - halfH + row, height);
        const unsigned int value = source->getSample(QPoint(x, y)) & 0xFFu;
        sum += static_cast<float>(value) * kernel[i];
    }
    return toByte(sum, factor, bias);
}

unsigned int MaskBasedFilter::filter3(Base3DGenerator const* source, int width, int height,
                                      QPoint const& point, int kernelWidth, int kernelHeight,
                                      float const* kernel, float factor, float bias)
{
    if (width <= 0 || height <= 0 || kernelWidth <= 0 || kernelHeight <= 0 || !kernel)
        return source->getSample3(point);

    const int halfW = kernelWidth / 2;
    const int halfH = kernelHeight / 2;
    const int count = kernelWidth * kernelHeight;
    float blue = 0.0f;
    float green = 0.0f;
    float red = 0.0f;
    for (int i = 0; i < count; ++i) {
        const int row = i / kernelWidth;
        const int column = i % kernelWidth;
        const std::int64_t x = std::int64_t(point.x()) - halfW + column;
        const std::int64_t y = std::int64_t(point.y()) - halfH + row;
        if (x < 0 || y < 0 || x >= width || y >= height)
            continue;
        const unsigned int c = source->getSample3(QPoint(int(x), int(y)));
        blue += static_cast<float>(c & 0xFFu) * kernel[i];
        green += static_cast<float>((c >> 8) & 0xFFu) * kernel[i];
        red += static_cast<float>((c >> 16) & 0xFFu) * kernel[i];
    }
    return (toByte(red, factor, bias) << 16) | (toByte(green, factor, bias) << 8)
           | toByte(blue, factor, bias);
}

// Kernel entries are visited row by row as i runs over the array, so the sums see the same
// additions in the same order as filter1 / filter3.
unsigned int MaskBasedFilter::filter1Rows(float const* const* rows, int width, int x,
                                          int kernelWidth, int kernelHeight, float const* kernel,
                                          float factor, float bias)
{
    const int halfW = kernelWidth / 2;
    const int first = wrap(std::int64_t(x) - halfW, width);
    float sum = 0.0f;
    for (int row = 0; row < kernelHeight; ++row) {
        float const* values = rows[row];
        float const* weights = kernel + row * kernelWidth;
        int cx = first;
        for (int column = 0; column < kernelWidth; ++column) {
            sum += values[cx] * weights[column];
            if (++cx == width)
                cx = 0;
        }
    }
    return toByte(sum, factor, bias);
}

namespace {

// Blue, green and red side by side in one vector (the fourth lane is the next value, never
// used): each lane takes the same products and sums in the same order as three scalar sums
// would, so the results are theirs.
typedef float Float4 __attribute__((vector_size(16)));

Float4 pixelAt(float const* values)
{
    Float4 c;
    std::memcpy(&c, values, sizeof c);
    return c;
}

typedef int Int4 __attribute__((vector_size(16)));

// toByte of each sum, as a colour: the clamp lane by lane without a branch (NaN and v <= 0
// give 0, v >= 255 gives 255, the rest is truncated).
unsigned int packSums(Float4 sum, float factor, float bias)
{
    const Float4 v = sum * Float4{factor, factor, factor, factor} + Float4{bias, bias, bias, bias};
    Float4 held = v < 255.0f ? v : Float4{255.0f, 255.0f, 255.0f, 255.0f};
    held = v > 0.0f ? held : Float4{0.0f, 0.0f, 0.0f, 0.0f};
    const Int4 bytes = __builtin_convertvector(held, Int4);
    return unsigned(bytes[2]) << 16 | unsigned(bytes[1]) << 8 | unsigned(bytes[0]);
}

} // namespace

unsigned int MaskBasedFilter::filter3Rows(float const* const* rows, int width, int x,
                                          int kernelWidth, int kernelHeight, float const* kernel,
                                          float factor, float bias)
{
    const int halfW = kernelWidth / 2;
    // Columns of the kernel that fall inside the image.
    const int firstColumn = std::max(0, halfW - x);
    const int endColumn = std::min(kernelWidth, width - x + halfW);
    Float4 sum = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int row = 0; row < kernelHeight; ++row) {
        float const* values = rows[row];
        if (!values)
            continue;
        float const* weights = kernel + row * kernelWidth;
        for (int column = firstColumn; column < endColumn; ++column) {
            const float w = weights[column];
            sum += pixelAt(values + 3 * (x - halfW + column)) * Float4{w, w, w, w};
        }
    }
    return packSums(sum, factor, bias);
}

void MaskBasedFilter::filter3RowsSpan(float const* const* rows, int width, int x, int count,
                                      int kernelWidth, int kernelHeight, float const* kernel,
                                      float factor, float bias, unsigned int* out)
{
    // Four points at a time where the whole kernel lies in the image: four sums side by side,
    // each with the operations of filter3Rows in its order, so that their chains of additions
    // overlap.
    constexpr int kGroup = 4;
    const int halfW = kernelWidth / 2;
    int i = 0;
    while (i < count) {
        const long long px = static_cast<long long>(x) + i;
        if (i + kGroup > count || px < halfW || px + kGroup - 1 + halfW >= width) {
            out[i] = filter3Rows(rows, width, int(px), kernelWidth, kernelHeight, kernel, factor, bias);
            ++i;
            continue;
        }
        // Named sums, so that they stay in registers.
        Float4 s0 = {0.0f, 0.0f, 0.0f, 0.0f};
        Float4 s1 = s0;
        Float4 s2 = s0;
        Float4 s3 = s0;
        for (int row = 0; row < kernelHeight; ++row) {
            float const* values = rows[row];
            if (!values)
                continue;
            float const* weights = kernel + row * kernelWidth;
            float const* c = values + 3 * (px - halfW);
            for (int column = 0; column < kernelWidth; ++column, c += 3) {
                const float w = weights[column];
                const Float4 weight = {w, w, w, w};
                s0 += pixelAt(c) * weight;
                s1 += pixelAt(c + 3) * weight;
                s2 += pixelAt(c + 6) * weight;
                s3 += pixelAt(c + 9) * weight;
            }
        }
        out[i] = packSums(s0, factor, bias);
        out[i + 1] = packSums(s1, factor, bias);
        out[i + 2] = packSums(s2, factor, bias);
        out[i + 3] = packSums(s3, factor, bias);
        i += kGroup;
    }
}

} // namespace KelVyxNodes

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

unsigned int MaskBasedFilter::filter3Rows(float const* const* rows, int width, int x,
                                          int kernelWidth, int kernelHeight, float const* kernel,
                                          float factor, float bias)
{
    // Blue, green and red side by side in one vector (the fourth lane is the next value, never
    // used): each lane takes the same products and sums in the same order as three scalar
    // sums would, so the results are theirs.
    typedef float Float4 __attribute__((vector_size(16)));
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
            Float4 c;
            std::memcpy(&c, values + 3 * (x - halfW + column), sizeof c);
            const float w = weights[column];
            const Float4 weight = {w, w, w, w};
            sum += c * weight;
        }
    }
    return (toByte(sum[2], factor, bias) << 16) | (toByte(sum[1], factor, bias) << 8)
           | toByte(sum[0], factor, bias);
}

} // namespace KelVyxNodes

#include "app/ImageLibraryFilters.h"

#include "params/Rounding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using Bitmap = ImageLibrary::Bitmap;
using LookupTable = std::array<unsigned char, 256>;

bool usable(const Bitmap* bitmap)
{
    return bitmap && bitmap->type == ImageLibrary::ARGB && bitmap->data && bitmap->width > 0
           && bitmap->height > 0 && bitmap->bytesPerPixel == 4 && bitmap->bytesPerLine >= bitmap->width * 4;
}

unsigned char clampByte(double value)
{
    return static_cast<unsigned char>(std::clamp(KelUtils::roundHalfUpToInt(value), 0, 255));
}

// Colour channel c (0 red, 1 green, 2 blue) of the pixel at (x, y), edges repeated.
unsigned char channelAt(const std::vector<unsigned char>& copy, const Bitmap* bitmap, int x, int y, int c)
{
    x = std::clamp(x, 0, bitmap->width - 1);
    y = std::clamp(y, 0, bitmap->height - 1);
    return copy[static_cast<size_t>(y) * bitmap->bytesPerLine + x * 4 + 1 + c];
}

std::vector<unsigned char> snapshot(const Bitmap* bitmap)
{
    return std::vector<unsigned char>(bitmap->data,
                                      bitmap->data + static_cast<size_t>(bitmap->bytesPerLine) * bitmap->height);
}

template<typename Function>
void forEachColourByte(Bitmap* bitmap, Function function)
{
    for (int y = 0; y < bitmap->height; ++y) {
        unsigned char* row = bitmap->data + static_cast<size_t>(y) * bitmap->bytesPerLine;
        for (int x = 0; x < bitmap->width; ++x) {
            for (int c = 0; c < 3; ++c)
                function(row[x * 4 + 1 + c], x, y, c);
        }
    }
}

// Separable filter with symmetric weights (index 0 is the centre), normalised by their sum.
void separable(Bitmap* bitmap, const std::vector<double>& weights)
{
    const int radius = static_cast<int>(weights.size()) - 1;
    double total = weights[0];
    for (int i = 1; i <= radius; ++i)
        total += 2.0 * weights[i];
    const std::vector<unsigned char> copy = snapshot(bitmap);
    const int width = bitmap->width;
    std::vector<double> rows(static_cast<size_t>(width) * bitmap->height * 3);
    for (int y = 0; y < bitmap->height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                double sum = weights[0] * channelAt(copy, bitmap, x, y, c);
                for (int i = 1; i <= radius; ++i)
                    sum += weights[i] * (channelAt(copy, bitmap, x - i, y, c) + channelAt(copy, bitmap, x + i, y, c));
                rows[(static_cast<size_t>(y) * width + x) * 3 + c] = sum;
            }
        }
    }
    auto rowValue = [&](int x, int y, int c) {
        y = std::clamp(y, 0, bitmap->height - 1);
        return rows[(static_cast<size_t>(y) * width + x) * 3 + c];
    };
    forEachColourByte(bitmap, [&](unsigned char& value, int x, int y, int c) {
        double sum = weights[0] * rowValue(x, y, c);
        for (int i = 1; i <= radius; ++i)
            sum += weights[i] * (rowValue(x, y - i, c) + rowValue(x, y + i, c));
        value = clampByte(sum / (total * total));
    });
}

void mixWithOriginal(Bitmap* bitmap, const std::vector<unsigned char>& original, int percentage)
{
    const double amount = std::clamp(percentage, 0, 100) / 100.0;
    forEachColourByte(bitmap, [&](unsigned char& value, int x, int y, int c) {
        const double before = channelAt(original, bitmap, x, y, c);
        value = clampByte(before + (value - before) * amount);
    });
}

void applyTables(Bitmap* bitmap, const LookupTable (&tables)[3])
{
    forEachColourByte(bitmap, [&](unsigned char& value, int, int, int c) { value = tables[c][value]; });
}

// One table for every colour channel.
void applyTable(Bitmap* bitmap, const LookupTable& table)
{
    forEachColourByte(bitmap, [&](unsigned char& value, int, int, int) { value = table[value]; });
}

// Linear map of lo..hi onto 0..255; identity when the range is empty.
LookupTable stretch(int lo, int hi)
{
    LookupTable table;
    for (int v = 0; v < 256; ++v)
        table[v] = hi > lo ? clampByte((v - lo) * 255.0 / (hi - lo)) : static_cast<unsigned char>(v);
    return table;
}

void histograms(const Bitmap* bitmap, std::array<qint64, 256> (&counts)[3])
{
    for (auto& count : counts)
        count.fill(0);
    for (int y = 0; y < bitmap->height; ++y) {
        const unsigned char* row = bitmap->data + static_cast<size_t>(y) * bitmap->bytesPerLine;
        for (int x = 0; x < bitmap->width; ++x) {
            for (int c = 0; c < 3; ++c)
                ++counts[c][row[x * 4 + 1 + c]];
        }
    }
}

int lowest(const std::array<qint64, 256>& count)
{
    int v = 0;
    while (v < 255 && count[v] == 0)
        ++v;
    return v;
}

int highest(const std::array<qint64, 256>& count)
{
    int v = 255;
    while (v > 0 && count[v] == 0)
        --v;
    return v;
}

// The fixed 3 x 3 filters: kernel in rows, divisor and offset.
struct Kernel
{
    int weights[9];
    int divisor;
    int offset;
};

constexpr Kernel MeanKernel{{1, 1, 1, 1, 1, 1, 1, 1, 1}, 9, 0};
constexpr Kernel BinomialKernel{{1, 2, 1, 2, 4, 2, 1, 2, 1}, 16, 0};
constexpr Kernel EmbossKernel{{-1, -1, 0, -1, 0, 1, 0, 1, 1}, 1, 128};
constexpr Kernel EmbossMoreKernel{{-2, -2, 0, -2, 0, 2, 0, 2, 2}, 1, 128};
constexpr Kernel EdgeHeavyKernel{{-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1, 0};
constexpr Kernel EdgeMediumKernel{{0, -1, 0, -1, 4, -1, 0, -1, 0}, 1, 0};
constexpr Kernel EdgeLightKernel{{0, -1, 0, -1, 4, -1, 0, -1, 0}, 2, 0};
constexpr Kernel FocusRestorationKernel{{0, -1, 0, -1, 5, -1, 0, -1, 0}, 1, 0};
constexpr Kernel EnhanceFocusKernel{{-1, -1, -1, -1, 9, -1, -1, -1, -1}, 1, 0};
constexpr Kernel EnhanceDetailKernel{{0, -1, 0, -1, 8, -1, 0, -1, 0}, 4, 0};

// The kernel's result mixed with the original by `percentage`; from 100 on that is the result
// alone, which needs no copy of the original.
ImageLibrary::Error applyKernel(Bitmap* bitmap, const Kernel& kernel, int percentage = 100)
{
    if (percentage >= 100)
        return ImageLibraryFilters::convolve3x3(bitmap, kernel.weights, kernel.divisor, kernel.offset);
    if (!usable(bitmap))
        return ImageLibrary::BadBitmap;
    const std::vector<unsigned char> original = snapshot(bitmap);
    ImageLibraryFilters::convolve3x3(bitmap, kernel.weights, kernel.divisor, kernel.offset);
    mixWithOriginal(bitmap, original, percentage);
    return ImageLibrary::NoError;
}

} // namespace

ImageLibrary::Error ImageLibraryFilters::convolve3x3(Bitmap* bitmap, const int (&kernel)[9], int divisor, int offset)
{
    if (!usable(bitmap) || divisor == 0)
        return ImageLibrary::BadBitmap;
    const std::vector<unsigned char> copy = snapshot(bitmap);
    forEachColourByte(bitmap, [&](unsigned char& value, int x, int y, int c) {
        int sum = 0;
        for (int ky = 0; ky < 3; ++ky) {
            for (int kx = 0; kx < 3; ++kx)
                sum += kernel[ky * 3 + kx] * channelAt(copy, bitmap, x + kx - 1, y + ky - 1, c);
        }
        value = clampByte(static_cast<double>(sum) / divisor + offset);
    });
    return ImageLibrary::NoError;
}

ImageLibrary::Error ImageLibraryFilters::gaussianBlur(Bitmap* bitmap, int size)
{
    if (!usable(bitmap))
        return ImageLibrary::BadBitmap;
    const int radius = std::min(size, 255) / 2;
    if (radius < 1)
        return ImageLibrary::NoError;
    const double sigma = radius / 2.0;
    std::vector<double> weights(radius + 1);
    for (int i = 0; i <= radius; ++i)
        weights[i] = std::exp(-(i * i) / (2.0 * sigma * sigma));
    separable(bitmap, weights);
    return ImageLibrary::NoError;
}

ImageLibrary::Error ImageLibraryFilters::average(Bitmap* bitmap, int size)
{
    if (!usable(bitmap))
        return ImageLibrary::BadBitmap;
    const int radius = std::min(size, 255) / 2;
    if (radius >= 1)
        separable(bitmap, std::vector<double>(radius + 1, 1.0));
    return ImageLibrary::NoError;
}

ImageLibrary::Error ImageLibraryFilters::blur(Bitmap* bitmap, int percentage)
{
    return applyKernel(bitmap, MeanKernel, percentage);
}

ImageLibrary::Error ImageLibraryFilters::soften(Bitmap* bitmap, int percentage)
{
    return applyKernel(bitmap, BinomialKernel, percentage);
}

ImageLibrary::Error ImageLibraryFilters::reduceNoise(Bitmap* bitmap)
{
    if (!usable(bitmap))
        return ImageLibrary::BadBitmap;
    const std::vector<unsigned char> copy = snapshot(bitmap);
    forEachColourByte(bitmap, [&](unsigned char& value, int x, int y, int c) {
        std::array<unsigned char, 9> around;
        for (int i = 0; i < 9; ++i)
            around[i] = channelAt(copy, bitmap, x + i % 3 - 1, y + i / 3 - 1, c);
        std::nth_element(around.begin(), around.begin() + 4, around.end());
        value = around[4];
    });
    return ImageLibrary::NoError;
}

ImageLibrary::Error ImageLibraryFilters::emboss(Bitmap* bitmap)
{
    return applyKernel(bitmap, EmbossKernel);
}

ImageLibrary::Error ImageLibraryFilters::embossMore(Bitmap* bitmap)
{
    return applyKernel(bitmap, EmbossMoreKernel);
}

ImageLibrary::Error ImageLibraryFilters::edgeDetectHeavy(Bitmap* bitmap)
{
    return applyKernel(bitmap, EdgeHeavyKernel);
}

ImageLibrary::Error ImageLibraryFilters::edgeDetectMedium(Bitmap* bitmap)
{
    return applyKernel(bitmap, EdgeMediumKernel);
}

ImageLibrary::Error ImageLibraryFilters::edgeDetectLight(Bitmap* bitmap)
{
    return applyKernel(bitmap, EdgeLightKernel);
}

ImageLibrary::Error ImageLibraryFilters::focusRestoration(Bitmap* bitmap)
{
    return applyKernel(bitmap, FocusRestorationKernel);
}

ImageLibrary::Error ImageLibraryFilters::enhanceFocus(Bitmap* bitmap)
{
    return applyKernel(bitmap, EnhanceFocusKernel);
}

ImageLibrary::Error ImageLibraryFilters::enhanceDetail(Bitmap* bitmap)
{
    return applyKernel(bitmap, EnhanceDetailKernel);
}

ImageLibrary::Error ImageLibraryFilters::automaticLevels(Bitmap* bitmap)
{
    if (!usable(bitmap))
        return ImageLibrary::BadBitmap;
    std::array<qint64, 256> counts[3];
    histograms(bitmap, counts);
    LookupTable tables[3];
    for (int c = 0; c < 3; ++c)
        tables[c] = stretch(lowest(counts[c]), highest(counts[c]));
    applyTables(bitmap, tables);
    return ImageLibrary::NoError;
}

ImageLibrary::Error ImageLibraryFilters::normalize(Bitmap* bitmap)
{
    if (!usable(bitmap))
        return ImageLibrary::BadBitmap;
    std::array<qint64, 256> counts[3];
    histograms(bitmap, counts);
    int lo = 255;
    int hi = 0;
    for (const auto& count : counts) {
        lo = std::min(lo, lowest(count));
        hi = std::max(hi, highest(count));
    }
    const LookupTable table = stretch(lo, hi);
    applyTable(bitmap, table);
    return ImageLibrary::NoError;
}

ImageLibrary::Error ImageLibraryFilters::equalize(Bitmap* bitmap)
{
    if (!usable(bitmap))
        return ImageLibrary::BadBitmap;
    std::array<qint64, 256> counts[3];
    histograms(bitmap, counts);
    const qint64 total = qint64(bitmap->width) * bitmap->height;
    LookupTable tables[3];
    for (int c = 0; c < 3; ++c) {
        const qint64 first = counts[c][lowest(counts[c])];
        qint64 cumulative = 0;
        for (int v = 0; v < 256; ++v) {
            cumulative += counts[c][v];
            tables[c][v] = total > first ? clampByte(double(cumulative - first) * 255.0 / double(total - first))
                                         : static_cast<unsigned char>(v);
        }
    }
    applyTables(bitmap, tables);
    return ImageLibrary::NoError;
}

ImageLibrary::Error ImageLibraryFilters::logCorrection(Bitmap* bitmap)
{
    if (!usable(bitmap))
        return ImageLibrary::BadBitmap;
    LookupTable table;
    for (int v = 0; v < 256; ++v)
        table[v] = clampByte(255.0 * std::log1p(double(v)) / std::log(256.0));
    applyTable(bitmap, table);
    return ImageLibrary::NoError;
}

ImageLibrary::Error ImageLibraryFilters::automaticContrast(Bitmap* bitmap)
{
    if (!usable(bitmap))
        return ImageLibrary::BadBitmap;
    std::array<qint64, 256> means;
    means.fill(0);
    for (int y = 0; y < bitmap->height; ++y) {
        const unsigned char* row = bitmap->data + static_cast<size_t>(y) * bitmap->bytesPerLine;
        for (int x = 0; x < bitmap->width; ++x)
            ++means[(row[x * 4 + 1] + row[x * 4 + 2] + row[x * 4 + 3]) / 3];
    }
    const qint64 cut = qint64(bitmap->width) * bitmap->height / 200;
    int lo = 0;
    for (qint64 seen = means[0]; lo < 255 && seen <= cut; seen += means[++lo]) {
    }
    int hi = 255;
    for (qint64 seen = means[255]; hi > 0 && seen <= cut; seen += means[--hi]) {
    }
    const LookupTable table = stretch(lo, hi);
    applyTable(bitmap, table);
    return ImageLibrary::NoError;
}

#include "io/picture/LinearLight.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// The transfer and the rounding as OpenImageIO computes them, value by value.
int quantised(float linear)
{
    const float encoded = linear <= 0.0031308f ? 12.92f * linear : 1.055f * std::pow(linear, 1.0f / 2.4f) - 0.055f;
    return int(std::floor(std::clamp(encoded * 255.0f + 0.5f, 0.0f, 255.0f)));
}

float fromBits(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::uint32_t bitsOf(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The least linear value of each 8-bit value from 1 to 255: a value then costs a search among
// them, never a power, and comes out as the transfer computed for it would give it. Found over
// the ordered bit patterns of the floats from 0 to 1.
const std::array<float, 255>& thresholds()
{
    static const std::array<float, 255> table = [] {
        std::array<float, 255> found{};
        for (int level = 1; level <= 255; ++level) {
            std::uint32_t low = 0;
            std::uint32_t high = bitsOf(1.0f);
            while (low < high) {
                const std::uint32_t middle = low + (high - low) / 2;
                if (quantised(fromBits(middle)) >= level)
                    high = middle;
                else
                    low = middle + 1;
            }
            found[size_t(level - 1)] = fromBits(low);
        }
        return found;
    }();
    return table;
}

// Below the least linear value of 8-bit 1 (about 1.5e-4) everything is 0.
constexpr std::uint32_t lowestLookedUpBits = 0x38800000u; // 2^-14
constexpr std::uint32_t oneBits = 0x3F800000u;
// Buckets of a float's exponent and its eight highest mantissa bits: narrower than the narrowest
// step from one 8-bit value to the next, so that at most one step lies in each.
constexpr int bucketShift = 15;
constexpr std::uint32_t bucketCount = (oneBits - lowestLookedUpBits) >> bucketShift;

// A bucket's 8-bit value at its least float, and the least float of the step in it (NaN, which
// no value reaches, where none is): a value comes out as the search among the thresholds gives it.
struct Bucket {
    float step;
    unsigned level;
};

const std::array<Bucket, bucketCount>& buckets()
{
    static const std::array<Bucket, bucketCount> table = [] {
        const std::array<float, 255>& levels = thresholds();
        std::array<Bucket, bucketCount> found{};
        for (std::uint32_t i = 0; i < bucketCount; ++i) {
            const float least = fromBits(lowestLookedUpBits + (i << bucketShift));
            const auto above = std::upper_bound(levels.begin(), levels.end(), least);
            found[i].level = unsigned(above - levels.begin());
            const bool stepInside =
                above != levels.end() && bitsOf(*above) < lowestLookedUpBits + ((i + 1) << bucketShift);
            found[i].step = stepInside ? *above : std::numeric_limits<float>::quiet_NaN();
        }
        return found;
    }();
    return table;
}

unsigned char scaled(float value)
{
    if (!(value > 0.0f))
        return 0;
    return static_cast<unsigned char>(std::floor(std::min(value, 1.0f) * 255.0f + 0.5f));
}

} // namespace

unsigned char LinearLight::toSrgb8(float linear)
{
    if (linear != linear)
        return 0;
    static const std::array<Bucket, bucketCount>& table = buckets();
    // Below the first bucket (negative values too, whose bits read as negative) the first one's
    // value 0; from 1 on the last one's, which holds 255's step.
    const auto bits = std::int32_t(bitsOf(linear));
    const std::int32_t clamped = std::clamp(bits, std::int32_t(lowestLookedUpBits), std::int32_t(oneBits - 1));
    const Bucket& bucket = table[std::uint32_t(clamped - std::int32_t(lowestLookedUpBits)) >> bucketShift];
    return static_cast<unsigned char>(bucket.level + unsigned(linear >= bucket.step));
}

void LinearLight::toDisplay(const float* in, qint64 pixels, int channels, int alpha, bool associated,
                            unsigned char* out)
{
    if (alpha < 0) {
        const qint64 values = pixels * channels;
        for (qint64 i = 0; i < values; ++i)
            out[i] = toSrgb8(in[i]);
        return;
    }
    for (qint64 i = 0; i < pixels; ++i, in += channels, out += channels) {
        const float coverage = in[alpha];
        const bool divide = associated && coverage > 0.0f && coverage < 1.0f;
        for (int c = 0; c < channels; ++c) {
            if (c == alpha)
                out[c] = scaled(coverage);
            else
                out[c] = toSrgb8(divide ? in[c] / coverage : in[c]);
        }
    }
}

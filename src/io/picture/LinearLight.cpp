#include "io/picture/LinearLight.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

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

unsigned char scaled(float value)
{
    if (!(value > 0.0f))
        return 0;
    return static_cast<unsigned char>(std::floor(std::min(value, 1.0f) * 255.0f + 0.5f));
}

} // namespace

unsigned char LinearLight::toSrgb8(float linear)
{
    if (!(linear > 0.0f))
        return 0;
    const std::array<float, 255>& table = thresholds();
    return static_cast<unsigned char>(std::upper_bound(table.begin(), table.end(), linear) - table.begin());
}

void LinearLight::toDisplay(const float* in, qint64 pixels, int channels, int alpha, bool associated,
                            unsigned char* out)
{
    for (qint64 i = 0; i < pixels; ++i, in += channels, out += channels) {
        const float coverage = alpha >= 0 ? in[alpha] : 1.0f;
        const bool divide = associated && alpha >= 0 && coverage > 0.0f && coverage < 1.0f;
        for (int c = 0; c < channels; ++c) {
            if (c == alpha)
                out[c] = scaled(coverage);
            else
                out[c] = toSrgb8(divide ? in[c] / coverage : in[c]);
        }
    }
}

// The sRGB transfer from linear light to 8 bits gives the bytes of the transfer computed value by
// value in float, as OpenImageIO computes it: for every half value (what an OpenEXR file holds
// most often), and for floats at and around each step from one byte to the next.

#include "io/picture/LinearLight.h"

#include <QtCore/qfloat16.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

int byFormula(float linear)
{
    if (!(linear > 0.0f))
        return 0;
    const float encoded = linear <= 0.0031308f ? 12.92f * linear : 1.055f * std::pow(linear, 1.0f / 2.4f) - 0.055f;
    return int(std::floor(std::clamp(encoded * 255.0f + 0.5f, 0.0f, 255.0f)));
}

float fromBits(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

TEST(LinearLightTransfer, EveryHalfValueGivesTheFormulasByte)
{
    int wrong = 0;
    for (int bits = 0; bits < 0x10000; ++bits) {
        const quint16 pattern = quint16(bits);
        float linear = 0.0f;
        qFloatFromFloat16(&linear, reinterpret_cast<const qfloat16*>(&pattern), 1);
        const int expected = byFormula(linear);
        const int got = LinearLight::toSrgb8(linear);
        if (got != expected && ++wrong <= 5)
            ADD_FAILURE() << "half 0x" << std::hex << bits << " (" << linear << "): " << std::dec << got
                          << " instead of " << expected;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(LinearLightTransfer, FloatsAroundEveryStepGiveTheFormulasByte)
{
    // Each step's least float, found over the ordered bit patterns from 0 to 1.
    std::vector<std::uint32_t> steps;
    std::uint32_t low = 0;
    for (int level = 1; level <= 255; ++level) {
        std::uint32_t lo = low;
        std::uint32_t hi = 0x3F800000u;
        while (lo < hi) {
            const std::uint32_t middle = lo + (hi - lo) / 2;
            if (byFormula(fromBits(middle)) >= level)
                hi = middle;
            else
                lo = middle + 1;
        }
        steps.push_back(lo);
        low = lo;
    }
    ASSERT_EQ(steps.size(), 255u);
    int wrong = 0;
    for (const std::uint32_t step : steps) {
        for (std::int64_t around = -64; around <= 64; ++around) {
            const float linear = fromBits(std::uint32_t(std::int64_t(step) + around));
            if (LinearLight::toSrgb8(linear) != byFormula(linear) && ++wrong <= 5)
                ADD_FAILURE() << "float " << linear << ": " << int(LinearLight::toSrgb8(linear)) << " instead of "
                              << byFormula(linear);
        }
    }
    EXPECT_EQ(wrong, 0);
    // Past the ends, and what is no light.
    for (const float linear : {-1.0f, -0.0f, 0.0f, 1e-30f, 1.0f, 1.0000001f, 7.5f,
                               std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                               std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(LinearLight::toSrgb8(linear), byFormula(linear)) << linear;
}

#include "params/Color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using KelUtils::Color;
using KelUtils::ScaledRgb;

namespace {

constexpr float E = Color::InverseGamma;
const float NaN = std::numeric_limits<float>::quiet_NaN();
const float Inf = std::numeric_limits<float>::infinity();

ScaledRgb encode(Color const& c)
{
    ScaledRgb out;
    c.to8bitRgb(&out, E);
    return out;
}

} // namespace

TEST(Color, OverBrightColoursEncodeWithTheLargestChannelAsScale)
{
    ScaledRgb s = encode(Color(2.0f, 1.0f, 0.5f, 1.0f));
    EXPECT_EQ(s.red, 255);
    EXPECT_EQ(s.green, 186);
    EXPECT_EQ(s.blue, 136);
    EXPECT_EQ(s.scale, 2.0f);
    s = encode(Color(0.5f, 3.0f, 1.0f, 0.0f));
    EXPECT_EQ(s.scale, 3.0f);
    EXPECT_EQ(s.green, 255);
    EXPECT_EQ(s.alpha, 0);

    // The clamped form (what swatches show) has no scale: over-bright channels read 255.
    const unsigned char shown[4] = {255, 255, 186, 255};
    EXPECT_TRUE(Color(2.0f, 1.0f, 0.5f, 1.0f).isEqualA(shown, E));
    const unsigned char scaled[4] = {255, 186, 136, 255};
    EXPECT_FALSE(Color(2.0f, 1.0f, 0.5f, 1.0f).isEqualA(scaled, E));
}

TEST(Color, ByteEncodingRoundsAlphaTruncatesChannelsAndClamps)
{
    const std::pair<float, int> alphas[] = {{0.999f, 255}, {0.998f, 254}, {-0.5f, 0}, {3.0f, 255}, {NaN, 0}};
    for (auto const& [a, byte] : alphas)
        EXPECT_EQ(Color::encodeAlpha(a), byte) << a;
    // 0.5 ^ (1/2.2) * 255.999 = 186.8...: truncated, not rounded.
    const std::pair<float, int> channels[] = {{0.5f, 186}, {-0.25f, 0}, {1.0f, 255}, {1e30f, 255}, {Inf, 255}, {NaN, 0}};
    for (auto const& [c, byte] : channels)
        EXPECT_EQ(Color::encodeChannel(c, E), byte) << c;

    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(Color::encodeChannel(Color::decodeChannel(static_cast<unsigned char>(b), Color::Gamma), E), b);
        EXPECT_EQ(Color::encodeAlpha(Color::decodeAlpha(static_cast<unsigned char>(b))), b);
    }
}

TEST(Color, ValidityAndClamping)
{
    EXPECT_TRUE(Color(5.0f, 0.0f, 1.0f, 1.0f).isValid());
    for (Color const& bad : {Color(-0.01f, 0.0f, 0.0f, 1.0f), Color(0.0f, 0.0f, 0.0f, 1.01f),
                             Color(NaN, 0.0f, 0.0f, 1.0f), Color(Inf, 0.0f, 0.0f, 1.0f)})
        EXPECT_FALSE(bad.isValid());
    EXPECT_EQ(Color(-1.0f, 3.0f, 0.25f, -2.0f).clamped(), Color(0.0f, 3.0f, 0.25f, 0.0f));
    EXPECT_EQ(Color(0.5f, 0.5f, 0.5f, 7.0f).clamped().alpha, 1.0f);
}

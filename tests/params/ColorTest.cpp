#include "params/Color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using KelUtils::Color;
using KelUtils::ScaledRgb;

namespace {

constexpr float E = Color::InverseGamma;

ScaledRgb encode(Color const& c)
{
    ScaledRgb out;
    c.to8bitRgb(&out, E);
    return out;
}

} // namespace

TEST(Color, EncodesOverBrightColourWithScale)
{
    const ScaledRgb s = encode(Color(2.0f, 1.0f, 0.5f, 1.0f));
    EXPECT_EQ(s.red, 255);
    EXPECT_EQ(s.green, 186);
    EXPECT_EQ(s.blue, 136);
    EXPECT_EQ(s.alpha, 255);
    EXPECT_EQ(s.scale, 2.0f);

    // The clamped form (what swatches show) has no scale: over-bright channels read 255.
    const unsigned char shown[4] = {255, 255, 186, 255};
    EXPECT_TRUE(Color(2.0f, 1.0f, 0.5f, 1.0f).isEqualA(shown, E));
    const unsigned char scaled[4] = {255, 186, 136, 255};
    EXPECT_FALSE(Color(2.0f, 1.0f, 0.5f, 1.0f).isEqualA(scaled, E));
}

TEST(Color, LargestChannelDecidesScaleWithRedThenGreenOnTies)
{
    ScaledRgb s = encode(Color(0.5f, 3.0f, 1.0f, 1.0f));
    EXPECT_EQ(s.scale, 3.0f);
    EXPECT_EQ(s.green, 255);

    s = encode(Color(2.0f, 2.0f, 1.0f, 1.0f));
    EXPECT_EQ(s.scale, 2.0f);
    EXPECT_EQ(s.red, 255);
    EXPECT_EQ(s.green, 255);
    EXPECT_EQ(s.blue, 186);

    s = encode(Color(0.0f, 1.5f, 1.5f, 0.0f));
    EXPECT_EQ(s.scale, 1.5f);
    EXPECT_EQ(s.green, 255);
    EXPECT_EQ(s.alpha, 0);
}

TEST(Color, AlphaRoundsHalfUpAndIsClamped)
{
    EXPECT_EQ(Color::encodeAlpha(0.999f), 255);
    EXPECT_EQ(Color::encodeAlpha(0.998f), 254);
    EXPECT_EQ(Color::encodeAlpha(0.001f), 0);
    EXPECT_EQ(Color::encodeAlpha(-0.5f), 0);
    EXPECT_EQ(Color::encodeAlpha(3.0f), 255);
    EXPECT_EQ(Color::encodeAlpha(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(Color, ChannelEncodingIsTruncatedAndCapped)
{
    EXPECT_EQ(Color::encodeChannel(0.0f, E), 0);
    EXPECT_EQ(Color::encodeChannel(-0.25f, E), 0);
    EXPECT_EQ(Color::encodeChannel(1.0f, E), 255);
    EXPECT_EQ(Color::encodeChannel(1e30f, E), 255);
    EXPECT_EQ(Color::encodeChannel(std::numeric_limits<float>::infinity(), E), 255);
    EXPECT_EQ(Color::encodeChannel(std::numeric_limits<float>::quiet_NaN(), E), 0);
    // 0.5 ^ (1/2.2) * 255.999 = 186.8...: truncated, not rounded.
    EXPECT_EQ(Color::encodeChannel(0.5f, E), 186);
}

TEST(Color, EveryByteSurvivesDecodeAndEncode)
{
    for (int b = 0; b < 256; ++b) {
        const float c = Color::decodeChannel(static_cast<unsigned char>(b), Color::Gamma);
        EXPECT_EQ(Color::encodeChannel(c, E), b) << "byte " << b;
        const float a = Color::decodeAlpha(static_cast<unsigned char>(b));
        EXPECT_EQ(Color::encodeAlpha(a), b) << "alpha " << b;
    }
    // The default mid grey of the nodes.
    EXPECT_FLOAT_EQ(Color::decodeChannel(128, Color::Gamma), 0.21951973f);
}

TEST(Color, ValidityAndClamping)
{
    EXPECT_TRUE(Color(5.0f, 0.0f, 1.0f, 1.0f).isValid());
    EXPECT_FALSE(Color(-0.01f, 0.0f, 0.0f, 1.0f).isValid());
    EXPECT_FALSE(Color(0.0f, 0.0f, 0.0f, 1.01f).isValid());
    EXPECT_FALSE(Color(std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f, 1.0f).isValid());
    EXPECT_FALSE(Color(std::numeric_limits<float>::infinity(), 0.0f, 0.0f, 1.0f).isValid());

    const Color c = Color(-1.0f, 3.0f, 0.25f, -2.0f).clamped();
    EXPECT_EQ(c, Color(0.0f, 3.0f, 0.25f, 0.0f));
    EXPECT_EQ(Color(0.5f, 0.5f, 0.5f, 7.0f).clamped().alpha, 1.0f);
}

#include "effects/color/HSYColor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using KelVyxNodes::HSYColor;

namespace {

struct Conversion
{
    unsigned int rgb;
    double hueDegrees;
    double saturation;
    double brightness;
    int hue;
    int saturationByte;
    int brightnessByte;
    unsigned int back;
};

// Worked by hand from the luma weights and the chroma axes; the last column is what toRgb gives.
const Conversion kConversions[] = {
    {0xFF0000u, 0, 1.0, 0.2125, 0, 255, 54, 0xFF0000u},
    {0x00FF00u, 120, 1.0, 0.7154, 120, 255, 182, 0x00FF00u},
    {0x0000FFu, 240, 1.0, 0.0721, 240, 255, 18, 0x0000FFu},
    // The angle of yellow is just below 60: truncated to 59, it comes back with a blue of 3.
    {0xFFFF00u, 59, 1.0, 0.9279, 59, 255, 237, 0xFFFE03u},
    {0x00FFFFu, 180, 1.0, 0.7875, 180, 255, 201, 0x00FFFFu},
    {0xFF00FFu, 300, 1.0, 0.2846, 300, 255, 73, 0xFF00FFu},
    {0xFFFFFFu, 0, 0.0, 1.0, 0, 0, 255, 0xFFFFFFu},
    {0x808080u, 0, 0.0, 0.5020, 0, 0, 128, 0x808080u},
    {0x000000u, 0, 0.0, 0.0, 0, 0, 0, 0x000000u},
};

} // namespace

TEST(HSYColor, ConvertsChosenColoursAndBack)
{
    for (Conversion const& c : kConversions) {
        SCOPED_TRACE(c.rgb);
        // The top byte is ignored.
        const HSYColor hsy(0xAB000000u | c.rgb);
        EXPECT_NEAR(hsy.hueF() * 360.0, c.hueDegrees, 1e-9);
        EXPECT_NEAR(hsy.saturationF(), c.saturation, 5e-5);
        EXPECT_NEAR(hsy.brightnessF(), c.brightness, 5e-5);
        EXPECT_EQ(hsy.hue(), c.hue);
        EXPECT_EQ(hsy.saturation(), c.saturationByte);
        EXPECT_EQ(hsy.brightness(), c.brightnessByte);
        EXPECT_EQ(hsy.toRgb(), 0xFF000000u | c.back);
        EXPECT_TRUE(HSYColor::fromRgb(c.rgb) == hsy);
    }
    // Pure red's saturation is a hair above 1; the byte view holds it at 255.
    EXPECT_GT(HSYColor(0xFF0000u).saturationF(), 1.0);
}

TEST(HSYColor, OutOfCubeAndOutOfRangeInputs)
{
    // Red at full saturation and full luma leaves the cube; each channel is clamped.
    EXPECT_EQ(HSYColor::fromHSYNormalizedToOne(0.0, 1.0, 1.0), 0xFFFFC9C9u);
    // The inverse matrix's first column is just below 1: a grey of luma 0.5 comes out as 127.
    EXPECT_EQ(HSYColor::fromHSYNormalizedToOne(0.0, 0.0, 0.5), 0xFF7F7F7Fu);
    // Every result is opaque; integer hues above 360 count as 360, the same as 0.
    EXPECT_EQ(HSYColor::fromHSYNormalizedToOne(0.0, 0.0, 0.0), 0xFF000000u);
    EXPECT_EQ(HSYColor::fromHSYint(400, 200, 90), HSYColor::fromHSYint(0, 200, 90));
    EXPECT_EQ(HSYColor::fromHSYNormalizedToOne(0.5, 0.0, 2.0), 0xFFFFFFFFu);
    EXPECT_EQ(HSYColor::fromHSYNormalizedToOne(0.5, 0.0, -1.0), 0xFF000000u);

    // A hue above 1 counts as 360 degrees, the same as 0; a negative or NaN hue as 0.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const unsigned int red = HSYColor::fromHSYNormalizedToOne(0.0, 0.5, 0.4);
    EXPECT_EQ(HSYColor::fromHSYNormalizedToOne(7.0, 0.5, 0.4), red);
    EXPECT_EQ(HSYColor::fromHSYNormalizedToOne(1.0, 0.5, 0.4), red);
    EXPECT_EQ(HSYColor::fromHSYNormalizedToOne(-0.3, 0.5, 0.4), red);
    EXPECT_EQ(HSYColor::fromHSYNormalizedToOne(nan, 0.5, 0.4), red);
    // A NaN saturation or luma turns every channel to 0 instead of an undefined conversion.
    EXPECT_EQ(HSYColor::fromHSYNormalizedToOne(0.2, nan, 0.4), 0xFF000000u);
    EXPECT_EQ(HSYColor::fromHSYNormalizedToOne(0.2, 0.3, nan), 0xFF000000u);

    const HSYColor weird(nan, -2.0, 9.0);
    EXPECT_EQ(weird.hue(), 0);
    EXPECT_EQ(weird.saturation(), 0);
    EXPECT_EQ(weird.brightness(), 255);
    EXPECT_FALSE(weird == weird);
    EXPECT_EQ(HSYColor(1.5, 0.002, 0.5).hue(), 360);
    // The byte views round half up.
    EXPECT_EQ(HSYColor(0.0, 0.5 / 255.0, 1.49 / 255.0).saturation(), 1);
    EXPECT_EQ(HSYColor(0.0, 0.4 / 255.0, 1.49 / 255.0).saturation(), 0);
    EXPECT_EQ(HSYColor(0.0, 0.4 / 255.0, 1.49 / 255.0).brightness(), 1);
}


TEST(HSYColor, SplitBytesMatchTheFullConversion)
{
    // Every third level of each channel, ends included: greys, the hues 0 and 180 and the
    // sector edges among them.
    for (unsigned int r = 0; r < 256; r += 3) {
        for (unsigned int g = 0; g < 256; g += 3) {
            for (unsigned int b = 0; b < 256; b += 3) {
                const unsigned int rgb = r << 16 | g << 8 | b;
                const HSYColor full = HSYColor::fromRgb(rgb);
                unsigned short hue = 0;
                unsigned char saturation = 0, brightness = 0;
                HSYColor::splitBytes(rgb, hue, saturation, brightness);
                ASSERT_EQ(hue, full.hue()) << std::hex << rgb;
                ASSERT_EQ(saturation, full.saturation()) << std::hex << rgb;
                ASSERT_EQ(brightness, full.brightness()) << std::hex << rgb;
            }
        }
    }
}

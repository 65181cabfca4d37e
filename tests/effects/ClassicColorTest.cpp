#include "effects/ClassicColor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using KelVyxNodes::ClassicColor;

namespace {

unsigned int rgb24(ClassicColor const& c)
{
    return c.rgb() & 0xFFFFFFu;
}

} // namespace

TEST(ClassicColorTest, FractionsGoBackToBytesByTheHighByteOfTheRoundedWord)
{
    ClassicColor c;
    // 0.79 * 65535 = 51772.65 -> 51773 = 0xCA3D -> 202. Rounding the word to the nearest
    // byte (51773 / 257 = 201.45), as Qt 6 does, would give 201.
    c.setRgbF(0.79, 0.5, 0.0, 1.0);
    // 0.5 * 65535 = 32767.5 rounds half up to 32768 -> 128.
    EXPECT_EQ(c.rgb(), 0xFFCA8000u);
    EXPECT_EQ(c.spec(), ClassicColor::Rgb);

    // Multiply as the graph blend computes it: (230/255)^2 * 65535 = 53314.9 -> 53315 -> 208
    // (nearest-byte rounding would give 207).
    const ClassicColor o(0xE6E6E6u);
    c.setRgbF(o.redF() * o.redF(), o.greenF() * o.greenF(), o.blueF() * o.blueF(), 1.0);
    EXPECT_EQ(rgb24(c), 0xD0D0D0u);

    // Alpha 0 as the fraction nodes set it: the top byte of rgba() is 0, rgb() is opaque.
    c.setRgbF(1.0, 0.0, 0.25, 0.0);
    EXPECT_EQ(c.rgba(), 0x00FF0040u);
    EXPECT_EQ(c.rgb(), 0xFFFF0040u);
}

TEST(ClassicColorTest, OutOfRangeWholeColourSettersInvalidate)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ClassicColor c(0x336699u);
    c.setRgbF(1.01, 0.0, 0.0, 1.0);
    EXPECT_FALSE(c.isValid());
    EXPECT_EQ(c.rgb(), 0xFF000000u);
    EXPECT_EQ(c.rgba(), 0xFF000000u);

    c = ClassicColor(0x336699u);
    c.setRgbF(0.5, nan, 0.5, 1.0);
    EXPECT_FALSE(c.isValid());

    EXPECT_FALSE(ClassicColor(256, 0, 0).isValid());
    EXPECT_FALSE(ClassicColor::fromHsv(-2, 0, 0).isValid());
    EXPECT_FALSE(ClassicColor::fromHsv(0, 0, 256).isValid());
    EXPECT_FALSE(ClassicColor::fromCmyk(0, 0, 0, -1).isValid());
    EXPECT_FALSE(ClassicColor::fromHsl(0, 300, 0).isValid());
}

TEST(ClassicColorTest, SingleChannelFractionSettersStartFromAnInvalidColourAsOpaqueBlack)
{
    // Screen and Soft Light write red, green and blue one at a time into an invalid colour.
    ClassicColor c;
    c.setRedF(0.79);
    EXPECT_TRUE(c.isValid());
    EXPECT_EQ(c.rgba(), 0xFFCA0000u);
    c.setGreenF(1.0);
    c.setBlueF(0.5);
    EXPECT_EQ(c, ClassicColor::fromRgbF(0.79, 1.0, 0.5, 1.0));

    // Single-channel setters clamp instead of invalidating; NaN counts as 0.
    c.setRedF(2.0);
    c.setGreenF(-1.0);
    c.setBlueF(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(c.rgba(), 0xFFFF0000u);
    c.setRed(300);
    c.setGreen(-4);
    c.setBlue(17);
    c.setAlpha(1000);
    EXPECT_EQ(c.rgba(), 0xFFFF0011u);

    // On a colour of another model the channel is set through RGB.
    ClassicColor h = ClassicColor::fromHsv(120, 255, 255);
    h.setRed(255);
    EXPECT_EQ(h.spec(), ClassicColor::Rgb);
    EXPECT_EQ(rgb24(h), 0xFFFF00u);
}

TEST(ClassicColorTest, HsvConversionsAtHandWorkedColours)
{
    // (119, 100, 128): sector 1, f = 0.98333; p = 0.305113 -> 19996, q = 0.308394 -> 20211.
    EXPECT_EQ(ClassicColor::fromHsv(119, 100, 128, 0).rgba(), 0x004E804Eu);

    // No hue, or saturation 0: a grey of the value.
    EXPECT_EQ(ClassicColor::fromHsv(-1, 200, 77).rgb(), 0xFF4D4D4Du);
    EXPECT_EQ(ClassicColor::fromHsv(200, 0, 255).rgb(), 0xFFFFFFFFu);
    // Whole degrees wrap at 360.
    EXPECT_EQ(ClassicColor::fromHsv(360, 255, 255), ClassicColor::fromHsv(0, 255, 255));
    EXPECT_EQ(ClassicColor::fromHsv(480, 255, 255).hue(), 120);

    // Doubling the value as the brightness node does: 0x336699 is hue 210, saturation
    // 43690/65535, value 153; value 1 gives p = 21845 (85), q = 43690 (170), v = 255.
    ClassicColor c(0x336699u);
    EXPECT_EQ(c.hue(), 210);
    EXPECT_EQ(c.saturation(), 170);
    EXPECT_EQ(c.value(), 153);
    c.setHsvF(c.hueF(), c.saturationF(), std::min(1.0, c.valueF() * 2.0), 1.0);
    EXPECT_EQ(c.rgba(), 0xFF55AAFFu);

    // A grey keeps no hue through setHsvF(-1, ...).
    ClassicColor g(0x7F7F7Fu);
    g.setHsvF(g.hueF(), g.saturationF(), g.valueF(), 1.0);
    EXPECT_EQ(g.rgba(), 0xFF7F7F7Fu);
}

TEST(ClassicColorTest, FractionModelSettersIgnoreOutOfRangeArguments)
{
    ClassicColor c(0x336699u);
    c.setHsvF(1.5, 0.5, 0.5);
    c.setHsvF(0.5, std::numeric_limits<double>::quiet_NaN(), 0.5);
    c.setHslF(0.5, 0.5, -0.1);
    c.setCmykF(0.0, 0.0, 0.0, 2.0);
    EXPECT_EQ(c, ClassicColor(0x336699u));

    // Hue 1.0 is 36000 hundredths, the same colour as hue 0.
    EXPECT_EQ(ClassicColor::fromHsvF(1.0, 1.0, 1.0).rgb(), 0xFFFF0000u);
    EXPECT_EQ(ClassicColor::fromHslF(1.0, 1.0, 0.5).rgb(), 0xFFFF0000u);
}

TEST(ClassicColorTest, HslConversions)
{
    // Pure red: lightness (1 + 0) / 2 = 0.5 -> word 32768 (half up) -> 128.
    const ClassicColor red(0xFF0000u);
    EXPECT_EQ(red.lightness(), 128);
    EXPECT_EQ(red.lightnessF(), 32768 / 65535.0);

    // (10, 200, 30): lightness 105/255 -> 105; saturation 190/210 (lightness below half)
    // -> word 59294 -> 231; hue 120 + (30 - 10) / 190 * 60 = 126.3158 -> 12632 -> 126.
    const ClassicColor c(0x0AC81Eu);
    EXPECT_EQ(c.lightness(), 105);
    EXPECT_EQ(c.hslSaturation(), 231);
    EXPECT_EQ(c.hslHue(), 126);
    EXPECT_EQ(c.hslHueF(), 12632 / 36000.0);

    // (0, 255, 128): lightness 128/255 >= 0.5, temp2 = 1, temp1 = 1/255 -> (255, 1, 1).
    EXPECT_EQ(ClassicColor::fromHsl(0, 255, 128).rgb(), 0xFFFF0101u);

    // Logarithmic correction of white at filter value 10: a grey of lightness 0.30103
    // (word 19728, byte 77).
    ClassicColor white(0xFFFFFFu);
    white.setHslF(white.hslHueF(), white.hslSaturationF(), std::log10(2.0), 1.0);
    EXPECT_EQ(white.rgb(), 0xFF4D4D4Du);

    // A channel that comes out as the lowest word step is dropped to 0: with saturation 1
    // and lightness word 32768, temp1 = 1/65535.
    const ClassicColor lowest = ClassicColor::fromHslF(0.0, 1.0, 32768 / 65535.0);
    EXPECT_EQ(lowest.redF(), 1.0);
    EXPECT_EQ(lowest.greenF(), 0.0);
    EXPECT_EQ(lowest.blueF(), 0.0);

    // Lightness 0 is black whatever hue and saturation.
    EXPECT_EQ(ClassicColor::fromHsl(200, 255, 0).rgb(), 0xFF000000u);
}

TEST(ClassicColorTest, CmykConversions)
{
    // (16, 32, 48): k = 207/255; c = (32/255) / (48/255) = 2/3 -> 43690 -> 170; m = 1/3 -> 85.
    const ClassicColor c(0x102030u);
    EXPECT_EQ(c.cyan(), 170);
    EXPECT_EQ(c.magenta(), 85);
    EXPECT_EQ(c.yellow(), 0);
    EXPECT_EQ(c.black(), 207);
    EXPECT_EQ(c.blackF(), 207 / 255.0);

    // The classic arithmetic leaves black's cyan, magenta and yellow at full (k = 1 is not
    // divided out); they do not matter on the way back.
    const ClassicColor black(0u);
    EXPECT_EQ(black.cyan(), 255);
    EXPECT_EQ(black.magenta(), 255);
    EXPECT_EQ(black.yellow(), 255);
    EXPECT_EQ(black.black(), 255);
    EXPECT_EQ(ClassicColor::fromCmyk(255, 255, 255, 255).rgb(), 0xFF000000u);

    // Joins with alpha 0 as the join nodes build them.
    EXPECT_EQ(ClassicColor::fromCmyk(0, 0, 0, 0, 0).rgba(), 0x00FFFFFFu);
    EXPECT_EQ(ClassicColor::fromCmyk(255, 0, 0, 0, 0).rgba(), 0x0000FFFFu);
    EXPECT_EQ(ClassicColor::fromCmyk(0, 0, 0, 255, 0).rgba(), 0x00000000u);
    EXPECT_EQ(ClassicColor::fromCmyk(0, 0, 100, 0, 0).rgba(), 0x00FFFF9Bu);
    EXPECT_EQ(ClassicColor::fromCmyk(c.cyan(), c.magenta(), c.yellow(), c.black()).rgb(),
              0xFF102030u);
}

// The byte-level HSV conversions of pixel loops against the colour object they stand in for:
// every hue, saturation and value step, and colours spread over the whole cube.
TEST(ClassicColorBytes, HsvConversionsMatchTheColourObject)
{
    for (unsigned int rgb = 0; rgb < 0x1000000u; rgb += 97u) {
        const ClassicColor colour(rgb);
        int h = 0, s = 0, v = 0;
        ClassicColor::hsvOfRgb(rgb, h, s, v);
        ASSERT_EQ(h, colour.hue()) << std::hex << rgb;
        ASSERT_EQ(s, colour.saturation()) << std::hex << rgb;
        ASSERT_EQ(v, colour.value()) << std::hex << rgb;
    }
    for (int h = -1; h < 360; ++h) {
        for (int s = 0; s < 256; s += 3) {
            for (int v : {0, 1, 77, 128, 200, 254, 255}) {
                ClassicColor colour;
                colour.setHsv(h, s, v, 0);
                ASSERT_EQ(ClassicColor::rgbOfHsv(h, s, v), colour.rgba()) << h << " " << s << " " << v;
            }
        }
    }
}

TEST(ClassicColorBytes, ValueScalingMatchesTheColourObject)
{
    // The object path: three reads in HSV, then setHsvF and a read back in RGB.
    auto byObject = [](unsigned int rgb, double factor) {
        ClassicColor colour(rgb);
        double v = colour.valueF() * factor;
        v = std::min(1.0, v);
        v = std::max(0.0, v);
        colour.setHsvF(colour.hueF(), colour.saturationF(), v, 1.0);
        return colour.rgba();
    };
    for (double factor : {0.0, 0.01, 0.37, 0.5, 1.0, 1.3, 2.0}) {
        const ClassicColor::ValueScale scale(factor);
        unsigned int span[256];
        for (unsigned int start = 0; start < 0x1000000u; start += 256u * 251u) {
            for (unsigned int i = 0; i < 256u; ++i)
                span[i] = (start + i * 0x010203u) & 0xFFFFFFu;
            ClassicColor::rgbWithValueScaled(scale, span, 256);
            for (unsigned int i = 0; i < 256u; ++i) {
                const unsigned int rgb = (start + i * 0x010203u) & 0xFFFFFFu;
                const unsigned int expected = byObject(rgb, factor);
                ASSERT_EQ(ClassicColor::rgbWithValueScaled(rgb, factor), expected) << std::hex << rgb << " " << factor;
                ASSERT_EQ(span[i], expected & 0xFFFFFFu) << std::hex << rgb << " " << factor;
            }
        }
    }
}

TEST(ClassicColorBytes, HslLightnessReplacementMatchesTheColourObject)
{
    for (double lightness : {0.0, 0.004, 0.25, 0.5, 0.77, 1.0}) {
        for (unsigned int rgb = 0; rgb < 0x1000000u; rgb += 251u) {
            ClassicColor colour(rgb);
            ASSERT_EQ(ClassicColor::lightnessFOf(ClassicColor::hslWordsOf(rgb)), colour.lightnessF()) << std::hex << rgb;
            colour.setHslF(colour.hslHueF(), colour.hslSaturationF(), lightness);
            ASSERT_EQ(ClassicColor::rgbWithHslLightness(rgb, ClassicColor::hslWordsOf(rgb), lightness),
                      colour.rgba() & 0xFFFFFFu)
                << std::hex << rgb << " " << lightness;
        }
        // The span forms, on runs that cross hue sectors often.
        unsigned int span[256];
        ClassicColor::HslWords words[256];
        double lightnesses[256];
        for (unsigned int start = 0; start < 0x1000000u; start += 256u * 251u) {
            for (unsigned int i = 0; i < 256u; ++i) {
                span[i] = (start + i * 0x010203u) & 0xFFFFFFu;
                lightnesses[i] = lightness;
            }
            ClassicColor::hslWordsOf(span, words, 256);
            ClassicColor::rgbWithHslLightness(span, words, lightnesses, 256);
            for (unsigned int i = 0; i < 256u; ++i) {
                const unsigned int rgb = (start + i * 0x010203u) & 0xFFFFFFu;
                ClassicColor colour(rgb);
                colour.setHslF(colour.hslHueF(), colour.hslSaturationF(), lightness);
                ASSERT_EQ(span[i], colour.rgba() & 0xFFFFFFu) << std::hex << rgb << " " << lightness;
            }
        }
    }
}

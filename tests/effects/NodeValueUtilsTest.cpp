#include "effects/ByteClamp.h"
#include "effects/NodeValueUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <tuple>

using namespace KelVyxNodes;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

} // namespace

TEST(NodeValueUtilsTest, IntegerRangeTransformRoundsHalfUpAndClamps)
{
    EXPECT_EQ(transformToNewBounds(128, 0, 255, 0, 100), 50); // 50.196
    EXPECT_EQ(transformToNewBounds(255, 0, 255, 0, 100), 100);
    EXPECT_EQ(transformToNewBounds(300, 0, 255, 0, 100), 100);
    EXPECT_EQ(transformToNewBounds(-5, 0, 255, 0, 100), 0);
    // t = 2.5 rounds up; the offset is added after rounding.
    EXPECT_EQ(transformToNewBounds(1, 0, 2, 0, 5), 3);
    EXPECT_EQ(transformToNewBounds(1, 0, 2, 10, 15), 13);
    EXPECT_EQ(transformToNewBounds(3, 2, 6, -10, 0), -7); // 2.5 -> 3, then -10

    // A reversed target gives a negative t (here -2.5, which rounds to -2), but the final
    // clamp (upper bound first) always lands on newLo.
    EXPECT_EQ(transformToNewBounds(1, 0, 2, 0, -5), 0);
    // A reversed source range pins the value to lo.
    EXPECT_EQ(transformToNewBounds(5, 10, 0, 0, 100), 0);

    // Empty source range: newLo, not a NaN turned into an int.
    EXPECT_EQ(transformToNewBounds(7, 5, 5, 10, 20), 10);
    EXPECT_EQ(transformToNewBounds(0, 0, 0, -3, 3), -3);

    // Extreme ranges do not overflow.
    EXPECT_EQ(transformToNewBounds(0, -2147483647 - 1, 2147483647, 0, 255), 128);
    EXPECT_EQ(transformToNewBounds(2147483647, 0, 2147483647, -2147483647 - 1, 2147483647),
              2147483647);
}

TEST(NodeValueUtilsTest, RealOneTransforms)
{
    EXPECT_EQ(transformToRealOne(400, 0, 360), 1.0);
    EXPECT_EQ(transformToRealOne(-3, 0, 100), 0.0);
    EXPECT_EQ(transformToRealOne(128, 0, 255), 128.0 / 255.0);
    EXPECT_EQ(transformToRealOne(90, 0, 360), 0.25);
    // Ranges no caller passes: an empty one gives 0 (no NaN), lo maps to 0.
    EXPECT_EQ(transformToRealOne(5, 0, 0), 0.0);
    EXPECT_EQ(transformToRealOne(15, 10, 20), 0.5);

    EXPECT_EQ(transformFromRealOne(1.5, 0, 255), 255);
    EXPECT_EQ(transformFromRealOne(0.5, 0, 255), 128); // 127.5 up
    EXPECT_EQ(transformFromRealOne(-0.5, 0, 255), 0);
    EXPECT_EQ(transformFromRealOne(kNaN, 3, 255), 3);
    EXPECT_EQ(transformFromRealOne(0.5, 10, 20), 15);
    EXPECT_EQ(transformFromRealOne(0.25, 0, 10), 3); // 2.5 up
    // hi < lo gives lo, even where t is a negative half (-2.5).
    EXPECT_EQ(transformFromRealOne(0.25, 10, 0), 10);
}

TEST(NodeValueUtilsTest, ChannelStretchTruncatesAfterTheFactor)
{
    EXPECT_EQ(linearCorrectionOneChannel(25, 25, 0), 254);
    EXPECT_EQ(linearCorrectionOneChannel(24, 25, 0), 244);
    EXPECT_EQ(linearCorrectionOneChannel(21, 105, 0), 50); // not 51
    EXPECT_EQ(linearCorrectionOneChannel(10, 200, 50), 0);
    EXPECT_EQ(linearCorrectionOneChannel(250, 200, 50), 255);
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(linearCorrectionOneChannel(c, 255, 0), c);
        EXPECT_EQ(linearCorrectionOneChannel(c, 100, 100), 0);
        EXPECT_EQ(linearCorrectionOneChannel(c, 10, 200), 0); // hi < lo
    }

    // The spans whose top falls one short of 255.
    const std::set<int> short_ = {25,  29,  50,  53,  58,  91,  93,  100, 103, 105, 106,
                                  116, 117, 121, 182, 185, 186, 187, 191, 200, 203, 206,
                                  207, 210, 212, 217, 221, 232, 233, 234, 235, 242};
    for (int span = 1; span < 256; ++span) {
        const int expected = short_.count(span) ? 254 : 255;
        EXPECT_EQ(linearCorrectionOneChannel(span, span, 0), expected) << "span " << span;
        EXPECT_EQ(linearCorrection(span * 0x010101u, span, 0), 0xFF000000u | expected * 0x010101u)
            << "span " << span;
    }
}

TEST(NodeValueUtilsTest, GammaTable)
{
    GammaLUT lut;
    initGammaLUT(255, 0, 0, lut);
    EXPECT_EQ(lut.exponent, 1.0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(lut.table[i], i);

    initGammaLUT(200, 50, 0, lut);
    EXPECT_EQ(lut.table[50], 0);
    EXPECT_EQ(lut.table[51], 1);
    EXPECT_EQ(lut.table[52], 3);
    EXPECT_EQ(lut.table[200], 255);

    initGammaLUT(255, 0, 50, lut);
    EXPECT_EQ(lut.exponent, 5.0 / 55.0);
    EXPECT_EQ(lut.table[1], 154);
    EXPECT_EQ(lut.table[128], 240);

    initGammaLUT(255, 0, -50, lut);
    EXPECT_EQ(lut.exponent, 2.0);
    EXPECT_EQ(lut.table[128], 64); // 64.25
    EXPECT_EQ(lut.table[11], 0);   // 0.47 rounds to 0

    initGammaLUT(255, 0, 500, lut); // clamped to 100
    EXPECT_EQ(lut.exponent, 5.0 / 105.0);

    // Gamma -100: only a stretched 255 survives. The span 150 reaches 255 at the white
    // point; the span 100 tops out at 254, so nothing survives there.
    initGammaLUT(200, 50, -100, lut);
    EXPECT_EQ(lut.exponent, kInf);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(lut.table[i], i >= 200 ? 255 : 0) << i;
    // Equal, reversed or too narrow levels: all zero.
    for (auto [hi, lo, gamma] : {std::tuple{200, 100, -100}, {90, 90, 30}, {50, 200, 0}}) {
        initGammaLUT(hi, lo, gamma, lut);
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(lut.table[i], 0) << hi << " " << lo << " " << i;
    }
}

TEST(NodeValueUtilsTest, LinearMixes)
{
    EXPECT_EQ(blendVal(0, 255, 0.5), 127);
    EXPECT_EQ(blendVal(10, 20, 0.25), 12);  // 12.5 truncated
    EXPECT_EQ(blendVal(-10, 0, 0.25), -7);  // -7.5 toward zero
    EXPECT_EQ(blendVal(100, 200, 0.0), 100);
    EXPECT_EQ(blendVal(100, 200, 1.0), 200);
    EXPECT_EQ(blendVal(0, 2147483647, 4.0), 2147483647);
    EXPECT_EQ(blendVal(0, 1, kNaN), 0);

    EXPECT_EQ(blend(0xFF0000u, 0x0000FFu, 0.5), 0xFF7F007Fu);
    EXPECT_EQ(blend(0x00102030u, 0x80102030u, 0.5), 0xFF102030u); // alpha ignored
    // Mixing a channel with itself can fall one short: 48 * 0.7 + 48 * 0.3 = 47.999...
    EXPECT_EQ(blend(0x00102030u, 0x80102030u, 0.3), 0xFF10202Fu);
    EXPECT_EQ(blend(0x000000u, 0xC86432u, 0.25), 0xFF32190Cu);    // 50, 25, 12.5
    // Outside 0..1 the channels are held to bytes instead of spilling into neighbours.
    EXPECT_EQ(blend(0xFF0000u, 0x0000FFu, 2.0), 0xFF0000FFu);
    EXPECT_EQ(blend(0xFFFFFFu, 0x000000u, -1.0), 0xFFFFFFFFu);
    EXPECT_EQ(blend(0xFFFFFFu, 0x000000u, kNaN), 0xFF000000u);
}

TEST(NodeValueUtilsTest, ByteClampOfColourComponents)
{
    EXPECT_EQ(byteClamp(kNaN), 0);
    EXPECT_EQ(byteClamp(-kInf), 0);
    EXPECT_EQ(byteClamp(-0.5), 0);
    EXPECT_EQ(byteClamp(0.0), 0);
    EXPECT_EQ(byteClamp(0.999), 0);
    EXPECT_EQ(byteClamp(127.9), 127);
    EXPECT_EQ(byteClamp(254.99), 254);
    EXPECT_EQ(byteClamp(255.0), 255);
    EXPECT_EQ(byteClamp(1e300), 255);
    EXPECT_EQ(byteClamp(kInf), 255);
    // A colour parameter component as nodes convert it: pow(c, 1/2.2) * 255.999.
    EXPECT_EQ(byteClamp(std::pow(0.21951973f, 0.45454543828964233) * 255.99899291992188), 128);
    EXPECT_EQ(byteClamp(std::pow(-0.5, 0.45454543828964233) * 255.99899291992188), 0);
    EXPECT_EQ(byteClamp(std::pow(4.0, 0.45454543828964233) * 255.99899291992188), 255);
}

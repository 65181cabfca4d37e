#include "effects/color/VyxGradient.h"
#include "effects/color/VyxGradientPoint.h"

#include <gtest/gtest.h>

#include <limits>

using namespace KelVyxNodes;
using KelUtils::Color;

namespace {

const Color kRed(1.0f, 0.0f, 0.0f, 1.0f);
const Color kGreen(0.0f, 1.0f, 0.0f, 1.0f);
const Color kBlue(0.0f, 0.0f, 1.0f, 1.0f);

VyxGradient redToBlue()
{
    VyxGradient g;
    g.addPoint(VyxGradientPoint(kRed, 20, 0));
    g.addPoint(VyxGradientPoint(kBlue, 80, 1));
    return g;
}

} // namespace

TEST(GradientPoint, OrderEqualityAndEightBitColour)
{
    const VyxGradientPoint a(kRed, 30, 2);
    const VyxGradientPoint b(kBlue, 30, 5);
    const VyxGradientPoint c(kGreen, 40, 0);
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b < c); // position first, key only between equal positions
    EXPECT_TRUE(a == b);

    // 0.5 is 0xBA at 1 / 2.2 (truncated); alpha rounds 127.5 up.
    EXPECT_EQ(VyxGradientPoint(Color(0.5f, 0.5f, 0.5f, 0.5f), 0, 0).color(), 0x80BABABAu);
    // Over-bright channels hold at 255, negative and NaN ones at 0; alpha is held to 0..255.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(VyxGradientPoint(Color(7.0f, -1.0f, nan, 3.0f), 0, 0).color(), 0xFFFF0000u);
    EXPECT_EQ(VyxGradientPoint(Color(0.0f, 0.0f, 0.0f, -2.0f), 0, 0).color(), 0x00000000u);
}

TEST(Gradient, TwoStopsWrapThroughOneHundred)
{
    const VyxGradient g = redToBlue();
    const struct {
        double position;
        unsigned int rgb;
    } cases[] = {
        {0, 0x7F007F}, // blue -> red across the wrap, halfway
        {10, 0xBF003F}, {20, 0xFF0000}, {50, 0x7F007F}, {79, 0x0400FA}, {80, 0x0000FF}, {99, 0x790085},
    };
    for (auto const& c : cases)
        EXPECT_EQ(g.colorForPos(c.position), 0xFF000000u | c.rgb) << c.position;
    // The whole part picks the neighbours, the full value the weight: 19.5 still wraps.
    EXPECT_EQ(g.colorForPos(19.5), 0xFFFB0003u); // t = 0.9875
}

TEST(Gradient, ThreeStopsInAnyInsertionOrder)
{
    VyxGradient g;
    g.addPoint(VyxGradientPoint(kBlue, 100, 2));
    g.addPoint(VyxGradientPoint(kRed, 0, 0));
    g.addPoint(VyxGradientPoint(kGreen, 50, 1));
    EXPECT_EQ(g.colorForPos(25), 0xFF7F7F00u);
    EXPECT_EQ(g.colorForPos(50), 0xFF00FF00u);
    EXPECT_EQ(g.colorForPos(99), 0xFF0005F9u);
}

TEST(Gradient, StopsAtOnePlaceMakeAHardEdge)
{
    VyxGradient g;
    g.addPoint(VyxGradientPoint(kBlue, 50, 2));
    g.addPoint(VyxGradientPoint(kGreen, 50, 1));
    g.addPoint(VyxGradientPoint(kRed, 0, 0));
    // From below the mix runs towards the lower key (green)...
    EXPECT_EQ(g.colorForPos(49.9) & 0x0000FFu, 0u);
    EXPECT_GT(g.colorForPos(49.9) & 0x00FF00u, 0x00F000u);
    // ...and from the place itself on it starts from the higher key (blue), wrapping to red.
    EXPECT_EQ(g.colorForPos(50), 0xFF0000FFu);
    EXPECT_EQ(g.colorForPos(75), 0xFF7F007Fu);
}

TEST(Gradient, DegenerateQueriesGiveDefinedColours)
{
    // A last stop at 100 and a first at 0 leave no wrap span: the last stop, not 0 / 0.
    VyxGradient ends;
    ends.addPoint(VyxGradientPoint(kRed, 0, 0));
    ends.addPoint(VyxGradientPoint(kBlue, 100, 1));
    EXPECT_EQ(ends.colorForPos(100), 0xFF0000FFu);
    EXPECT_EQ(ends.colorForPos(50), 0xFF7F007Fu);

    EXPECT_EQ(VyxGradient().colorForPos(50), 0xFF000000u);

    // Nonsense positions stay opaque colours (no undefined conversion).
    const VyxGradient g = redToBlue();
    EXPECT_EQ(g.colorForPos(std::numeric_limits<double>::quiet_NaN()) >> 24, 0xFFu);
    EXPECT_EQ(g.colorForPos(1e300) >> 24, 0xFFu);
    EXPECT_EQ(g.colorForPos(-1e300) >> 24, 0xFFu);
}

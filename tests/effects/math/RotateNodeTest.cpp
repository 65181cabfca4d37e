#include "effects/math/NodeRotate.h"

#include "PatternBench.h"

#include <gtest/gtest.h>

#include <climits>

using namespace KelVyxNodes;
using PatternTest::Bench;
using PatternTest::coordinateColour;

namespace {

void setUp(Bench<NodeRotate>& b, int x, int y, int angle)
{
    ASSERT_EQ(b.params()->setIntParam(QStringLiteral("x"), x), 0);
    ASSERT_EQ(b.params()->setIntParam(QStringLiteral("y"), y), 0);
    ASSERT_EQ(b.params()->setIntParam(QStringLiteral("rotateAngle"), angle), 0);
    ASSERT_EQ(b.prepare(), 0);
}

// The folding as first described: one reflection at a time until the coordinate is inside.
long long reflectStepwise(long long x, int side)
{
    for (;;) {
        if (x >= side)
            x = 2LL * side - 2 - x;
        else if (x < 0)
            x = -x;
        else
            return x;
    }
}

} // namespace

TEST(RotateNode, RotationPointRoundsHalvesUp)
{
    const struct { int side, percent, pivot; } cases[] = {
        {2, 50, 1}, {10, 33, 3}, {10, 100, 9}, {10, 0, 0}, {600, 50, 300}, {101, 50, 50}};
    for (auto const& c : cases)
        EXPECT_EQ(NodeRotate::pivot(c.side, c.percent), c.pivot) << c.side << " " << c.percent;
    // (side - 1) x percent no longer fits an int: still near the far end, never negative.
    EXPECT_NEAR(NodeRotate::pivot(30000000, 100), 29999999, 4);
    EXPECT_NEAR(NodeRotate::pivot(30000000, 50), 15000000, 4);
}

TEST(RotateNode, ReflectionFoldsIntoTheImage)
{
    const struct { long long in; int out; } w10[] = {{-1, 1}, {-3, 3}, {10, 8}, {11, 7}, {19, 1}, {0, 0}, {9, 9}, {18, 0}};
    for (auto const& c : w10)
        EXPECT_EQ(NodeRotate::reflect(c.in, 10), c.out) << c.in;
    for (int side = 2; side <= 12; ++side) {
        for (long long x = -100; x <= 100; ++x)
            ASSERT_EQ(NodeRotate::reflect(x, side), reflectStepwise(x, side)) << x << " in " << side;
    }
    // One pixel: only 0 is inside; the stepwise rule would swing between two values for ever.
    for (long long x : {0LL, 1LL, -1LL, 2LL, 12345LL, -(1LL << 40)})
        EXPECT_EQ(NodeRotate::reflect(x, 1), 0) << x;
    // Far-away coordinates cost one remainder: 10^12 mod 18 = 10, folded to 8.
    EXPECT_EQ(NodeRotate::reflect(1000000000000LL, 10), 8);
    EXPECT_EQ(NodeRotate::reflect(-1000000000000LL, 10), 8);
}

TEST(RotateNode, AngleZeroIsTheInputForAnyRotationPoint)
{
    Bench<NodeRotate> b(7, 5);
    b.feed("rgbIn", [](QPoint const& p) { return 0xC1000000u | coordinateColour(p); });
    EXPECT_EQ(b.at(3, 4), 0x808080u); // not prepared yet: no image size
    for (int point : {0, 37, 100}) {
        setUp(b, point, 100 - point, 0);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 7; ++x)
                EXPECT_EQ(b.at(x, y), 0xC1000000u | coordinateColour(QPoint(x, y)));
        }
    }
}

TEST(RotateNode, QuarterAndHalfTurns)
{
    Bench<NodeRotate> odd(101, 101);
    odd.feed("rgbIn", coordinateColour);
    setUp(odd, 50, 50, 180);
    EXPECT_EQ(odd.at(0, 0), coordinateColour(QPoint(100, 100)));
    EXPECT_EQ(odd.at(10, 70), coordinateColour(QPoint(90, 30)));
    setUp(odd, 50, 50, 90);
    EXPECT_EQ(odd.at(10, 70), coordinateColour(QPoint(70, 90)));
    EXPECT_EQ(odd.at(0, 0), coordinateColour(QPoint(0, 100)));
    EXPECT_EQ(odd.at(100, 3), coordinateColour(QPoint(3, 0)));

    // An even side: the centre is (50, 50), so the mapped 100 folds back to 98.
    Bench<NodeRotate> even(100, 100);
    even.feed("rgbIn", coordinateColour);
    setUp(even, 50, 50, 180);
    EXPECT_EQ(even.at(0, 20), coordinateColour(QPoint(98, 80)));
    EXPECT_EQ(even.at(1, 20), coordinateColour(QPoint(99, 80)));
    EXPECT_EQ(even.at(2, 20), coordinateColour(QPoint(98, 80)));
}

TEST(RotateNode, OddAngleReflectsAtEveryEdge)
{
    // 10 x 10, centre (5, 5), 30 degrees: (x, y) reads (5 + u cos + v sin, 5 - u sin + v cos)
    // with u = x - 5, v = y - 5, rounded half up and folded.
    Bench<NodeRotate> b(10, 10);
    b.feed("rgbIn", coordinateColour);
    setUp(b, 50, 50, 30);
    EXPECT_EQ(b.at(0, 0), coordinateColour(QPoint(2, 3)));  // (-1.83, 3.17): x folds at the left
    EXPECT_EQ(b.at(9, 9), coordinateColour(QPoint(8, 6)));  // (10.46, 6.46): x folds at the right
    EXPECT_EQ(b.at(9, 0), coordinateColour(QPoint(6, 1)));  // (5.96, -1.33): y folds at the top
    EXPECT_EQ(b.at(0, 9), coordinateColour(QPoint(3, 7)));  // (2.67, 10.96): y folds at the bottom
    EXPECT_EQ(b.at(5, 5), coordinateColour(QPoint(5, 5)));

    // -30 turns the other way: (0, 0) reads (5 - 4.33 + 2.5, 5 - 2.5 - 4.33) = (3.17, -1.83).
    setUp(b, 50, 50, -30);
    EXPECT_EQ(b.at(0, 0), coordinateColour(QPoint(3, 2)));
}

TEST(RotateNode, OnePixelSidesTerminate)
{
    for (auto size : {QSize(1, 1), QSize(1, 6), QSize(6, 1)}) {
        Bench<NodeRotate> b(size.width(), size.height());
        b.feed("rgbIn", coordinateColour);
        setUp(b, 100, 0, 45);
        for (QPoint p : {QPoint(0, 0), QPoint(0, 5), QPoint(5, 0), QPoint(-3, 2), QPoint(INT_MAX, INT_MIN),
                         QPoint(INT_MIN, INT_MAX)}) {
            const QPoint got(int(b.at(p.x(), p.y()) >> 16), int((b.at(p.x(), p.y()) >> 8) & 0xFF));
            EXPECT_TRUE(got.x() >= 0 && got.x() < size.width() && got.y() >= 0 && got.y() < size.height())
                << p.x() << "," << p.y() << " read " << got.x() << "," << got.y();
        }
    }

    // And a whole render of a one-pixel-wide image.
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(1, 9));
    auto* node = h.add<NodeRotate>();
    ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("rotateAngle"), 77), 0);
    h.chain(node, QStringLiteral("rgbIn"), QStringLiteral("rgbOut"));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(0, 4), EffectTest::gradientPixel(0, 4) & 0xFFFFFFu); // the centre stays
}

TEST(RotateNode, HalfTurnInARender)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(5, 5));
    auto* node = h.add<NodeRotate>();
    ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("rotateAngle"), 180), 0);
    h.chain(node, QStringLiteral("rgbIn"), QStringLiteral("rgbOut"));
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(h.rgb(x, y), EffectTest::gradientPixel(4 - x, 4 - y) & 0xFFFFFFu) << x << "," << y;
    }
}

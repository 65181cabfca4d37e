#include "effects/math/NodeChecker.h"

#include "PatternBench.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace KelVyxNodes;
using KelUtils::Color;
using PatternTest::coordinateColour;

namespace {

struct CheckerBench : PatternTest::Bench<NodeChecker>
{
    CheckerBench(int w = 400, int h = 300) : Bench(w, h) {}
    void setInt(char const* key, int v) { ASSERT_EQ(params()->setIntParam(QString::fromLatin1(key), v), 0); }
};

} // namespace

TEST(CheckerNode, CellsFollowTheImageSides)
{
    CheckerBench b;
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.node->cellWidth(), 50);
    EXPECT_EQ(b.node->cellHeight(), 37); // 300 / 8 truncated
    // Rows 296..299 are a ninth, four-pixel row continuing the pattern.
    const struct { int x, y; bool white; } cells[] = {{0, 0, true},    {49, 36, true},   {50, 37, true},
                                                      {50, 0, false},  {0, 37, false},   {0, 296, true},
                                                      {0, 295, false}, {399, 299, false}};
    for (auto const& c : cells)
        EXPECT_EQ(b.at(c.x, c.y), c.white ? 0xFFFFFFu : 0u) << c.x << "," << c.y;

    // Square cells from the shorter side: eleven columns, the last 30 wide (index 10, white).
    b.setInt("Proportional", 0);
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.node->cellWidth(), 37);
    EXPECT_EQ(b.at(369, 0), 0x000000u);
    EXPECT_EQ(b.at(370, 0), 0xFFFFFFu);

    // More cells than pixels: grey, and no source is asked.
    CheckerBench tiny(5, 40);
    int asked = 0;
    tiny.feed("color1", [&asked](QPoint const&) { ++asked; return 0x123456u; });
    ASSERT_EQ(tiny.prepare(), 0);
    EXPECT_EQ(tiny.node->cellWidth(), 0);
    EXPECT_EQ(tiny.at(4, 39), 0x808080u);
    EXPECT_EQ(asked, 0);
}

TEST(CheckerNode, UndividedAxes)
{
    CheckerBench b;
    b.setInt("Repeat H", 0);
    ASSERT_EQ(b.prepare(), 0);
    // Horizontal bands 37 rows high, colour 1 on top.
    EXPECT_EQ(b.at(399, 0), 0xFFFFFFu);
    EXPECT_EQ(b.at(250, 36), 0xFFFFFFu);
    EXPECT_EQ(b.at(250, 37), 0x000000u);

    // Solid fill with one source on both inputs: each band shows x = 0 of its middle row.
    b.setInt("Solid fill", 1);
    b.feed("color1", coordinateColour);
    b.feed("color2", coordinateColour);
    EXPECT_EQ(b.at(300, 0), coordinateColour(QPoint(0, 18)));
    EXPECT_EQ(b.at(300, 40), coordinateColour(QPoint(0, 55)));
    EXPECT_EQ(b.at(7, 298), coordinateColour(QPoint(0, 299))); // the partial band: 314 held to 299

    // Both undivided: one cell of colour 1, sampled at (0, 0) with solid fill.
    b.setInt("Repeat V", 0);
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.at(399, 299), coordinateColour(QPoint(0, 0)));
    b.setInt("Solid fill", 0);
    EXPECT_EQ(b.at(399, 299), coordinateColour(QPoint(399, 299)));
}

TEST(CheckerNode, SolidFillSamplesCellCentres)
{
    CheckerBench b(100, 100);
    b.feed("color1", coordinateColour);
    b.setInt("Solid fill", 1);
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.node->cellWidth(), 12);
    // Colour-1 cells are flat, the others show colour 2 (black).
    EXPECT_EQ(b.at(0, 0), coordinateColour(QPoint(6, 6)));
    EXPECT_EQ(b.at(11, 11), coordinateColour(QPoint(6, 6)));
    EXPECT_EQ(b.at(12, 0), 0x000000u);
    EXPECT_EQ(b.at(30, 26), coordinateColour(QPoint(30, 30)));
    // Column 8 (x = 96..99), row 8: centre 102 held to 99.
    EXPECT_EQ(b.at(97, 98), coordinateColour(QPoint(99, 99)));

    // Both sources the same: pixelation.
    b.feed("color2", coordinateColour);
    EXPECT_EQ(b.at(12, 0), coordinateColour(QPoint(18, 6)));
    EXPECT_EQ(b.at(23, 13), coordinateColour(QPoint(18, 18)));
}

TEST(CheckerNode, ColoursAndTheTopByte)
{
    CheckerBench b;
    ASSERT_EQ(b.params()->setColorParam(QStringLiteral("Color1"), Color(0.5f, 0.0f, 1.0f, 0.2f)), 0);
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.at(0, 0), 0xBA00FFu); // 0.5 -> 186
    b.feed("color2", 0xFF102030u);
    EXPECT_EQ(b.at(50, 0), 0x102030u);
    // Points far outside still land in a cell, and a cell centre is held inside the image.
    std::vector<QPoint> asked;
    b.feed("color1", [&asked](QPoint const& p) { asked.push_back(p); return 0u; });
    b.setInt("Solid fill", 1);
    b.at(INT_MIN, INT_MAX);
    b.at(INT_MAX, INT_MIN);
    EXPECT_EQ(asked, std::vector<QPoint>({QPoint(0, 299), QPoint(399, 0)}));
}

TEST(CheckerNode, LinksSwitchTheEditors)
{
    CheckerBench b;
    EXPECT_EQ(b.flags("Solid fill"), 4); // nothing to sample yet
    auto* one = b.feed("color1", 0u);
    EXPECT_EQ(b.flags("Color1"), 4);
    EXPECT_EQ(b.flags("Solid fill"), 5);
    auto* two = b.feed("color2", 0u);
    b.unfeed(one, "color1");
    EXPECT_EQ(b.flags("Color1"), 5);
    EXPECT_EQ(b.flags("Solid fill"), 5); // color2 still holds a source
    b.unfeed(two, "color2");
    EXPECT_EQ(b.flags("Solid fill"), 4);
}

TEST(CheckerNode, NoImageAndCancellation)
{
    // Sizes unknown until the first preparation.
    EXPECT_EQ(NodeChecker(9).cellWidth(), -1);
    CheckerBench b;
    EffectTest::CountingObserver observer;
    observer.cancelNow = true;
    EXPECT_EQ(b.node->onFilterStart(&observer), -1);
    EXPECT_EQ(b.node->cellWidth(), 50); // the sizes are stored all the same
}

TEST(CheckerNode, ARenderThroughTheGraph)
{
    EffectTest::EffectHarness h(EffectTest::makeImage(16, 8));
    auto* node = h.add<NodeChecker>();
    h.output(node, QStringLiteral("rgb"));
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(h.rgb(x, y), ((x / 2 + y) % 2) ? 0x000000u : 0xFFFFFFu) << x << "," << y;
    }
}

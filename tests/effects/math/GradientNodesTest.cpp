#include "effects/math/NodeGradient3Color.h"
#include "effects/math/NodeGradient5Color.h"

#include "MathTestRig.h"
#include "effects/EffectTestSupport.h"
#include "effects/NodeValueUtils.h"
#include "effects/ProbeSourceNode.h"
#include "effects/color/VyxGradient.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using EffectTest::ProbeSourceNode;

namespace {

// A gradient node rendered alone over a w x h picture, red at 0, green at 50, blue at 100
// unless a test moves the stops.
template <class N>
struct GradientHarness : EffectHarness
{
    GradientHarness(int w, int h) : EffectHarness(EffectTest::makeImage(w, h)), node(add<N>())
    {
        output(node, QStringLiteral("out"));
        setPositions({0, 50, 100, 100, 100});
    }
    KelUtils::ParameterContainer* params() const { return node->paramContainer(); }
    void set(char const* key, int value) { ASSERT_EQ(params()->setIntParam(QString::fromLatin1(key), value), 0) << key; }
    void setPositions(std::initializer_list<int> positions)
    {
        int i = 1;
        for (int p : positions) {
            if (i <= N::StopCount)
                set(QStringLiteral("Position %1").arg(i).toLatin1().constData(), p);
            ++i;
        }
    }
    void setRotate(int angle) { ASSERT_EQ(params()->setListParam(QStringLiteral("Rotate"), angle), 0); }
    // A probe in the graph linked from `from` to the node's input `to`.
    ProbeSourceNode* feed(char const* from, char const* to)
    {
        auto* probe = add<ProbeSourceNode>();
        EXPECT_EQ(link(probe, QString::fromLatin1(from), node, QString::fromLatin1(to)), 0) << to;
        return probe;
    }
    void expectPixels(std::initializer_list<std::tuple<int, int, unsigned int>> expected)
    {
        ASSERT_EQ(render(), 0);
        for (auto const& [x, y, colour] : expected)
            EXPECT_EQ(pixel(x, y), 0xFF000000u | colour) << "(" << x << ", " << y << ")";
    }
    N* node;
};

using Three = GradientHarness<NodeGradient3Color>;

} // namespace

TEST(GradientNodes, BlackUntilPreparedAndNoChannelOutput)
{
    NodeGradient3Color node(1);
    EXPECT_EQ(node.getSample3(QPoint(7, 3)), 0u);
    // Outside a graph there is no image to measure: still black.
    EXPECT_EQ(node.onFilterStart(nullptr), 0);
    EXPECT_EQ(node.getSample3(QPoint(1, 1)), 0u);
    // Only the node's own angles are taken.
    EXPECT_NE(node.paramContainer()->setListParam(QStringLiteral("Rotate"), 45), 0);

    Three h(10, 4);
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.node->gradientAtPoint(QPoint(5, 0)), 0xFF00FF00u);
    EXPECT_EQ(h.node->getSample3(QPoint(5, 0)), 0x00FF00u);
    EXPECT_EQ(h.node->getSample(QPoint(5, 0)), 0u);
}

TEST(GradientNodes, ThreeStopsAlongXAndY)
{
    Three h(100, 50);
    // pos = x / 100 x 100 on every row.
    h.expectPixels({{0, 0, 0xFF0000u}, {25, 0, 0x7F7F00u}, {50, 0, 0x00FF00u}, {75, 49, 0x007F7Fu},
                    {99, 17, 0x0005F9u}});
    h.setRotate(90); // along y over the 50 rows
    h.expectPixels({{99, 0, 0xFF0000u}, {0, 25, 0x00FF00u}, {40, 49, 0x000AF4u}});

    // x = 29 lies just below 29 (29 / 100 x 100): with green at 29 it still takes its
    // neighbours from 28 and stops one short of full green.
    h.setRotate(0);
    h.setPositions({0, 29, 100});
    h.expectPixels({{29, 0, 0x00FE00u}, {30, 0, 0x00FB03u}});
}

TEST(GradientNodes, ReversedOrdersSwapPositionsNotColours)
{
    Three h(100, 100);
    h.setRotate(180);
    // Red now sits at 100, green at 50 and blue at 0.
    h.expectPixels({{0, 0, 0x0000FFu}, {25, 0, 0x007F7Fu}, {50, 0, 0x00FF00u}, {75, 0, 0x7F7F00u}});
    h.setRotate(270);
    h.expectPixels({{0, 25, 0x007F7Fu}, {0, 75, 0x7F7F00u}});

    // Stops at one place keep the order of their colours: red and green both at 0.
    h.setRotate(0);
    h.setPositions({0, 0, 50});
    h.expectPixels({{0, 0, 0x00FF00u}, {25, 0, 0x007F7Fu}});
}

TEST(GradientNodes, TilesAlongSidesAndSquares)
{
    Three h(200, 100);
    ASSERT_EQ(h.params()->setIntParam(QStringLiteral("Repeat"), 2), 0);
    h.expectPixels({{100, 0, 0xFF0000u}, {125, 0, 0x7F7F00u}, {175, 0, 0x007F7Fu}, {199, 0, 0x0005F9u}});
    h.setRotate(90); // tiles of 50 rows
    h.expectPixels({{0, 25, 0x00FF00u}, {0, 75, 0x00FF00u}, {0, 50, 0xFF0000u}});

    // Proportional: squares of the shorter side, cut into repeat x repeat tiles.
    h.setRotate(0);
    h.set("Proportional", 1);
    h.set("Repeat", 1);
    h.expectPixels({{150, 0, 0x00FF00u}, {100, 0, 0xFF0000u}, {125, 0, 0x7F7F00u}});
    h.set("Repeat", 4); // tiles of 25
    h.expectPixels({{125, 0, 0xFF0000u}, {137, 0, 0x0AF400u}, {199, 0, 0x0014EAu}});

    // Ten columns, repeat 3: tiles of 3, 3, 3 and 1; the last column starts a new tile.
    Three narrow(10, 2);
    narrow.set("Repeat", 3);
    narrow.setPositions({0, 0, 0});
    ASSERT_EQ(narrow.render(), 0);
    EXPECT_EQ(narrow.pixel(9, 0), 0xFF0000FFu); // the same as column 0
    EXPECT_EQ(narrow.pixel(4, 1), narrow.pixel(1, 0));
    EXPECT_NE(narrow.pixel(1, 0), narrow.pixel(0, 0));
}

TEST(GradientNodes, RepeatBeyondTheSideKeepsTilesOfOnePixel)
{
    // Tiles would have no pixels: every pixel is the start of its own tile.
    Three small(3, 2);
    small.set("Repeat", 5);
    small.expectPixels({{0, 0, 0xFF0000u}, {1, 0, 0xFF0000u}, {2, 1, 0xFF0000u}});
    small.setRotate(90);
    small.expectPixels({{2, 1, 0xFF0000u}});
    small.set("Proportional", 1);
    small.set("Repeat", 100);
    small.expectPixels({{2, 1, 0xFF0000u}, {1, 0, 0xFF0000u}});

    // One pixel wide: the columns are single pixels, the rows still tile by three.
    Three column(1, 10);
    column.set("Repeat", 3);
    column.setRotate(90);
    ASSERT_EQ(column.render(), 0);
    EXPECT_EQ(column.pixel(0, 9), 0xFFFF0000u);
    EXPECT_EQ(column.pixel(0, 4), column.pixel(0, 1));
    EXPECT_EQ(column.pixel(0, 7), column.pixel(0, 1));
    column.setRotate(0);
    column.expectPixels({{0, 0, 0xFF0000u}, {0, 5, 0xFF0000u}});
}

TEST(GradientNodes, InputsReplaceStopColoursAndPositions)
{
    Three h(100, 100);
    ProbeSourceNode* position = h.feed("out 1d", "Position 2");
    h.set("Position 2", 0); // linked: the parameter plays no part
    position->value = 128;  // 50
    h.expectPixels({{25, 0, 0x7F7F00u}, {50, 0, 0x00FF00u}});
    position->value = 255; // 100: green and blue share the end, green first
    h.expectPixels({{50, 0, 0x7F7F00u}});
    position->value = 1; // 0: red and green share the start, green last
    h.expectPixels({{0, 0, 0x00FF00u}});

    // A source colour goes through linear light and back to the same bytes; its alpha is 0
    // but never reaches the output.
    position->value = 128;
    ProbeSourceNode* colour = h.feed("out", "Color 2");
    colour->colour = 0xFF8000u;
    h.expectPixels({{50, 0, 0xFF8000u}, {25, 0, 0xFF4000u}});
    colour->colour = 0x0000FFu;
    h.expectPixels({{25, 0, 0x7F007Fu}, {75, 0, 0x0000FFu}});

    // Reversed: blue takes "Position 1" (the input, 100), green "Position 2", red "Position 3".
    Three r(100, 100);
    r.setPositions({0, 50, 0});
    r.feed("out 1d", "Position 1")->value = 255;
    r.setRotate(270);
    r.expectPixels({{0, 25, 0x7F7F00u}, {0, 75, 0x007F7Fu}});
}

TEST(GradientNodes, FiveStopsWrapFromLastToFirst)
{
    GradientHarness<NodeGradient5Color> h(100, 10);
    h.setPositions({0, 20, 40, 60, 80});
    // Red, green, blue, white, black; after black the gradient runs on to red through 100.
    h.expectPixels({{10, 0, 0x7F7F00u}, {40, 0, 0x0000FFu}, {60, 0, 0xFFFFFFu}, {70, 0, 0x7F7F7Fu},
                    {90, 0, 0x7F0000u}, {80, 9, 0x000000u}});
    h.setRotate(180); // red at 80 ... black at 0
    h.expectPixels({{10, 0, 0x7F7F7Fu}, {90, 0, 0x7F0000u}, {40, 0, 0x0000FFu}});
}

TEST(GradientNodes, AngleFromAByte)
{
    const std::pair<unsigned char, int> cases[] = {{0, 0}, {89, 0}, {90, 90}, {179, 90}, {180, 180}, {255, 180}};
    for (auto const& [v, angle] : cases) {
        EXPECT_EQ(NodeGradient3Color::cast1dValueToAngle(v), angle) << int(v);
        EXPECT_EQ(NodeGradient5Color::cast1dValueToAngle(v), angle) << int(v);
    }
}

// The node keeps its stop bytes between samples: every pixel must still match a gradient
// built afresh from the same stops, with per-pixel inputs and colours that are not byte-exact.
TEST(GradientNodes, MatchesAFreshGradientPerPixel)
{
    using KelUtils::Color;
    GradientHarness<NodeGradient5Color> h(100, 4);
    h.setPositions({30, 30, 70, 0, 100});
    const Color own[] = {Color(0.3f, 0.01f, 0.77f, 1.0f), Color(0.0f, 0.5f, 0.2f, 0.4f),
                         Color(1.0f, 0.123f, 0.9f, 1.0f), Color(0.6f, 0.6f, 0.0f, 1.0f),
                         Color(0.05f, 0.9f, 0.45f, 1.0f)};
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(h.params()->setColorParam(QStringLiteral("Color %1").arg(i + 1), own[i]), 0);
    ProbeSourceNode* colour = h.feed("out", "Color 3");
    colour->colourAt = [](QPoint const& p) { return 0x9Au << 24 | unsigned(p.x() * 2) << 16 | unsigned(255 - p.x()) << 8 | 77u; };
    ProbeSourceNode* position = h.feed("out 1d", "Position 4");
    position->valueAt = [](QPoint const& p) { return unsigned(p.x() * 5 % 256); };

    for (int rotate : {0, 180}) {
        h.setRotate(rotate);
        ASSERT_EQ(h.render(), 0);
        for (int x = 0; x < 100; ++x) {
            const QPoint p(x, 1);
            const unsigned int c = colour->colourAt(p);
            const Color linked(Color::decodeChannel((c >> 16) & 0xFFu, Color::Gamma),
                               Color::decodeChannel((c >> 8) & 0xFFu, Color::Gamma),
                               Color::decodeChannel(c & 0xFFu, Color::Gamma), Color::decodeAlpha(c >> 24));
            const int positions[] = {30, 30, 70, transformToNewBounds(int(position->valueAt(p)), 0, 255, 0, 100), 100};
            VyxGradient reference;
            for (int i = 0; i < 5; ++i) {
                const int j = rotate == 180 ? 4 - i : i;
                reference.addPoint(VyxGradientPoint(i == 2 ? linked : own[i], positions[j], i));
            }
            EXPECT_EQ(h.node->gradientAtPoint(p), reference.colorForPos(transformToRealOne(x, 0, 100) * 100.0))
                << "x " << x << " rotate " << rotate;
        }
    }
}

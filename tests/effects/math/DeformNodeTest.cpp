#include "effects/math/NodeLookup.h"

#include "MathTestRig.h"
#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using EffectTest::ProbeSourceNode;

namespace {

// Blue tells the column (up to 255), red the row.
QImage coordinateImage(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, 0xFF004000u | unsigned(y & 0xFF) << 16 | unsigned(x & 0xFF));
    }
    return image;
}

unsigned int at(int x, int y) { return 0x004000u | unsigned(y & 0xFF) << 16 | unsigned(x & 0xFF); }

struct DeformHarness : EffectHarness
{
    DeformHarness(int w, int h) : EffectHarness(coordinateImage(w, h)), node(add<NodeLookup>())
    {
        chain(node, QStringLiteral("in"), QStringLiteral("out"));
    }
    ProbeSourceNode* map(char const* input, unsigned int colour)
    {
        auto* probe = add<ProbeSourceNode>();
        probe->colour = colour;
        EXPECT_EQ(link(probe, QStringLiteral("out"), node, QString::fromLatin1(input)), 0) << input;
        return probe;
    }
    void setStrength(float s)
    {
        ASSERT_EQ(node->paramContainer()->setFloatParam(QStringLiteral("deformStrength"), s), 0);
    }
    NodeLookup* node;
};

} // namespace

TEST(DeformNode, StrengthIsEditableWhileAnInputIsLinked)
{
    MathTest::Rig<NodeLookup> rig;
    EXPECT_EQ(rig.flags("deformStrength"), 5);
    rig.feed("x", 0);
    rig.feed("y", 0);
    rig.unfeed("x");
    EXPECT_TRUE(rig.enabled("deformStrength"));
    rig.unfeed("y");
    EXPECT_EQ(rig.flags("deformStrength"), 4);
    // No image: mid grey, maps or not.
    EXPECT_EQ(rig.sample(), 0x808080u);
}

TEST(DeformNode, DisplacedCoordinates)
{
    const struct { int x, side; float strength; int sum, out; } cases[] = {
        {150, 200, 100.0f, 0, 0},  // black at strength 100 on 200 columns: d = -1000
        {5, 200, 1.0f, 765, 15},   // white at strength 1: d = 10.00016
        {189, 200, 1.0f, 765, 199}, {195, 200, 1.0f, 765, 199},
        {10, 200, 100.0f, 384, 14}, // mid grey: d = 3.93, a slight push to larger coordinates
        {7, 200, 0.0f, 765, 7},     {7, 200, 0.0f, 0, 7},
        {0, 20, 1.0f, 0, 0},        {1, 20, 1.0f, 0, 0}, // between -1 and 0 truncates to 0
        {5, 20, 1.0f, 0, 4},
        {0, 1, 100.0f, 765, 0},     {0, 1, 100.0f, 0, 0}, // one pixel wide
        {5, 2000000000, 100.0f, 765, 1999999999}, {1999999990, 2000000000, 100.0f, 0, 0},
    };
    for (auto const& c : cases)
        EXPECT_EQ(NodeLookup::displaced(c.x, c.side, c.strength, c.sum), c.out) << c.x << " of " << c.side;
}

TEST(DeformNode, MapsMoveTheReadPoint)
{
    DeformHarness h(200, 20);
    ASSERT_EQ(h.render(), 0);
    // Only the picture linked: unchanged.
    for (int x : {0, 57, 199})
        EXPECT_EQ(h.rgb(x, 3), at(x, 3));

    ProbeSourceNode* xMap = h.map("x", 0x000000u);
    h.setStrength(100.0f);
    ASSERT_EQ(h.render(), 0);
    for (int x : {0, 57, 199})
        EXPECT_EQ(h.rgb(x, 3), at(0, 3)) << x;

    xMap->colour = 0xFFFFFFu;
    h.setStrength(1.0f);
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(0, 3), at(10, 3));
    EXPECT_EQ(h.rgb(100, 19), at(110, 19));
    EXPECT_EQ(h.rgb(195, 0), at(199, 0));
}

TEST(DeformNode, TheVerticalMapIsReadAtTheOutputPoint)
{
    DeformHarness h(200, 20);
    h.setStrength(1.0f);
    h.map("x", 0xFFFFFFu); // x + 10
    ProbeSourceNode* yMap = h.map("y", 0);
    // Black left of column 100, white from there: read where the x map would have moved to,
    // column 95 would see white.
    yMap->colourAt = [](QPoint const& p) { return p.x() < 100 ? 0x000000u : 0xFFFFFFu; };
    ASSERT_EQ(h.render(), 0);
    // Black over 20 rows at strength 1: d = -1, so y + -1 + 0.5 truncates to y - 1.
    EXPECT_EQ(h.rgb(95, 5), at(105, 4));
    EXPECT_EQ(h.rgb(95, 0), at(105, 0));
    // White: d = 1.00002, y + 1.
    EXPECT_EQ(h.rgb(100, 5), at(110, 6));
    EXPECT_EQ(h.rgb(100, 19), at(110, 19));

    // The picture unlinked: mid grey even with both maps.
    h.node->getTerminal(QStringLiteral("in"))->disconnect(h.source()->getTerminal(QStringLiteral("rgb")));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(50, 5), 0x808080u);
}

TEST(DeformNode, OnePixelWideImage)
{
    DeformHarness h(1, 5);
    h.setStrength(100.0f);
    h.map("x", 0xFFFFFFu);
    ProbeSourceNode* yMap = h.map("y", 0xFFFFFFu);
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(h.rgb(0, y), at(0, 4));
    yMap->colour = 0;
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(0, 4), at(0, 0));
}

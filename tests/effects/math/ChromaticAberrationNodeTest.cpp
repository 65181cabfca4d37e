#include "effects/math/NodeChromaticAberration.h"

#include "MathTestRig.h"
#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using EffectTest::ProbeSourceNode;

namespace {

// Green and blue both tell the point as y x 16 + x; red is a constant 0xAB.
unsigned int idx(int x, int y) { return unsigned(y * 16 + x) & 0xFFu; }

QImage indexImage(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, 0xFFAB0000u | idx(x, y) << 8 | idx(x, y));
    }
    return image;
}

// The output colour whose green came from (gx, gy) and blue from (bx, by).
unsigned int fringe(int gx, int gy, int bx, int by)
{
    return 0xAB0000u | idx(gx, gy) << 8 | idx(bx, by);
}

struct ChromaHarness : EffectHarness
{
    ChromaHarness(int w, int h) : EffectHarness(indexImage(w, h)), node(add<NodeChromaticAberration>())
    {
        chain(node, QStringLiteral("in"), QStringLiteral("out"));
    }
    void setStrength(int s) { ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("strength"), s), 0); }
    NodeChromaticAberration* node;
};

} // namespace

TEST(ChromaticAberrationNode, FixedOffsetFollowsTheStrength)
{
    MathTest::Rig<NodeChromaticAberration> rig;
    NodeChromaticAberration* node = rig.node.get();
    EXPECT_EQ(node->fixedOffset(), 1);
    const std::pair<int, int> offsets[] = {{0, 0},  {9, 0},  {10, 1}, {29, 1}, {30, 2}, {49, 2},
                                           {50, 3}, {69, 3}, {70, 4}, {89, 4}, {90, 5}, {100, 5}};
    for (auto const& [strength, offset] : offsets) {
        ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("strength"), strength), 0);
        EXPECT_EQ(node->fixedOffset(), offset) << strength;
    }
    EXPECT_FLOAT_EQ(node->offsetFactor(), 5.0f);
    // Linking "aber" leaves the strength editable; no picture gives mid grey.
    rig.feed("aber", 0xFFFFFFu);
    EXPECT_TRUE(rig.enabled("strength"));
    EXPECT_EQ(rig.sample(), 0x808080u);
}

TEST(ChromaticAberrationNode, FixedOffsetAtTheBorders)
{
    ChromaHarness h(16, 16);
    ASSERT_EQ(h.render(), 0);
    // Green from one down and right, blue from one up and left.
    EXPECT_EQ(h.rgb(5, 6), fringe(6, 7, 4, 5));
    EXPECT_EQ(h.rgb(0, 0), fringe(1, 1, 0, 0));
    EXPECT_EQ(h.rgb(15, 15), fringe(15, 15, 14, 14));
    EXPECT_EQ(h.rgb(0, 7), fringe(1, 8, 0, 6));
    EXPECT_EQ(h.rgb(15, 0), fringe(15, 1, 14, 0));

    h.setStrength(100); // five pixels
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(7, 8), fringe(12, 13, 2, 3));
    EXPECT_EQ(h.rgb(2, 13), fringe(7, 15, 0, 8));
}

TEST(ChromaticAberrationNode, MapScalesTheOffset)
{
    ChromaHarness h(16, 16);
    auto* map = h.add<ProbeSourceNode>();
    map->colour = 0x000000u;
    ASSERT_EQ(EffectHarness::link(map, QStringLiteral("out"), h.node, QStringLiteral("aber")), 0);
    h.setStrength(100);
    ASSERT_EQ(h.render(), 0);
    for (QPoint p : {QPoint(0, 0), QPoint(8, 9), QPoint(15, 15)})
        EXPECT_EQ(h.rgb(p.x(), p.y()), fringe(p.x(), p.y(), p.x(), p.y()));

    // White at strength 100: o = 7.65, green 7 pixels on, blue 8 back.
    map->colour = 0xFFFFFFu;
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(8, 8), fringe(15, 15, 0, 0));
    EXPECT_EQ(h.rgb(9, 10), fringe(15, 15, 1, 2));
    // 7 - 7.65 truncates to 0; 3 - 7.65 is clamped.
    EXPECT_EQ(h.rgb(3, 7), fringe(10, 14, 0, 0));

    // Mid grey: sum 384 x 5 x 0.002 = 3.84.
    map->colour = 0x808080u;
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(8, 8), fringe(11, 11, 4, 4));

    // The picture unlinked: mid grey with the map still there.
    h.node->getTerminal(QStringLiteral("in"))->disconnect(h.source()->getTerminal(QStringLiteral("rgb")));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(8, 8), 0x808080u);
}

TEST(ChromaticAberrationNode, SizeFromTheGraphAndOnePixelSides)
{
    // Added to a graph that holds a picture, the node knows its size before any render.
    ChromaHarness h(3, 3);
    EXPECT_EQ(h.node->getSample3(QPoint(2, 2)), fringe(2, 2, 1, 1));

    ChromaHarness line(1, 5);
    ASSERT_EQ(line.render(), 0);
    EXPECT_EQ(line.rgb(0, 2), fringe(0, 3, 0, 1));
    EXPECT_EQ(line.rgb(0, 0), fringe(0, 1, 0, 0));
    EXPECT_EQ(line.rgb(0, 4), fringe(0, 4, 0, 3));
}

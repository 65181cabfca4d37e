#include "effects/math/NodeFrame.h"
#include "effects/math/NodeFrameTerminal1D.h"

#include "PatternBench.h"
#include "effects/Base1DGenerator.h"
#include "effects/VyxTerminal.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace KelVyxNodes;
using KelUtils::Color;

namespace {

// 100 x 100, defaults: content 0x808080, rim and frame black, transparent on.
struct FrameBench : PatternTest::Bench<NodeFrame>
{
    FrameBench(int w = 100, int h = 100) : Bench(w, h) { EXPECT_EQ(prepare(), 0); }

    unsigned int mask(char const* terminal, int x, int y) const
    {
        auto* t = dynamic_cast<VyxTerminal*>(node->getTerminal(QString::fromLatin1(terminal)));
        return t && t->toBase1DGenerator() ? t->toBase1DGenerator()->getSample(QPoint(x, y)) : 999u;
    }
    void setFloat(char const* key, float v) { ASSERT_EQ(params()->setFloatParam(QString::fromLatin1(key), v), 0); }
    void setInt(char const* key, int v) { ASSERT_EQ(params()->setIntParam(QString::fromLatin1(key), v), 0); }
    void setColour(char const* key, Color const& c) { ASSERT_EQ(params()->setColorParam(QString::fromLatin1(key), c), 0); }
};

} // namespace

TEST(FrameNode, RegionsAndTransparentRimWithDefaults)
{
    FrameBench b;
    EXPECT_EQ(b.node->value(QPoint(50, 50)), 0.0f);
    EXPECT_EQ(b.at(50, 50), 0x808080u);
    EXPECT_EQ(b.mask("inner", 50, 50), 255u);
    EXPECT_EQ(b.mask("outer", 50, 50), 0u);

    // Exactly on the curve: still content while the rim is empty.
    EXPECT_EQ(b.node->value(QPoint(50, 5)), 1.0f);
    EXPECT_EQ(b.at(50, 5), 0x808080u);
    EXPECT_EQ(b.mask("inner", 50, 5), 255u);

    // v = 1.0540925, weight 0.48226: 128 x 0.51774 + 0.5 -> 66.
    EXPECT_NEAR(b.node->value(QPoint(50, 0)), 1.0540925f, 1e-6f);
    EXPECT_EQ(b.at(0, 50), 0x424242u);
    EXPECT_EQ(b.mask("inner", 50, 0), 0u);
    EXPECT_EQ(b.mask("outer", 50, 0), 255u);
    // The one-channel face of "out" carries nothing.
    EXPECT_EQ(b.node->getSample(QPoint(50, 50)), 0u);
}

TEST(FrameNode, OpaqueRimAndFrame)
{
    FrameBench b;
    b.setInt("transparent", 0);
    EXPECT_EQ(b.at(50, 0), 0x000000u);
    EXPECT_EQ(b.at(50, 5), 0x808080u);

    b.setFloat("frame_width", 0.5f);
    b.setColour("margin_color", Color(1.0f, 0.0f, 0.0f, 1.0f));
    b.setColour("frame_color", Color(0.0f, 0.0f, 1.0f, 1.0f));
    EXPECT_EQ(b.at(50, 0), 0x000000u); // colours are packed at preparation
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.at(50, 5), 0xFF0000u);
    EXPECT_EQ(b.at(50, 0), 0x0000FFu);
    EXPECT_EQ(b.at(50, 40), 0x808080u);
    EXPECT_EQ(b.mask("inner", 50, 5), 0u);

    // Transparent again with black colours: the rim point blends with weight 0.5^(1/4).
    b.setInt("transparent", 1);
    b.setColour("margin_color", Color(0.0f, 0.0f, 0.0f, 1.0f));
    b.setColour("frame_color", Color(0.0f, 0.0f, 0.0f, 1.0f));
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.at(50, 5), 0x141414u);
}

TEST(FrameNode, DistortionMovesTheColoursButNotTheMasks)
{
    FrameBench b;
    auto* probe = b.feed("distort", 0xFFFFFFu);
    EXPECT_EQ(b.at(50, 0), 0x212121u); // v = 1.3041
    probe->colour = 0x000000u;
    EXPECT_EQ(b.at(50, 0), 0x808080u); // v = 0.8041
    probe->colour = 0x808080u;
    EXPECT_EQ(b.at(50, 5), 0x696969u); // v = 1.00098
    EXPECT_EQ(b.mask("inner", 50, 5), 255u);
    EXPECT_EQ(b.mask("outer", 50, 0), 255u);
}

TEST(FrameNode, LinkedSourcesReplaceTheColours)
{
    FrameBench b;
    b.feed("in", 0x102030u);
    b.feed("frame", 0xFF00FFu);
    b.feed("rim", 0x00FF00u);
    b.setInt("transparent", 0);
    b.setFloat("frame_width", 0.5f);
    EXPECT_EQ(b.at(50, 40), 0x102030u);
    EXPECT_EQ(b.at(50, 5), 0x00FF00u);
    EXPECT_EQ(b.at(50, 0), 0xFF00FFu);
}

TEST(FrameNode, DisplayFlagsFollowTheLinks)
{
    FrameBench b;
    EXPECT_EQ(b.flags("margin_color"), 1);
    auto* rim = b.feed("rim", 0u);
    EXPECT_EQ(b.flags("margin_color"), 0);
    b.unfeed(rim, "rim");
    EXPECT_EQ(b.flags("margin_color"), 1);
    auto* frame = b.feed("frame", 0u);
    EXPECT_EQ(b.flags("frame_color"), 4);
    b.unfeed(frame, "frame");
    EXPECT_EQ(b.flags("frame_color"), 5);
}

TEST(FrameNode, FullRimWidthAndOddSizes)
{
    FrameBench b;
    b.setFloat("frame_width", 1.0f);
    EXPECT_EQ(b.at(50, 50), 0x808080u);
    EXPECT_NEAR(b.node->value(QPoint(51, 50)), 0.14907f, 1e-5f);
    EXPECT_EQ(b.at(51, 50), 0x303030u);

    FrameBench odd(5, 5); // the centre truncates to (2, 2)
    EXPECT_EQ(odd.node->value(QPoint(2, 2)), 0.0f);
    EXPECT_GT(odd.node->value(QPoint(3, 2)), 0.0f);
    EXPECT_EQ(odd.node->value(QPoint(1, 2)), odd.node->value(QPoint(3, 2)));
}

TEST(FrameNode, ZeroBorderLeavesOnlyTheCentreLine)
{
    FrameBench b;
    b.setFloat("hmargin", 0.0f);
    // On the centre column the horizontal term is 0, not 0 / 0.
    EXPECT_EQ(b.node->value(QPoint(50, 50)), 0.0f);
    EXPECT_EQ(b.at(50, 50), 0x808080u);
    EXPECT_EQ(b.at(50, 20), 0x808080u);
    EXPECT_EQ(b.mask("inner", 50, 20), 255u);
    // Everywhere else it is infinite: frame, fully blended.
    EXPECT_TRUE(std::isinf(b.node->value(QPoint(51, 50))));
    EXPECT_EQ(b.at(51, 50), 0x000000u);
    EXPECT_EQ(b.mask("outer", 49, 50), 255u);

    b.setFloat("vmargin", 0.0f);
    b.setFloat("frame_width", 0.25f);
    EXPECT_EQ(b.at(50, 50), 0x808080u);
    EXPECT_EQ(b.at(50, 51), 0x000000u);
    EXPECT_EQ(b.at(0, 0), 0x000000u);
}

TEST(FrameNode, NoImageShowsTheContent)
{
    PatternTest::Bench<NodeFrame> b(10, 10);
    b.feed("in", 0xAA123456u);
    // Never prepared: content everywhere, "inner" full.
    EXPECT_EQ(b.at(0, 0), 0xAA123456u);
    auto* inner = dynamic_cast<VyxTerminal*>(b.node->getTerminal(QStringLiteral("inner")));
    EXPECT_EQ(inner->toBase1DGenerator()->getSample(QPoint(0, 0)), 255u);

    EXPECT_FALSE(NodeFrame(9).hasImageSize());
}

TEST(FrameNode, ARenderThroughTheGraph)
{
    EffectTest::EffectHarness h(EffectTest::makeImage(100, 100, 0xFF808080u));
    auto* node = h.add<NodeFrame>();
    h.chain(node, QStringLiteral("in"), QStringLiteral("out"));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(50, 50), 0x808080u);
    EXPECT_EQ(h.rgb(50, 0), 0x424242u);
    EXPECT_EQ(h.rgb(25, 25), 0x151515u);
    EXPECT_EQ(h.rgb(0, 0), 0x000000u);
}

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

TEST(FrameNode, DescriptorTerminalsAndParameters)
{
    EXPECT_EQ(NodeFrame::m_descriptor.typeId, QLatin1String("operator.frame"));
    EXPECT_EQ(NodeFrame::m_descriptor.typeUuid, QUuid(QStringLiteral("5fbdd53a-7cd5-46fb-9214-860eabbf5c77")));
    EXPECT_EQ(NodeFrame::m_descriptor.displayName, QLatin1String("Frame"));
    std::unique_ptr<KelNodes::Node> created(NodeFrame::m_descriptor.create(3));
    auto* node = dynamic_cast<NodeFrame*>(created.get());
    ASSERT_TRUE(node);
    EXPECT_EQ(PatternTest::terminalsOf(node),
              QStringList({"in:6/0", "out:0/7", "frame:4/0", "rim:4/0", "distort:4/0", "inner:0/3", "outer:0/3"}));
    KelUtils::ParameterContainer* c = node->paramContainer();
    EXPECT_EQ(PatternTest::keysOf(c),
              QStringList({"basic/basicsBox", "basic/hmargin", "basic/vmargin", "basic/hroundness", "basic/vroundness",
                           "basic/frame_color", "basic/frame_width", "basic/margin_color", "basic/transparent"}));
    EXPECT_EQ(c->paramFlags(QStringLiteral("frame_color")), 5);
    EXPECT_EQ(c->paramFlags(QStringLiteral("margin_color")), 1);
    EXPECT_FLOAT_EQ(c->getFloatParam(QStringLiteral("hmargin")), 0.9f);
    EXPECT_FLOAT_EQ(c->getFloatParam(QStringLiteral("vroundness")), 0.5f);
    EXPECT_EQ(c->getIntParam(QStringLiteral("transparent")), 1);
    EXPECT_EQ(c->getColorParam(QStringLiteral("frame_color")).alpha, 1.0f);
    // No size before the first preparation.
    EXPECT_FALSE(node->hasImageSize());
}

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
    EXPECT_EQ(b.at(50, 0), 0x424242u);
    EXPECT_EQ(b.at(0, 50), 0x424242u);
    EXPECT_EQ(b.mask("inner", 50, 0), 0u);
    EXPECT_EQ(b.mask("outer", 50, 0), 255u);

    EXPECT_EQ(b.at(25, 25), 0x151515u);
    EXPECT_EQ(b.at(0, 0), 0x000000u);
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
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.at(50, 5), 0xFF0000u);
    EXPECT_EQ(b.at(50, 0), 0x0000FFu);
    EXPECT_EQ(b.at(50, 40), 0x808080u);
    EXPECT_TRUE(b.node->isRim(b.node->value(QPoint(50, 5))));
    EXPECT_TRUE(b.node->isFrame(b.node->value(QPoint(50, 0))));
    EXPECT_TRUE(b.node->isContent(b.node->value(QPoint(50, 40))));
    EXPECT_EQ(b.mask("inner", 50, 5), 0u);

    // Transparent again with black colours: the rim point blends with weight 0.5^(1/4).
    b.setInt("transparent", 1);
    b.setColour("margin_color", Color(0.0f, 0.0f, 0.0f, 1.0f));
    b.setColour("frame_color", Color(0.0f, 0.0f, 0.0f, 1.0f));
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.at(50, 5), 0x141414u);
}

TEST(FrameNode, FullRimWidth)
{
    FrameBench b;
    b.setFloat("frame_width", 1.0f);
    EXPECT_EQ(b.at(50, 50), 0x808080u);
    EXPECT_NEAR(b.node->value(QPoint(51, 50)), 0.14907f, 1e-5f);
    EXPECT_EQ(b.at(51, 50), 0x303030u);
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
    auto* rim = b.feed("rim", 0u);
    EXPECT_EQ(b.flags("margin_color"), 0);
    auto* distort = b.feed("distort", 0u);
    EXPECT_EQ(b.flags("margin_color"), 0);
    EXPECT_EQ(b.flags("frame_color"), 5);
    b.unfeed(rim, "rim");
    EXPECT_EQ(b.flags("margin_color"), 1);
    b.unfeed(distort, "distort");
    EXPECT_EQ(b.flags("frame_color"), 5);
    auto* frame = b.feed("frame", 0u);
    EXPECT_EQ(b.flags("frame_color"), 4);
    b.unfeed(frame, "frame");
    EXPECT_EQ(b.flags("frame_color"), 5);
}

TEST(FrameNode, ColoursArePackedAtPreparation)
{
    FrameBench b;
    b.setInt("transparent", 0);
    b.setColour("frame_color", Color(1.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(b.at(50, 0), 0x000000u);
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.at(50, 0), 0xFF0000u);
}

TEST(FrameNode, OddSizesTruncateTheCentre)
{
    FrameBench b(5, 5);
    EXPECT_EQ(b.node->value(QPoint(2, 2)), 0.0f);
    EXPECT_GT(b.node->value(QPoint(3, 2)), 0.0f);
    EXPECT_EQ(b.node->value(QPoint(1, 2)), b.node->value(QPoint(3, 2)));
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

    EffectTest::MessageCapture messages;
    NodeFrame loose(9);
    EXPECT_EQ(loose.onFilterStart(nullptr), 0);
    EXPECT_TRUE(messages.contains(QStringLiteral("NodeFrame error: no image")));
    EXPECT_EQ(loose.getSample3(QPoint(3, 3)), 0x808080u);
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

#include "effects/color/NodeHSV.h"
#include "effects/color/NodeInversion.h"
#include "effects/color/NodeRGBA.h"

#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include "nodes/Terminal.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>


using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kRgbaHsvPoint(1, 2);

// A node of type N fed by a probe on both inputs.
template<class N>
struct OffsetRig
{
    OffsetRig()
    {
        EXPECT_EQ(source.connect(QStringLiteral("out"), &node, QStringLiteral("rgb")), 0);
        EXPECT_EQ(source.connect(QStringLiteral("out 1d"), &node, QStringLiteral("alpha")), 0);
    }
    void set(char const* key, int value)
    {
        ASSERT_EQ(node.paramContainer()->setIntParam(QString::fromLatin1(key), value), 0) << key;
    }
    unsigned int colour(unsigned int in)
    {
        source.colour = in;
        return node.getSample3(kRgbaHsvPoint);
    }
    unsigned int alpha(unsigned int in)
    {
        source.value = in;
        return node.getSample(kRgbaHsvPoint);
    }

    ProbeSourceNode source{1};
    N node{2};
};

} // namespace

TEST(RgbaNode, OffsetsAreAddedAndClamped)
{
    OffsetRig<NodeRGBA> rig;
    EXPECT_EQ(rig.colour(0xFA0A80u), 0xFA0A80u);
    EXPECT_EQ(rig.colour(0xFF123456u), 0x123456u); // top byte dropped
    rig.set("Red", 10);
    rig.set("Green", -20);
    EXPECT_EQ(rig.colour(0xFA0A80u), 0xFF0080u); // 260 -> 255, -10 -> 0
    rig.set("Red", -255);
    rig.set("Green", 255);
    rig.set("Blue", 1);
    EXPECT_EQ(rig.colour(0x7F7F7Fu), 0x00FF80u);
    // Offsets outside the range are refused.
    EXPECT_LT(rig.node.paramContainer()->setIntParam(QStringLiteral("Blue"), 256), 0);
    EXPECT_EQ(rig.node.paramContainer()->getIntParam(QStringLiteral("Blue")), 1);
}

TEST(HsvNode, HueIsHeldNotWrapped)
{
    OffsetRig<NodeHSV> rig;
    // Zero offsets round-trip through the colour model; the input's top byte plays no part.
    for (unsigned int c : {0xFF0000u, 0x0000FFu, 0x808080u, 0xFFFFFFu, 0x000000u})
        EXPECT_EQ(rig.colour(c), c) << std::hex << c;
    EXPECT_EQ(rig.colour(0xAB00FF00u), 0x00FF00u);
    // (255, 0, 42) has hue 350; 370 is held at 359, which is (255, 0, 4) at full saturation
    // and value: the blue word is 65535 x (1 - 359 / 60 + 5) = 1092.25, high byte 4.
    rig.set("Hue", 20);
    EXPECT_EQ(rig.colour(0xFF002Au), 0xFF0004u);
    // (255, 42, 0) has hue 10; -10 is held at 0.
    rig.set("Hue", -20);
    EXPECT_EQ(rig.colour(0xFF2A00u), 0xFF0000u);
    // Every hue of 179 or more goes to 359.
    rig.set("Hue", 180);
    EXPECT_EQ(rig.colour(0x00FFFFu), 0xFF0004u); // cyan, hue 180
    EXPECT_EQ(rig.colour(0x00FF00u), 0xFF00FFu); // green, hue 120 -> 300
}

TEST(HsvNode, GreysTakeHueMinusOneAsAnyOtherHue)
{
    OffsetRig<NodeHSV> rig;
    // Grey 128 with saturation 100: hue -1 held at 0 gives red; the other channels are
    // 128 x 257 x (1 - 25700 / 65535) = 19995.6, word 19996, high byte 78.
    rig.set("Saturation", 100);
    EXPECT_EQ(rig.colour(0x808080u), 0x804E4Eu);
    rig.set("Hue", 1);
    EXPECT_EQ(rig.colour(0x808080u), 0x804E4Eu);
    // Hue 119: red is 32896 x (1 - 0.392157 x 0.98333) = 20210.6, high byte 78.
    rig.set("Hue", 120);
    EXPECT_EQ(rig.colour(0x808080u), 0x4E804Eu);
    rig.set("Saturation", 0);
    EXPECT_EQ(rig.colour(0x808080u), 0x808080u);
}

TEST(HsvNode, SaturationAndValueAreClamped)
{
    OffsetRig<NodeHSV> rig;
    rig.set("Value", -255);
    EXPECT_EQ(rig.colour(0x3C8AF0u), 0x000000u);
    rig.set("Value", 255);
    rig.set("Saturation", -255);
    EXPECT_EQ(rig.colour(0x3C8AF0u), 0xFFFFFFu);
    // Full saturation and value keep the hue: orange-ish (255, 128, 0) stays.
    rig.set("Saturation", 255);
    EXPECT_EQ(rig.colour(0xFF8000u), 0xFF8000u);
}

TEST(RgbaHsvNodes, AlphaPath)
{
    OffsetRig<NodeRGBA> rgba;
    OffsetRig<NodeHSV> hsv;
    // The default offset 255 makes every value opaque.
    for (unsigned int a : {0u, 1u, 128u, 255u}) {
        EXPECT_EQ(rgba.alpha(a), 255u) << a;
        EXPECT_EQ(hsv.alpha(a), 255u) << a;
    }
    rgba.set("Alpha", 0);
    hsv.set("Alpha", 0);
    EXPECT_EQ(rgba.alpha(77u), 77u);
    EXPECT_EQ(hsv.alpha(77u), 77u);
    EXPECT_EQ(rgba.alpha(0x14Du), 77u); // low byte only
    rgba.set("Alpha", -255);
    hsv.set("Alpha", -30);
    EXPECT_EQ(rgba.alpha(255u), 0u);
    EXPECT_EQ(hsv.alpha(20u), 0u);
    EXPECT_EQ(hsv.alpha(100u), 70u);

}

TEST(RgbaHsvNodes, UnlinkedInputs)
{
    // RGBA: black plus the offsets, alpha 255. HSV: mid grey and alpha 128 whatever the offsets.
    NodeRGBA rgba(5);
    NodeHSV hsv(6);
    KelUtils::ParameterContainer* c = rgba.paramContainer();
    EXPECT_EQ(rgba.getSample3(kRgbaHsvPoint), 0x000000u);
    ASSERT_EQ(c->setIntParam(QStringLiteral("Red"), 100), 0);
    ASSERT_EQ(c->setIntParam(QStringLiteral("Green"), -5), 0);
    ASSERT_EQ(c->setIntParam(QStringLiteral("Blue"), 255), 0);
    ASSERT_EQ(c->setIntParam(QStringLiteral("Alpha"), -100), 0);
    EXPECT_EQ(rgba.getSample3(kRgbaHsvPoint), 0x6400FFu);
    EXPECT_EQ(rgba.getSample(kRgbaHsvPoint), 255u);
    ASSERT_EQ(hsv.paramContainer()->setIntParam(QStringLiteral("Value"), -255), 0);
    ASSERT_EQ(hsv.paramContainer()->setIntParam(QStringLiteral("Alpha"), -100), 0);
    EXPECT_EQ(hsv.getSample3(kRgbaHsvPoint), 0x808080u);
    EXPECT_EQ(hsv.getSample(kRgbaHsvPoint), 128u);
}

TEST(RgbaHsvNodes, OffsetsStayEditableWhileLinked)
{
    OffsetRig<NodeRGBA> rgba;
    OffsetRig<NodeHSV> hsv;
    for (char const* key : {"Red", "Green", "Blue", "Alpha"})
        EXPECT_EQ(rgba.node.paramContainer()->paramFlags(QString::fromLatin1(key)), 5) << key;
    for (char const* key : {"Hue", "Saturation", "Value", "Alpha"})
        EXPECT_EQ(hsv.node.paramContainer()->paramFlags(QString::fromLatin1(key)), 5) << key;
}

TEST(RgbaHsvNodes, RgbaOutputsKeepOneLinkHsvOutputsMany)
{
    NodeRGBA rgba(1);
    NodeHSV hsv(2);
    NodeInversion a(3), b(4), c(5), d(6);
    ASSERT_EQ(rgba.connect(QStringLiteral("out rgb"), &a, QStringLiteral("inRgb")), 0);
    ASSERT_EQ(rgba.connect(QStringLiteral("out rgb"), &b, QStringLiteral("inRgb")), 0);
    ASSERT_EQ(rgba.connect(QStringLiteral("out alpha"), &a, QStringLiteral("in")), 0);
    ASSERT_EQ(rgba.connect(QStringLiteral("out alpha"), &b, QStringLiteral("in")), 0);
    EXPECT_EQ(rgba.getTerminal(QStringLiteral("out rgb"))->numConnections(), 1);
    EXPECT_EQ(rgba.getTerminal(QStringLiteral("out rgb"))->connectedToHost(0), &b);
    EXPECT_EQ(rgba.getTerminal(QStringLiteral("out alpha"))->numConnections(), 1);
    EXPECT_EQ(a.getSample3(kRgbaHsvPoint), 0x808080u); // its colour input went with the link

    ASSERT_EQ(hsv.connect(QStringLiteral("out rgb"), &c, QStringLiteral("inRgb")), 0);
    ASSERT_EQ(hsv.connect(QStringLiteral("out rgb"), &d, QStringLiteral("inRgb")), 0);
    ASSERT_EQ(hsv.connect(QStringLiteral("out alpha"), &c, QStringLiteral("in")), 0);
    ASSERT_EQ(hsv.connect(QStringLiteral("out alpha"), &d, QStringLiteral("in")), 0);
    EXPECT_EQ(hsv.getTerminal(QStringLiteral("out rgb"))->numConnections(), 2);
    EXPECT_EQ(hsv.getTerminal(QStringLiteral("out alpha"))->numConnections(), 2);
    // Both pull the HSV node: unlinked it gives mid grey and alpha 128, inverted.
    EXPECT_EQ(c.getSample3(kRgbaHsvPoint), 0x7F7F7Fu);
    EXPECT_EQ(d.getSample(kRgbaHsvPoint), 127u);
}

TEST(RgbaHsvNodes, RenderThroughAGraph)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(4, 3));
    auto* rgba = h.add<NodeRGBA>();
    auto* hsv = h.add<NodeHSV>();
    ASSERT_EQ(rgba->paramContainer()->setIntParam(QStringLiteral("Red"), 200), 0);
    ASSERT_EQ(rgba->paramContainer()->setIntParam(QStringLiteral("Blue"), -1), 0);
    ASSERT_EQ(hsv->paramContainer()->setIntParam(QStringLiteral("Saturation"), -255), 0);
    h.chain(rgba, QStringLiteral("rgb"), QStringLiteral("out rgb"));
    ASSERT_EQ(h.render(), 0);
    // (x, y) is (16x, 16y, x + y): red 16x + 200 held at 255 from x = 4 on.
    EXPECT_EQ(h.rgb(0, 0), 0xC80000u);
    EXPECT_EQ(h.rgb(3, 2), 0xF82004u);

    // Saturation -255 leaves greys of the value (the largest channel).
    ASSERT_EQ(EffectTest::EffectHarness::link(rgba, QStringLiteral("out rgb"), hsv, QStringLiteral("rgb")), 0);
    h.output(hsv, QStringLiteral("out rgb"));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(0, 0), 0xC8C8C8u);
    EXPECT_EQ(h.rgb(3, 2), 0xF8F8F8u);
}

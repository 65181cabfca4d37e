#include "effects/color/NodeThreshold.h"

#include "SilentOutputNode.h"

#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include "nodes/Terminal.h"
#include "params/Color.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>


using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kThresholdPoint(4, 1);

struct ThresholdRig
{
    ThresholdRig() { EXPECT_EQ(source.connect(QStringLiteral("out"), &node, QStringLiteral("source")), 0); }

    void set(int threshold, int smooth)
    {
        ASSERT_EQ(node.paramContainer()->setIntParam(QStringLiteral("Threshold"), threshold), 0);
        ASSERT_EQ(node.paramContainer()->setIntParam(QStringLiteral("Smooth"), smooth), 0);
    }
    bool enabled(char const* key) const
    {
        return (node.paramContainer()->paramFlags(QString::fromLatin1(key)) & 1) != 0;
    }
    // The output for a grey source pixel g, as a grey level when it is one (else 9999).
    unsigned int grey(unsigned int g)
    {
        const unsigned int out = colour(g * 0x010101u);
        return out == (out & 0xFFu) * 0x010101u ? (out & 0xFFu) : 9999u;
    }
    unsigned int colour(unsigned int sourceColour)
    {
        source.colour = sourceColour;
        return node.getSample3(kThresholdPoint);
    }

    ProbeSourceNode source{1};
    NodeThreshold node{2};
};

} // namespace

TEST(ThresholdNode, HardThreshold)
{
    NodeThreshold lone(5);
    EXPECT_EQ(lone.getSample3(kThresholdPoint), 0x808080u); // unlinked source
    ThresholdRig rig;
    EXPECT_EQ(rig.grey(127), 0u);
    EXPECT_EQ(rig.grey(128), 255u);
    // A saturated red has brightness 85, below the middle.
    EXPECT_EQ(rig.colour(0xFF0000u), 0x000000u);
    // Brightness is the integer average: (255 + 255 + 0) / 3 = 170.
    EXPECT_EQ(rig.colour(0xFFFF00u), 0xFFFFFFu);

    rig.set(100, 0);
    EXPECT_EQ(rig.grey(254), 0u);
    EXPECT_EQ(rig.grey(255), 255u);
    rig.set(100, 100);
    EXPECT_EQ(rig.grey(254), 0u);
    EXPECT_EQ(rig.grey(255), 255u);
    rig.set(0, 30);
    EXPECT_EQ(rig.grey(0), 255u);
}

TEST(ThresholdNode, SmoothRamp)
{
    ThresholdRig rig;
    // Threshold 50, Smooth 20: a ramp from brightness 0.3 to 0.7.
    rig.set(50, 20);
    const struct { unsigned int g, out; } ramp[] = {{0, 0}, {76, 0}, {77, 1}, {128, 128}, {178, 253}, {179, 255}, {255, 255}};
    for (auto const& r : ramp)
        EXPECT_EQ(rig.grey(r.g), r.out) << r.g;
    // Smooth 100: the weight is the brightness itself, truncated after a double product.
    rig.set(50, 100);
    EXPECT_EQ(rig.grey(64), 64u);
    EXPECT_EQ(rig.grey(10), 9u);
    rig.set(20, 100);
    EXPECT_EQ(rig.grey(10), 24u);
}

TEST(ThresholdNode, ColoursMixChannelByChannel)
{
    ThresholdRig rig;
    ProbeSourceNode low(3, 0x0AC81Eu), high(4, 0xFA0082u);
    ASSERT_EQ(low.connect(QStringLiteral("out"), &rig.node, QStringLiteral("low")), 0);
    ASSERT_EQ(high.connect(QStringLiteral("out"), &rig.node, QStringLiteral("high")), 0);
    rig.set(50, 20);
    // Weight at grey 128: 0.5 + (128 / 255 - 0.5) x 0.5 / 0.2 = 0.504902.
    // (10 + 240 w, 200 - 200 w, 30 + 100 w) = (131.18, 99.02, 80.49).
    EXPECT_EQ(rig.colour(0x808080u), 0x836350u);
    EXPECT_EQ(rig.colour(0x000000u), 0x0AC81Eu);
    EXPECT_EQ(rig.colour(0xFFFFFFu), 0xFA0082u);
    // applySmooth itself answers opaque; the node's output has the top byte clear.
    rig.source.colour = 0xFFFFFFu;
    EXPECT_EQ(rig.node.applySmooth(kThresholdPoint, 0, 50, 0x010203u, 0x040506u), 0xFF040506u);
}

TEST(ThresholdNode, InputsStandForTheSettings)
{
    ThresholdRig rig;
    ProbeSourceNode threshold(3, 0u, 128u), smooth(4, 0u, 255u);
    ASSERT_EQ(threshold.connect(QStringLiteral("out 1d"), &rig.node, QStringLiteral("threshold")), 0);
    ASSERT_EQ(smooth.connect(QStringLiteral("out 1d"), &rig.node, QStringLiteral("smooth")), 0);
    EXPECT_FALSE(rig.enabled("Threshold"));
    EXPECT_FALSE(rig.enabled("Smooth"));
    // 128 maps to threshold 50, 255 to smooth 100, whatever the settings say.
    rig.set(90, 0);
    EXPECT_EQ(rig.grey(64), 64u);
    EXPECT_EQ(rig.grey(10), 9u);
    threshold.value = 51; // 20
    EXPECT_EQ(rig.grey(10), 24u);
    threshold.value = 0x180; // low byte 128
    smooth.value = 0;
    EXPECT_EQ(rig.grey(127), 0u);
    EXPECT_EQ(rig.grey(128), 255u);

    ASSERT_EQ(rig.node.disconnect(&threshold), 0);
    EXPECT_TRUE(rig.enabled("Threshold"));
    EXPECT_EQ(rig.grey(128), 0u); // threshold 90 again
}

TEST(ThresholdNode, ColourSettingsAndTheirInputs)
{
    ThresholdRig rig;
    KelUtils::ParameterContainer* c = rig.node.paramContainer();
    // Over-bright components are held at 255, not scaled by the largest one:
    // 0.5^0.45454544 x 255.999 = 186.8.
    ASSERT_EQ(c->setColorParam(QStringLiteral("Low"), KelUtils::Color(4.0f, 0.0f, 0.5f, 1.0f)), 0);
    EXPECT_EQ(rig.colour(0x000000u), 0xFF00BAu);

    ProbeSourceNode low(3, 0x112233u);
    ASSERT_EQ(low.connect(QStringLiteral("out"), &rig.node, QStringLiteral("low")), 0);
    EXPECT_FALSE(rig.enabled("Low"));
    EXPECT_TRUE(rig.enabled("High"));
    EXPECT_EQ(rig.colour(0x000000u), 0x112233u);
    ASSERT_EQ(rig.node.disconnect(&low), 0);
    EXPECT_TRUE(rig.enabled("Low"));
    EXPECT_EQ(rig.colour(0x000000u), 0xFF00BAu);

    // A link that delivers nothing still greys the setting out; the setting applies.
    ColorTest::SilentOutputNode silent(4);
    ASSERT_EQ(silent.connect(QStringLiteral("out"), &rig.node, QStringLiteral("high")), 0);
    EXPECT_FALSE(rig.enabled("High"));
    EXPECT_EQ(rig.colour(0xFFFFFFu), 0xFFFFFFu);
    ASSERT_EQ(rig.node.disconnect(&silent), 0);
    EXPECT_TRUE(rig.enabled("High"));
}

TEST(ThresholdNode, RendersThroughAGraph)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(8, 2));
    auto* node = h.add<NodeThreshold>();
    ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("Threshold"), 10), 0);
    h.chain(node, QStringLiteral("source"), QStringLiteral("out"));
    ASSERT_EQ(h.render(), 0);
    // Threshold 10 is brightness 0.1: (16x + 16y + x + y) / 3 of 26 or more (25.5).
    EXPECT_EQ(h.rgb(4, 0), 0u);         // 68 / 3 = 22
    EXPECT_EQ(h.rgb(4, 1), 0xFFFFFFu);  // 85 / 3 = 28
}

#include "effects/math/NodeTrigonometric.h"

#include "MathTestRig.h"
#include "effects/ChannelPatternNode.h"
#include "effects/EffectTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace KelVyxNodes;
using Curve = NodeTrigonometric::Curve;

namespace {

void expectEntries(Curve const& curve, std::initializer_list<std::pair<int, int>> entries, char const* what)
{
    for (auto const& [index, value] : entries)
        EXPECT_EQ(curve[index], value) << what << " at " << index;
}

struct TrigRig : MathTest::Rig<NodeTrigonometric>
{
    void choose(int function)
    {
        ASSERT_EQ(node->paramContainer()->setListParam(QStringLiteral("function"), function), 0);
        ASSERT_EQ(node->onFilterStart(nullptr), 0);
    }
    void setSwitches(int r, int g, int b)
    {
        KelUtils::ParameterContainer* c = node->paramContainer();
        ASSERT_EQ(c->setIntParam(QStringLiteral("applyRed"), r), 0);
        ASSERT_EQ(c->setIntParam(QStringLiteral("applyGreen"), g), 0);
        ASSERT_EQ(c->setIntParam(QStringLiteral("applyBlue"), b), 0);
    }
};

} // namespace

TEST(TrigonometricNode, TellingEntriesAndFrequencyLimits)
{
    auto curve = [](int f, float frequency = 1.0f) { return NodeTrigonometric::buildCurve(f, frequency); };
    expectEntries(curve(NodeTrigonometric::Sine),
                  {{0, 128}, {1, 131}, {64, 255}, {127, 131}, {128, 127}, {192, 0}, {255, 124}}, "sine");
    expectEntries(curve(NodeTrigonometric::Cosine), {{0, 255}, {64, 127}, {128, 0}, {192, 128}, {255, 255}},
                  "cosine");
    expectEntries(curve(NodeTrigonometric::Tangent),
                  {{0, 128}, {32, 191}, {63, 255}, {64, 0}, {96, 64}, {127, 126}, {128, 128}, {191, 255}, {192, 0}},
                  "tangent");
    expectEntries(curve(NodeTrigonometric::Cotangent),
                  {{0, 255}, {32, 191}, {64, 127}, {96, 64}, {127, 0}, {128, 255}, {255, 0}}, "cotangent");
    expectEntries(curve(NodeTrigonometric::Secant),
                  {{0, 128}, {8, 129}, {63, 255}, {64, 0}, {128, 128}, {191, 0}, {192, 255}, {255, 128}}, "secant");
    expectEntries(curve(NodeTrigonometric::Cosecant),
                  {{0, 255}, {64, 128}, {127, 255}, {128, 0}, {192, 128}, {255, 0}}, "cosecant");

    expectEntries(curve(NodeTrigonometric::Sine, 0.01f), {{0, 128}, {255, 135}}, "sine x0.01");
    expectEntries(curve(NodeTrigonometric::Tangent, 0.01f), {{0, 128}, {255, 132}}, "tangent x0.01");
    for (int f : {NodeTrigonometric::Cosine, NodeTrigonometric::Cotangent, NodeTrigonometric::Cosecant}) {
        Curve flat = curve(f, 0.01f);
        EXPECT_EQ(*std::min_element(flat.begin(), flat.end()), 255) << f;
    }
    expectEntries(curve(NodeTrigonometric::Sine, 10.0f), {{0, 128}, {1, 158}, {2, 188}}, "sine x10");
}

TEST(TrigonometricNode, CurveIsDefinedBeforeTheFirstPreparationAndSurvivesACancel)
{
    NodeTrigonometric node(1);
    const Curve sine = NodeTrigonometric::buildCurve(NodeTrigonometric::Sine, 1.0f);
    EXPECT_EQ(node.curve(), sine);
    // Parameters take effect at the next completed preparation only.
    ASSERT_EQ(node.paramContainer()->setListParam(QStringLiteral("function"), NodeTrigonometric::Cosine), 0);
    EXPECT_EQ(node.curve(), sine);
    EffectTest::CountingObserver observer;
    observer.cancelNow = true;
    EXPECT_EQ(node.onFilterStart(&observer), -1);
    EXPECT_EQ(node.curve(), sine);
    observer.cancelNow = false;
    EXPECT_EQ(node.onFilterStart(&observer), 0);
    EXPECT_EQ(node.curve(), NodeTrigonometric::buildCurve(NodeTrigonometric::Cosine, 1.0f));
    // Unlinked: neutral grey whatever the function.
    EXPECT_EQ(node.getSample(MathTest::kPoint), 128u);
    EXPECT_EQ(node.getSample3(MathTest::kPoint), 0x808080u);
}

TEST(TrigonometricNode, ColourLookupHonoursTheSwitches)
{
    TrigRig rig;
    auto* probe = rig.feed("in", 0x204060u);
    rig.choose(NodeTrigonometric::Sine);
    Curve const& sine = rig.node->curve();
    EXPECT_EQ(rig.sample(), unsigned(sine[0x20]) << 16 | unsigned(sine[0x40]) << 8 | sine[0x60]);
    rig.setSwitches(0, 1, 0);
    EXPECT_EQ(rig.sample(), 0x20FF60u); // sine at 64 is 255
    rig.setSwitches(0, 0, 0);
    probe->colour = 0xFF204060u;
    EXPECT_EQ(rig.sample(), 0x204060u);
    // Linked to colour, the one-channel output has nothing to map.
    EXPECT_EQ(rig.node->getSample(MathTest::kPoint), 128u);
}

TEST(TrigonometricNode, OneChannelLookupIgnoresTheSwitches)
{
    TrigRig rig;
    EffectTest::ChannelPatternNode source(70);
    unsigned int value = 63;
    source.pattern = [&value](int, int) { return value; };
    ASSERT_EQ(source.connect(QStringLiteral("out"), rig.node.get(), QStringLiteral("in")), 0);
    rig.setSwitches(0, 0, 0);
    rig.choose(NodeTrigonometric::Tangent);
    EXPECT_EQ(rig.node->getSample(MathTest::kPoint), 255u);
    value = 0x140; // only the low byte indexes
    EXPECT_EQ(rig.node->getSample(MathTest::kPoint), 0u);
    EXPECT_EQ(rig.node->getSample3(MathTest::kPoint), 0x808080u);
    rig.node.reset();
}

TEST(TrigonometricNode, RenderThroughTheSecant)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(4, 3));
    auto* node = h.add<NodeTrigonometric>();
    h.chain(node, QStringLiteral("in"), QStringLiteral("out"));
    ASSERT_EQ(node->paramContainer()->setListParam(QStringLiteral("function"), NodeTrigonometric::Secant), 0);
    ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("applyGreen"), 0), 0);
    ASSERT_EQ(h.render(), 0);
    const Curve secant = NodeTrigonometric::buildCurve(NodeTrigonometric::Secant, 1.0f);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const unsigned int p = EffectTest::gradientPixel(x, y);
            EXPECT_EQ(h.rgb(x, y), unsigned(secant[(p >> 16) & 0xFFu]) << 16 | (p & 0xFF00u) | secant[p & 0xFFu])
                << x << "," << y;
        }
    }
    // Black: secant 1 lands in the middle, green is left alone.
    EXPECT_EQ(h.rgb(0, 0), 0x800080u);
}

#include "effects/math/NodeTrigonometric.h"

#include "MathTestRig.h"
#include "effects/ChannelPatternNode.h"
#include "effects/EffectTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace KelVyxNodes;
using Curve = NodeTrigonometric::Curve;

namespace {

struct Entry
{
    int index;
    int value;
};

void expectEntries(Curve const& curve, std::initializer_list<Entry> entries, char const* what)
{
    for (Entry const& e : entries)
        EXPECT_EQ(curve[e.index], e.value) << what << " at " << e.index;
}

struct TrigRig : MathTest::Rig<NodeTrigonometric>
{
    void choose(int function, float frequency = 1.0f)
    {
        KelUtils::ParameterContainer* c = node->paramContainer();
        ASSERT_EQ(c->setListParam(QStringLiteral("function"), function), 0);
        ASSERT_EQ(c->setFloatParam(QStringLiteral("frequency"), frequency), 0);
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

TEST(TrigonometricNode, ShapeAndParameters)
{
    EXPECT_EQ(NodeTrigonometric::m_descriptor.typeId, QLatin1String("operator.Maths.trigonometric"));
    EXPECT_EQ(NodeTrigonometric::m_descriptor.typeUuid, QUuid(QStringLiteral("3ac3bfe4-4102-460e-842d-cd0de4ae1a66")));
    EXPECT_EQ(NodeTrigonometric::m_descriptor.displayName, QLatin1String("Trigonometric Curve"));
    std::unique_ptr<KelNodes::Node> holder(NodeTrigonometric::m_descriptor.create(5));
    auto* node = dynamic_cast<NodeTrigonometric*>(holder.get());
    ASSERT_TRUE(node);
    EXPECT_EQ(MathTest::terminalShapes(node), QStringList({"in:6/0", "out:0/7"}));
    KelUtils::ParameterContainer* c = node->paramContainer();
    EXPECT_EQ(c->name(), QLatin1String("operator.Maths.trigonometric"));
    EXPECT_EQ(MathTest::parameterKeys(c),
              QStringList({"basicsBox", "function", "frequency", "applyRed", "applyGreen", "applyBlue"}));
    for (char const* key : {"function", "frequency", "applyRed", "applyGreen", "applyBlue"})
        EXPECT_EQ(c->paramFlags(QString::fromLatin1(key)), 5) << key;
    EXPECT_EQ(c->getParamByName(QStringLiteral("applyRed"))->type(), KelUtils::ParamBool);
    EXPECT_FLOAT_EQ(c->getFloatParam(QStringLiteral("frequency")), 1.0f);
    EXPECT_EQ(c->getIntParam(QStringLiteral("applyBlue")), 1);
    EXPECT_EQ(c->getListParam(QStringLiteral("function"))->name, QLatin1String("Sine"));
    ASSERT_EQ(c->helpItem()->links.size(), 1);
    EXPECT_EQ(c->helpItem()->links[0].caption, QLatin1String("Trigonometric functions"));
    // Frequency is held to its range.
    EXPECT_NE(c->setFloatParam(QStringLiteral("frequency"), 20.0f), 0);
}

TEST(TrigonometricNode, CurveIsDefinedBeforeTheFirstPreparation)
{
    NodeTrigonometric node(1);
    EXPECT_EQ(node.curve(), NodeTrigonometric::buildCurve(NodeTrigonometric::Sine, 1.0f));
    expectEntries(node.curve(), {{0, 128}, {64, 255}, {192, 0}}, "initial");
}

TEST(TrigonometricNode, TellingEntriesAtFrequencyOne)
{
    auto curve = [](int f) { return NodeTrigonometric::buildCurve(f, 1.0f); };
    expectEntries(curve(NodeTrigonometric::Sine),
                  {{0, 128}, {1, 131}, {64, 255}, {127, 131}, {128, 127}, {192, 0}, {255, 124}}, "sine");
    expectEntries(curve(NodeTrigonometric::Cosine), {{0, 255}, {64, 127}, {128, 0}, {192, 128}, {255, 255}},
                  "cosine");
    expectEntries(curve(NodeTrigonometric::Tangent),
                  {{0, 128}, {1, 129}, {32, 191}, {63, 255}, {64, 0}, {96, 64}, {127, 126}, {128, 128},
                   {191, 255}, {192, 0}},
                  "tangent");
    expectEntries(curve(NodeTrigonometric::Cotangent),
                  {{0, 255}, {32, 191}, {64, 127}, {96, 64}, {127, 0}, {128, 255}, {255, 0}}, "cotangent");
    expectEntries(curve(NodeTrigonometric::Secant),
                  {{0, 128}, {8, 129}, {63, 255}, {64, 0}, {128, 128}, {191, 0}, {192, 255}, {255, 128}},
                  "secant");
    expectEntries(curve(NodeTrigonometric::Cosecant),
                  {{0, 255}, {64, 128}, {127, 255}, {128, 0}, {192, 128}, {255, 0}}, "cosecant");
}

TEST(TrigonometricNode, FrequencyLimits)
{
    Curve sine = NodeTrigonometric::buildCurve(NodeTrigonometric::Sine, 0.01f);
    EXPECT_EQ(sine[0], 128);
    EXPECT_EQ(sine[255], 135);
    EXPECT_TRUE(std::is_sorted(sine.begin(), sine.end()));
    Curve tangent = NodeTrigonometric::buildCurve(NodeTrigonometric::Tangent, 0.01f);
    EXPECT_EQ(tangent[0], 128);
    EXPECT_EQ(tangent[255], 132);
    for (int f : {NodeTrigonometric::Cosine, NodeTrigonometric::Cotangent, NodeTrigonometric::Cosecant}) {
        Curve flat = NodeTrigonometric::buildCurve(f, 0.01f);
        EXPECT_EQ(*std::min_element(flat.begin(), flat.end()), 255) << f;
    }
    Curve secant = NodeTrigonometric::buildCurve(NodeTrigonometric::Secant, 0.01f);
    EXPECT_EQ(*std::min_element(secant.begin(), secant.end()), 128);
    EXPECT_EQ(*std::max_element(secant.begin(), secant.end()), 128);

    // Ten periods.
    expectEntries(NodeTrigonometric::buildCurve(NodeTrigonometric::Sine, 10.0f), {{0, 128}, {1, 158}, {2, 188}},
                  "sine x10");
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
    EXPECT_EQ(rig.node->terminal(1)->outputMask(), 3u);
    rig.setSwitches(0, 0, 0);
    rig.choose(NodeTrigonometric::Tangent);
    EXPECT_EQ(rig.node->getSample(MathTest::kPoint), 255u);
    value = 64;
    EXPECT_EQ(rig.node->getSample(MathTest::kPoint), 0u);
    value = 0x180; // only the low byte indexes
    EXPECT_EQ(rig.node->getSample(MathTest::kPoint), 128u);
    EXPECT_EQ(rig.node->getSample3(MathTest::kPoint), 0x808080u);
    rig.node.reset();
}

TEST(TrigonometricNode, UnlinkedGivesNeutralGreyForEveryFunction)
{
    NodeTrigonometric node(1);
    for (int f = 0; f < 6; ++f) {
        ASSERT_EQ(node.paramContainer()->setListParam(QStringLiteral("function"), f), 0);
        ASSERT_EQ(node.onFilterStart(nullptr), 0);
        EXPECT_EQ(node.getSample(MathTest::kPoint), 128u);
        EXPECT_EQ(node.getSample3(MathTest::kPoint), 0x808080u);
    }
}

TEST(TrigonometricNode, CancelledPreparationKeepsTheCurve)
{
    NodeTrigonometric node(1);
    ASSERT_EQ(node.paramContainer()->setListParam(QStringLiteral("function"), NodeTrigonometric::Cosine), 0);
    // Parameters take effect at the next preparation only.
    EXPECT_EQ(node.curve(), NodeTrigonometric::buildCurve(NodeTrigonometric::Sine, 1.0f));
    EffectTest::CountingObserver observer;
    observer.cancelNow = true;
    EXPECT_EQ(node.onFilterStart(&observer), -1);
    EXPECT_EQ(node.curve(), NodeTrigonometric::buildCurve(NodeTrigonometric::Sine, 1.0f));
    observer.cancelNow = false;
    EXPECT_EQ(node.onFilterStart(&observer), 0);
    EXPECT_EQ(node.curve(), NodeTrigonometric::buildCurve(NodeTrigonometric::Cosine, 1.0f));
}

TEST(TrigonometricNodeRender, PictureThroughTheSecant)
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
            const unsigned int expected =
                unsigned(secant[(p >> 16) & 0xFFu]) << 16 | (p & 0xFF00u) | secant[p & 0xFFu];
            EXPECT_EQ(h.rgb(x, y), expected) << x << "," << y;
        }
    }
    // Black: secant 1 lands in the middle, green is left alone.
    EXPECT_EQ(h.rgb(0, 0), 0x800080u);
}

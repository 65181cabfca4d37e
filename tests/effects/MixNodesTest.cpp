#include "effects/LinearColorBytes.h"
#include "effects/NodeArithmeticMix.h"
#include "effects/NodeWeightedMix.h"

#include "EffectTestSupport.h"
#include "ProbeSourceNode.h"

#include "nodes/Terminal.h"
#include "params/Color.h"
#include "params/Parameter.h"
#include "params/ParameterContainer.h"

#include <QDomDocument>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kPoint(1, 2);

// Modes of the arithmetic mixer, as their "mode" item ids.
enum { Add = 0, Subtract = 1, Difference = 2, Multiply = 3, Divide = 4 };
// Modes of the weighted mixer.
enum { WeightedAddition = 0, WeightedMultiplication = 1 };

bool enabled(VyxNode const& node, char const* parameter)
{
    return (node.paramContainer()->paramFlags(QString::fromLatin1(parameter)) & 1) != 0;
}

// A mixer with probes on whichever operand inputs a test links.
template <class Mixer>
struct MixRig
{
    MixRig() : mix(std::make_unique<Mixer>(1)) {}

    // A probe on `input`, fed from its "out" (colour inputs) or "out 1d".
    ProbeSourceNode* feed(char const* input, unsigned int colour, unsigned int value = 128u)
    {
        probes.push_back(std::make_unique<ProbeSourceNode>(int(probes.size()) + 10, colour, value));
        ProbeSourceNode* probe = probes.back().get();
        const QString in = QString::fromLatin1(input);
        const bool oneChannel = in.endsWith(QLatin1String("1d")) || in == QLatin1String("weight");
        EXPECT_EQ(probe->connect(oneChannel ? QStringLiteral("out 1d") : QStringLiteral("out"), mix.get(), in), 0);
        return probe;
    }
    ProbeSourceNode* feedValue(char const* input, unsigned int value) { return feed(input, 0u, value); }

    void setMode(int mode) { ASSERT_EQ(mix->paramContainer()->setListParam(QStringLiteral("mode"), mode), 0); }
    unsigned int one() const { return mix->getSample(kPoint); }
    unsigned int colour() const { return mix->getSample3(kPoint); }

    // Probes outlive the mixer's links: the mixer is destroyed first.
    std::vector<std::unique_ptr<ProbeSourceNode>> probes;
    std::unique_ptr<Mixer> mix;
};

// The container section of `node` with one attribute of one stored parameter replaced, loaded
// back into the node.
void loadWithAttribute(VyxNode& node, char const* parameter, char const* attribute, char const* value)
{
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("root"));
    document.appendChild(root);
    ASSERT_EQ(node.paramContainer()->storeState(document, root, false, false), 0);
    QDomElement section = root.firstChildElement();
    bool replaced = false;
    for (QDomElement set = section.firstChildElement(QStringLiteral("paramset")); !set.isNull();
         set = set.nextSiblingElement(QStringLiteral("paramset"))) {
        for (QDomElement p = set.firstChildElement(); !p.isNull(); p = p.nextSiblingElement()) {
            if (p.attribute(QStringLiteral("name")) == QLatin1String(parameter)) {
                p.setAttribute(QString::fromLatin1(attribute), QString::fromLatin1(value));
                replaced = true;
            }
        }
    }
    ASSERT_TRUE(replaced) << parameter;
    ASSERT_EQ(node.paramContainer()->loadState(section), 0);
}

} // namespace

// --- shared pieces ---

TEST(LinearColorBytes, MidGreyDefaultAndHostileComponents)
{
    EXPECT_EQ(linearColorToRgb(midGreyLinear()), 0x808080u);
    EXPECT_EQ(linearChannelToByte(1.0f), 255);
    EXPECT_EQ(linearChannelToByte(0.0f), 0);
    // A power of a negative component is NaN; huge and infinite components must not overflow.
    EXPECT_EQ(linearChannelToByte(-0.5f), 0);
    EXPECT_EQ(linearChannelToByte(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(linearChannelToByte(1e30f), 255);
    EXPECT_EQ(linearChannelToByte(std::numeric_limits<float>::infinity()), 255);
    EXPECT_EQ(linearColorToRgb(KelUtils::Color(1.0f, 0.0f, 1e30f, 0.0f)), 0xFF00FFu);
}

TEST(MixNodes, DescriptorsTerminalsAndParameters)
{
    struct Expected
    {
        KelNodes::NodeDescriptor const* descriptor;
        char const* typeId;
        char const* uuid;
        QStringList terminals;
        QList<unsigned int> masks; // input << 8 | output
        QStringList parameters;
    };
    const Expected types[] = {
        {&NodeWeightedMix::m_descriptor, "operator.weightmix", "01657420-6661-6c6c-2075-706f6e206974",
         {"in1", "in2", "weight", "in1 1d", "in2 1d", "out", "out 1d"},
         {0x400, 0x400, 0x200, 0x200, 0x200, 0x005, 0x003},
         {"basicsBox", "mode", "weight", "defaultsBox", "defColor1", "defColor2", "defValue1", "defValue2"}},
        {&NodeArithmeticMix::m_descriptor, "operator.arithmix", "01935383-fb71-48e3-94e5-33277f71d160",
         {"in1", "in2", "in1 1d", "in2 1d", "out", "out 1d"},
         {0x400, 0x400, 0x200, 0x200, 0x005, 0x003},
         {"basicsBox", "mode", "defaultsBox", "defColor1", "defColor2", "defValue1", "defValue2"}},
    };
    for (Expected const& type : types) {
        SCOPED_TRACE(type.typeId);
        EXPECT_EQ(type.descriptor->typeId, QLatin1String(type.typeId));
        EXPECT_EQ(type.descriptor->typeUuid, QUuid(QString::fromLatin1(type.uuid)));
        EXPECT_TRUE(type.descriptor->further.isEmpty());
        std::unique_ptr<KelNodes::Node> node(type.descriptor->create(7));
        ASSERT_TRUE(node);
        EXPECT_EQ(node->uid(), 7);
        EXPECT_EQ(node->descriptor(), type.descriptor);
        EXPECT_EQ(node->paramContainer()->name(), QLatin1String(type.typeId));
        ASSERT_EQ(node->numTerminals(), type.terminals.size());
        for (int i = 0; i < node->numTerminals(); ++i) {
            EXPECT_EQ(node->terminal(i)->name(), type.terminals[i]);
            EXPECT_EQ(node->terminal(i)->inputMask() << 8 | node->terminal(i)->outputMask(), type.masks[i]);
        }
        ASSERT_EQ(node->paramContainer()->paramLists().size(), 1);
        KelUtils::ParameterList const& list = node->paramContainer()->paramLists().first();
        EXPECT_EQ(list.name, QLatin1String("basic"));
        QStringList names;
        for (KelUtils::Parameter const* p : list.parameters) {
            names << p->name();
            EXPECT_EQ(p->displayFlags(), 1) << p->name().toStdString();
        }
        EXPECT_EQ(names, type.parameters);
        EXPECT_EQ(node->paramContainer()->getIntParam(QStringLiteral("defValue2")), 128);
    }
}

// --- arithmetic mix ---

TEST(ArithmeticMix, UnlinkedDefaultsInEveryMode)
{
    MixRig<NodeArithmeticMix> rig;
    const struct { int mode; unsigned int one; unsigned int colour; } cases[] = {
        {Add, 255u, 0xFFFFFFu},        // 256 clamped
        {Subtract, 0u, 0u},
        {Difference, 0u, 0u},
        {Multiply, 128u, 0x808080u},
        {Divide, 127u, 0x7F7F7Fu},     // 128 * 128 / 129
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.mode);
        rig.setMode(c.mode);
        EXPECT_EQ(rig.one(), c.one);
        EXPECT_EQ(rig.colour(), c.colour);
    }
}

TEST(ArithmeticMix, OneChannelFormulasByHand)
{
    MixRig<NodeArithmeticMix> rig;
    ProbeSourceNode* a = rig.feedValue("in1 1d", 0);
    ProbeSourceNode* b = rig.feedValue("in2 1d", 0);
    const struct { int mode; unsigned int a, b, expected; } cases[] = {
        {Add, 100, 27, 127}, {Add, 200, 100, 255},
        {Subtract, 10, 20, 0}, {Subtract, 200, 50, 150},
        {Difference, 10, 20, 10}, {Difference, 200, 50, 150},
        {Multiply, 100, 64, 50}, {Multiply, 3, 5, 0}, {Multiply, 255, 255, 255},
        // Division by a zero operand: b + 1 is the divisor.
        {Divide, 0, 0, 0}, {Divide, 1, 0, 128}, {Divide, 2, 0, 255},
        {Divide, 201, 255, 100}, {Divide, 10, 99, 12},
        // Only the low eight bits of an input count.
        {Add, 0x100 + 10, 0x300 + 20, 30},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " a " << c.a << " b " << c.b);
        rig.setMode(c.mode);
        a->value = c.a;
        b->value = c.b;
        EXPECT_EQ(rig.one(), c.expected);
    }
}

TEST(ArithmeticMix, ColourChannelByChannelIgnoringAlpha)
{
    MixRig<NodeArithmeticMix> rig;
    // (10, 100, 255) and (20, 0, 50), each with an alpha byte that must not leak.
    rig.feed("in1", 0xFF0A64FFu);
    rig.feed("in2", 0x7F140032u);
    const struct { int mode; unsigned int expected; } cases[] = {
        {Add, 0x1E64FFu},        // 30, 100, 305 -> 255
        {Subtract, 0x0064CDu},   // -10 -> 0, 100, 205
        {Difference, 0x0A64CDu},
        {Multiply, 0x010063u},   // 200 / 128, 0, 12750 / 128
        {Divide, 0x3CFFFFu},     // 1280 / 21, 12800 / 1 -> 255, 32640 / 51 -> 255
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.mode);
        rig.setMode(c.mode);
        EXPECT_EQ(rig.colour(), c.expected);
    }
}

TEST(ArithmeticMix, DefaultColoursAndValuesReplaceUnlinkedInputs)
{
    MixRig<NodeArithmeticMix> rig;
    KelUtils::ParameterContainer* c = rig.mix->paramContainer();
    ASSERT_EQ(c->setColorParam(QStringLiteral("defColor1"), KelUtils::Color(1.0f, 1000.0f, 0.0f, 0.0f)), 0);
    ASSERT_EQ(c->setIntParam(QStringLiteral("defValue1"), 200), 0);
    ASSERT_EQ(c->setIntParam(QStringLiteral("defValue2"), 0), 0);
    rig.setMode(Subtract);
    // White, over-bright held at 255, black; minus mid grey. The default's alpha plays no part.
    EXPECT_EQ(rig.colour(), 0x7F7F00u);
    EXPECT_EQ(rig.one(), 200u);
    rig.setMode(Divide);
    EXPECT_EQ(rig.one(), 255u); // 200 * 128 / 1
}

TEST(ArithmeticMix, LoadedDefaultValuesAreHeldToBytes)
{
    MixRig<NodeArithmeticMix> rig;
    rig.setMode(Divide);
    ASSERT_EQ(rig.mix->paramContainer()->setIntParam(QStringLiteral("defValue1"), 1), 0);
    // A stored -1 would make the divisor b + 1 zero.
    loadWithAttribute(*rig.mix, "defValue2", "value", "-1");
    EXPECT_EQ(rig.mix->paramContainer()->getIntParam(QStringLiteral("defValue2")), 0);
    EXPECT_EQ(rig.one(), 128u); // 1 * 128 / (0 + 1)
    loadWithAttribute(*rig.mix, "defValue1", "value", "300");
    rig.setMode(Add);
    EXPECT_EQ(rig.one(), 255u);
    rig.setMode(Subtract);
    EXPECT_EQ(rig.one(), 255u); // 255 - 0
    // Channels stored negative load as 0.
    loadWithAttribute(*rig.mix, "defColor2", "r", "-4");
    rig.setMode(Add);
    EXPECT_EQ(rig.colour() >> 16, 128u);
}

TEST(ArithmeticMix, DefaultsAreDisabledExactlyWhileTheirInputDelivers)
{
    MixRig<NodeArithmeticMix> rig;
    const char* defaults[] = {"defColor1", "defColor2", "defValue1", "defValue2"};
    for (char const* d : defaults)
        EXPECT_TRUE(enabled(*rig.mix, d)) << d;
    ProbeSourceNode* probe = rig.feedValue("in2 1d", 9);
    EXPECT_FALSE(enabled(*rig.mix, "defValue2"));
    EXPECT_TRUE(enabled(*rig.mix, "defValue1"));
    EXPECT_TRUE(enabled(*rig.mix, "defColor1"));
    EXPECT_TRUE(enabled(*rig.mix, "defColor2"));

    // Linking an output changes no flag.
    auto consumer = std::make_unique<NodeArithmeticMix>(51);
    ASSERT_EQ(rig.mix->connect(QStringLiteral("out 1d"), consumer.get(), QStringLiteral("in1 1d")), 0);
    EXPECT_TRUE(enabled(*rig.mix, "defValue1"));
    EXPECT_FALSE(enabled(*consumer, "defValue1"));

    ASSERT_EQ(rig.mix->disconnect(probe), 0);
    EXPECT_TRUE(enabled(*rig.mix, "defValue2"));
    rig.setMode(Add);
    EXPECT_EQ(rig.one(), 255u); // the default is read again
}

// --- weighted mix ---

TEST(WeightedMix, UnlinkedDefaultsGiveMidGreyInBothModes)
{
    MixRig<NodeWeightedMix> rig;
    for (int mode : {WeightedAddition, WeightedMultiplication}) {
        rig.setMode(mode);
        EXPECT_EQ(rig.one(), 128u);
        EXPECT_EQ(rig.colour(), 0x808080u);
    }
}

TEST(WeightedMix, AdditionByHand)
{
    MixRig<NodeWeightedMix> rig;
    KelUtils::ParameterContainer* c = rig.mix->paramContainer();
    const struct { int a, b; float w; unsigned int expected; } cases[] = {
        {0, 255, 0.5f, 128},    // 127.5 + 0.5
        {200, 100, 0.25f, 125}, // 50 + 75 + 0.5
        {37, 250, 1.0f, 37},
        {37, 250, 0.0f, 250},
    };
    for (auto const& t : cases) {
        SCOPED_TRACE(testing::Message() << t.a << " " << t.b << " " << t.w);
        ASSERT_EQ(c->setIntParam(QStringLiteral("defValue1"), t.a), 0);
        ASSERT_EQ(c->setIntParam(QStringLiteral("defValue2"), t.b), 0);
        ASSERT_EQ(c->setFloatParam(QStringLiteral("weight"), t.w), 0);
        EXPECT_EQ(rig.one(), t.expected);
    }
    // Black and white default colours halfway.
    ASSERT_EQ(c->setColorParam(QStringLiteral("defColor1"), KelUtils::Color(0, 0, 0, 1)), 0);
    ASSERT_EQ(c->setColorParam(QStringLiteral("defColor2"), KelUtils::Color(1, 1, 1, 1)), 0);
    ASSERT_EQ(c->setFloatParam(QStringLiteral("weight"), 0.5f), 0);
    EXPECT_EQ(rig.colour(), 0x808080u);
    // Linked colours per channel: (200, 0, 255) at 0.25 with (100, 255, 0).
    rig.feed("in1", 0x99C800FFu);
    rig.feed("in2", 0x0064FF00u);
    ASSERT_EQ(c->setFloatParam(QStringLiteral("weight"), 0.25f), 0);
    EXPECT_EQ(rig.colour(), 0x7DBF40u); // 125.5, 191.75, 64.25 truncated
}

TEST(WeightedMix, MultiplicationByHand)
{
    MixRig<NodeWeightedMix> rig;
    rig.setMode(WeightedMultiplication);
    ProbeSourceNode* a = rig.feed("in1", 0, 0);
    ProbeSourceNode* b = rig.feed("in2", 0, 0);
    ProbeSourceNode* a1 = rig.feedValue("in1 1d", 0);
    ProbeSourceNode* b1 = rig.feedValue("in2 1d", 0);
    KelUtils::ParameterContainer* c = rig.mix->paramContainer();
    const struct { unsigned int a, b; float w; unsigned int one, channel; } cases[] = {
        // The colour path subtracts before truncating: 201 - 51.1 gives 149, not 150.
        {201, 128, 0.3f, 150, 149},
        {200, 60, 0.3f, 93, 93},   // 150 * 80 / 128 and 149 * 80 / 128
        {200, 60, 0.5f, 120, 120}, // 164 * 94 / 128
        {255, 255, 0.5f, 255, 255},
        {37, 250, 1.0f, 37, 37},   // in2 pulled to 128
        {37, 250, 0.0f, 250, 250}, // in1 pulled to 128
    };
    for (auto const& t : cases) {
        SCOPED_TRACE(testing::Message() << t.a << " " << t.b << " " << t.w);
        a->colour = t.a * 0x010101u;
        b->colour = t.b * 0x010101u;
        a1->value = t.a;
        b1->value = t.b;
        ASSERT_EQ(c->setFloatParam(QStringLiteral("weight"), t.w), 0);
        EXPECT_EQ(rig.one(), t.one);
        EXPECT_EQ(rig.colour(), t.channel * 0x010101u);
    }
}

TEST(WeightedMix, WeightInputOverridesTheParameterPerPoint)
{
    MixRig<NodeWeightedMix> rig;
    KelUtils::ParameterContainer* c = rig.mix->paramContainer();
    ASSERT_EQ(c->setFloatParam(QStringLiteral("weight"), 0.7f), 0);
    rig.feed("in1", 0x0A1428u);
    rig.feed("in2", 0xF0E6DCu);
    rig.feedValue("in1 1d", 201);
    rig.feedValue("in2 1d", 100);
    ProbeSourceNode* weight = rig.feedValue("weight", 255);
    EXPECT_FALSE(enabled(*rig.mix, "weight"));
    for (int mode : {WeightedAddition, WeightedMultiplication}) {
        SCOPED_TRACE(mode);
        rig.setMode(mode);
        weight->value = 0x1FF; // low byte 255: weight 1
        EXPECT_EQ(rig.one(), 201u);
        EXPECT_EQ(rig.colour(), 0x0A1428u);
        weight->value = 0;
        EXPECT_EQ(rig.one(), 100u);
        EXPECT_EQ(rig.colour(), 0xF0E6DCu);
    }
    rig.setMode(WeightedAddition);
    weight->value = 51; // 0.2: 40.2 + 80 + 0.5
    EXPECT_EQ(rig.one(), 120u);
    weight->valueAt = [](QPoint const& p) { return p.x() == 0 ? 255u : 0u; };
    EXPECT_EQ(rig.mix->getSample(QPoint(0, 5)), 201u);
    EXPECT_EQ(rig.mix->getSample(QPoint(3, 5)), 100u);

    // Unlinked again, the parameter's kept value applies: 201 * 0.7 + 100 * 0.3 + 0.5.
    ASSERT_EQ(rig.mix->disconnect(weight), 0);
    EXPECT_TRUE(enabled(*rig.mix, "weight"));
    EXPECT_FLOAT_EQ(c->getFloatParam(QStringLiteral("weight")), 0.7f);
    EXPECT_EQ(rig.one(), 171u);
}

TEST(WeightedMix, LinkingAnInputDisablesOnlyTheParameterItReplaces)
{
    MixRig<NodeWeightedMix> rig;
    ProbeSourceNode* probe = rig.feed("in1", 0x112233u);
    EXPECT_FALSE(enabled(*rig.mix, "defColor1"));
    for (char const* other : {"defColor2", "defValue1", "defValue2", "weight", "mode"})
        EXPECT_TRUE(enabled(*rig.mix, other)) << other;
    ASSERT_EQ(rig.mix->disconnect(probe), 0);
    EXPECT_TRUE(enabled(*rig.mix, "defColor1"));
    rig.feedValue("in2 1d", 3);
    EXPECT_FALSE(enabled(*rig.mix, "defValue2"));
    EXPECT_TRUE(enabled(*rig.mix, "defValue1"));
}

TEST(WeightedMix, LoadedDefaultValuesAreHeldToBytes)
{
    MixRig<NodeWeightedMix> rig;
    ASSERT_EQ(rig.mix->paramContainer()->setFloatParam(QStringLiteral("weight"), 1.0f), 0);
    loadWithAttribute(*rig.mix, "defValue1", "value", "-40");
    EXPECT_EQ(rig.one(), 0u);
    loadWithAttribute(*rig.mix, "defValue1", "value", "1000");
    EXPECT_EQ(rig.one(), 255u);
}

// --- through a rendered graph ---

TEST(MixNodesRender, ArithmeticMixOfThePictureAndADefault)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(4, 3));
    auto* mix = h.add<NodeArithmeticMix>();
    ASSERT_EQ(mix->paramContainer()->setListParam(QStringLiteral("mode"), Add), 0);
    h.chain(mix, QStringLiteral("in1"), QStringLiteral("out"));
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const unsigned int p = EffectTest::gradientPixel(x, y);
            unsigned int expected = 0;
            for (int shift : {16, 8, 0})
                expected |= std::min(((p >> shift) & 0xFFu) + 128u, 255u) << shift;
            EXPECT_EQ(h.rgb(x, y), expected) << x << "," << y;
        }
    }
}

TEST(MixNodesRender, WeightedMixWithAPerPixelWeight)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(4, 2));
    auto* mix = h.add<NodeWeightedMix>();
    auto* weight = h.add<ProbeSourceNode>();
    weight->valueAt = [](QPoint const& p) { return unsigned(p.x()) * 85u; }; // 0, 1/3, 2/3, 1
    ASSERT_EQ(mix->paramContainer()->setColorParam(QStringLiteral("defColor2"), KelUtils::Color(1, 1, 1, 1)), 0);
    ASSERT_EQ(h.link(weight, QStringLiteral("out 1d"), mix, QStringLiteral("weight")), 0);
    h.chain(mix, QStringLiteral("in1"), QStringLiteral("out"));
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            const unsigned int p = EffectTest::gradientPixel(x, y);
            const float w = float(x * 85) / 255.0f;
            unsigned int expected = 0;
            for (int shift : {16, 8, 0}) {
                const float v = float((p >> shift) & 0xFFu) * w + 255.0f * (1.0f - w) + 0.5f;
                expected |= unsigned(v) << shift;
            }
            EXPECT_EQ(h.rgb(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(h.rgb(0, 0), 0xFFFFFFu); // weight 0: the white default alone
    EXPECT_EQ(h.rgb(3, 1), EffectTest::gradientPixel(3, 1) & 0xFFFFFFu); // weight 1: the picture
}

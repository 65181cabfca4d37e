#include "effects/LinearColorBytes.h"
#include "effects/NodeArithmeticMix.h"
#include "effects/NodeWeightedMix.h"

#include "EffectTestSupport.h"
#include "ProbeSourceNode.h"

#include "params/Color.h"
#include "params/ParameterContainer.h"

#include <QDomDocument>

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kMixPoint(1, 2);

// Modes of the arithmetic mixer, as their "mode" item ids.
enum { Add = 0, Subtract = 1, Difference = 2, Multiply = 3, Divide = 4 };
// Modes of the weighted mixer.
enum { WeightedAddition = 0, WeightedMultiplication = 1 };

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
    unsigned int one() const { return mix->getSample(kMixPoint); }
    unsigned int colour() const { return mix->getSample3(kMixPoint); }

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

// --- arithmetic mix ---

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

// --- weighted mix ---

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

TEST(WeightedMix, WeightInputOverridesTheParameter)
{
    MixRig<NodeWeightedMix> rig;
    ASSERT_EQ(rig.mix->paramContainer()->setFloatParam(QStringLiteral("weight"), 0.7f), 0);
    rig.feed("in1", 0x0A1428u);
    rig.feed("in2", 0xF0E6DCu);
    rig.feedValue("in1 1d", 201);
    rig.feedValue("in2 1d", 100);
    ProbeSourceNode* weight = rig.feedValue("weight", 255);
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
    // Unlinked again, the parameter's kept value applies: 201 * 0.7 + 100 * 0.3 + 0.5.
    rig.setMode(WeightedAddition);
    ASSERT_EQ(rig.mix->disconnect(weight), 0);
    EXPECT_EQ(rig.one(), 171u);
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

#include "effects/color/NodeJoinHSVtoRGB.h"
#include "effects/color/NodeSplitRGBtoHSV.h"
#include "effects/color/NodeSplitRGBtoHSVTerminal1D.h"

#include "effects/EffectTestSupport.h"
#include "effects/EngineTestNodes.h"
#include "effects/ProbeSourceNode.h"

#include "nodes/Terminal.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <iterator>
#include <memory>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kPoint(1, 2);

unsigned int sampleOf(KelNodes::Node const& node, char const* terminal)
{
    auto const* out = dynamic_cast<VyxTerminal const*>(node.getTerminal(QString::fromLatin1(terminal)));
    if (!out || !out->toBase1DGenerator())
        return 9999u;
    return out->toBase1DGenerator()->getSample(kPoint);
}

struct Hsv
{
    unsigned int h, s, v;
};

} // namespace

TEST(HsvSplitNode, DescriptorTerminalsAndContainer)
{
    EXPECT_EQ(NodeSplitRGBtoHSV::m_descriptor.typeId, QLatin1String("operator.splitRGBtoHSV"));
    EXPECT_EQ(NodeSplitRGBtoHSV::m_descriptor.typeUuid,
              QUuid(QStringLiteral("c72eab13-df9e-4ce2-b6ef-590db646136d")));
    EXPECT_EQ(NodeSplitRGBtoHSV::m_descriptor.displayName, QLatin1String("Split RGB to HSV"));
    EXPECT_TRUE(NodeSplitRGBtoHSV::m_descriptor.further.isEmpty());
    std::unique_ptr<KelNodes::Node> node(NodeSplitRGBtoHSV::m_descriptor.create(6));
    auto* split = dynamic_cast<NodeSplitRGBtoHSV*>(node.get());
    ASSERT_TRUE(split);
    EXPECT_EQ(split->uid(), 6);
    EXPECT_EQ(split->descriptor(), &NodeSplitRGBtoHSV::m_descriptor);
    EXPECT_EQ(split->paramContainer()->name(), QLatin1String("operator.splitRGBtoHSV"));
    ASSERT_EQ(split->paramContainer()->paramLists().size(), 1);
    EXPECT_EQ(split->paramContainer()->paramLists().first().name, QLatin1String("basic"));
    EXPECT_TRUE(split->paramContainer()->paramLists().first().parameters.isEmpty());
    EXPECT_EQ(split->paramContainer()->helpItem()->title, QLatin1String("Split RGB to HSV"));

    ASSERT_EQ(split->numTerminals(), 4);
    EXPECT_EQ(split->terminal(0)->name(), QLatin1String("rgb"));
    EXPECT_EQ(split->terminal(0)->inputMask(), 4u);
    EXPECT_EQ(split->terminal(0)->outputMask(), 0u);
    const char* names[] = {"h", "s", "v"};
    for (int i = 0; i < 3; ++i) {
        auto* out = dynamic_cast<NodeSplitRGBtoHSVTerminal1D*>(split->terminal(i + 1));
        ASSERT_TRUE(out) << i;
        EXPECT_EQ(out->name(), QLatin1String(names[i]));
        EXPECT_EQ(out->inputMask(), 0u);
        EXPECT_EQ(out->outputMask(), 3u);
        EXPECT_EQ(out->channelIndex(), i);
    }
    EXPECT_EQ(split->toBase1DGenerator(), static_cast<Base1DGenerator const*>(split));
    EXPECT_EQ(split->toBase3DGenerator(), nullptr);
}

TEST(HsvSplitNode, UnlinkedOutputsReadZeroNotMidGrey)
{
    NodeSplitRGBtoHSV split(1);
    for (char const* c : {"h", "s", "v"})
        EXPECT_EQ(sampleOf(split, c), 0u) << c;
    EXPECT_EQ(split.getSample(kPoint), 0u);
}

TEST(HsvSplitNode, HandWorkedColours)
{
    NodeSplitRGBtoHSV split(1);
    ProbeSourceNode source(2);
    ASSERT_EQ(source.connect(QStringLiteral("out"), &split, QStringLiteral("rgb")), 0);
    struct Case
    {
        unsigned int colour;
        Hsv hsv;
    } const cases[] = {
        {0xFF0000u, {0, 255, 255}},
        {0x00FF00u, {85, 255, 255}},
        {0x0000FFu, {170, 255, 255}},
        {0xFF00FFu, {213, 255, 255}},
        {0x808080u, {0, 0, 128}},  // a grey has no hue: byte 0
        {0x000000u, {0, 0, 0}},
        {0xFFFFFFu, {0, 0, 255}},
        // 0x123456: blue is highest, hue 240 - 60 x 34/68 = 210 degrees -> 149;
        // saturation 68/86 of 65535 is 51817 -> high byte 202.
        {0x123456u, {149, 202, 86}},
        // green highest: hue 120 + 60 x 20/190 = 126.3 -> 126 degrees, x 0.71031 = 89.499 -> 89;
        // saturation 190/200 of 65535 is 62258 -> 243.
        {0xAA0AC81Eu, {89, 243, 200}}, // the top byte is ignored
    };
    for (auto const& c : cases) {
        source.colour = c.colour;
        EXPECT_EQ(sampleOf(split, "h"), c.hsv.h) << std::hex << c.colour;
        EXPECT_EQ(sampleOf(split, "s"), c.hsv.s) << std::hex << c.colour;
        EXPECT_EQ(sampleOf(split, "v"), c.hsv.v) << std::hex << c.colour;
        // The node as a whole is the value.
        EXPECT_EQ(split.getSample(kPoint), c.hsv.v) << std::hex << c.colour;
    }

    ASSERT_EQ(split.disconnect(&source), 0);
    EXPECT_EQ(sampleOf(split, "v"), 0u);
    EXPECT_EQ(split.getSample(kPoint), 0u);
}

TEST(HsvSplitNode, APeerWithoutColourLeavesTheInputUnlinked)
{
    NodeSplitRGBtoHSV split(1);
    EffectTest::MuteNode mute(2);
    ASSERT_EQ(mute.connect(QStringLiteral("out"), &split, QStringLiteral("rgb")), 0);
    EXPECT_EQ(split.colourInput(), nullptr);
    EXPECT_EQ(sampleOf(split, "v"), 0u);
}

TEST(HsvJoinNode, DescriptorTerminalsAndContainer)
{
    EXPECT_EQ(NodeJoinHSVtoRGB::m_descriptor.typeId, QLatin1String("operator.joinHSVtoRGB"));
    EXPECT_EQ(NodeJoinHSVtoRGB::m_descriptor.typeUuid,
              QUuid(QStringLiteral("283b1005-6df0-45eb-ba94-b31a525a3efc")));
    std::unique_ptr<KelNodes::Node> node(NodeJoinHSVtoRGB::m_descriptor.create(3));
    auto* join = dynamic_cast<NodeJoinHSVtoRGB*>(node.get());
    ASSERT_TRUE(join);
    EXPECT_EQ(join->paramContainer()->name(), QLatin1String("operator.joinHSVtoRGB"));
    ASSERT_EQ(join->paramContainer()->paramLists().size(), 1);
    EXPECT_TRUE(join->paramContainer()->paramLists().first().parameters.isEmpty());
    const char* names[] = {"h", "s", "v", "rgb"};
    ASSERT_EQ(join->numTerminals(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(join->terminal(i)->name(), QLatin1String(names[i]));
        EXPECT_EQ(join->terminal(i)->inputMask(), i < 3 ? 2u : 0u);
        // One link only on "rgb", as stored graphs were made with.
        EXPECT_EQ(join->terminal(i)->outputMask(), i < 3 ? 0u : 4u);
    }
    EXPECT_EQ(join->toBase3DGenerator(), static_cast<Base3DGenerator const*>(join));
    EXPECT_EQ(join->toBase1DGenerator(), nullptr);
}

TEST(HsvJoinNode, UnlinkedInputsCountAsZero)
{
    NodeJoinHSVtoRGB join(1);
    EXPECT_EQ(join.getSample3(kPoint), 0x000000u);

    ProbeSourceNode v(2, 0, 0x100 + 200); // only the low byte counts
    ASSERT_EQ(v.connect(QStringLiteral("out 1d"), &join, QStringLiteral("v")), 0);
    EXPECT_EQ(join.getSample3(kPoint), 0xC8C8C8u);

    ProbeSourceNode s(3, 0, 255);
    ASSERT_EQ(s.connect(QStringLiteral("out 1d"), &join, QStringLiteral("s")), 0);
    EXPECT_EQ(join.getSample3(kPoint), 0xC80000u); // unlinked hue is 0 degrees: red

    ProbeSourceNode h(4, 0, 255); // 359 degrees: just short of red, blue 4/255 of the way
    ASSERT_EQ(h.connect(QStringLiteral("out 1d"), &join, QStringLiteral("h")), 0);
    // 359/60 = 5.983, f = 0.983; blue = 200/255 x (1 - 0.983) -> 0.0131 of 65535 = 857 -> 3.
    EXPECT_EQ(join.getSample3(kPoint), 0xC80003u);

    ASSERT_EQ(join.disconnect(&s), 0);
    EXPECT_EQ(join.getSample3(kPoint), 0xC8C8C8u);
}

TEST(HsvJoinNode, HandWorkedColours)
{
    NodeJoinHSVtoRGB join(1);
    ProbeSourceNode h(2), s(3), v(4);
    ASSERT_EQ(h.connect(QStringLiteral("out 1d"), &join, QStringLiteral("h")), 0);
    ASSERT_EQ(s.connect(QStringLiteral("out 1d"), &join, QStringLiteral("s")), 0);
    ASSERT_EQ(v.connect(QStringLiteral("out 1d"), &join, QStringLiteral("v")), 0);
    struct Case
    {
        Hsv hsv;
        unsigned int colour;
    } const cases[] = {
        {{0, 255, 255}, 0xFF0000u},
        {{85, 255, 255}, 0x00FF00u},   // 119.7 -> 120 degrees
        {{213, 255, 255}, 0xFF00FFu},  // 299.9 -> 300 degrees
        // 170 is 239 degrees, not 240: green keeps 1/60 of full, 1092 of 65535 -> 4.
        {{170, 255, 255}, 0x0004FFu},
        // 43 is 61 degrees: red falls to 1 - 1/60 -> 64443 -> 251.
        {{43, 255, 255}, 0xFBFF00u},
        {{128, 0, 77}, 0x4D4D4Du},     // no saturation: grey whatever the hue
        {{255, 255, 0}, 0x000000u},
    };
    for (auto const& c : cases) {
        h.value = c.hsv.h;
        s.value = c.hsv.s;
        v.value = c.hsv.v;
        EXPECT_EQ(join.getSample3(kPoint), c.colour) << c.hsv.h << "," << c.hsv.s << "," << c.hsv.v;
    }
}

TEST(HsvJoinNode, RgbOutputKeepsOneLink)
{
    NodeJoinHSVtoRGB join(1);
    NodeSplitRGBtoHSV first(2), second(3);
    ASSERT_EQ(join.connect(QStringLiteral("rgb"), &first, QStringLiteral("rgb")), 0);
    EXPECT_EQ(first.colourInput(), static_cast<Base3DGenerator const*>(&join));
    ASSERT_EQ(join.connect(QStringLiteral("rgb"), &second, QStringLiteral("rgb")), 0);
    EXPECT_EQ(join.getTerminal(QStringLiteral("rgb"))->numConnections(), 1);
    EXPECT_EQ(first.getTerminal(QStringLiteral("rgb"))->numConnections(), 0);
    EXPECT_EQ(first.colourInput(), nullptr);
    EXPECT_EQ(second.colourInput(), static_cast<Base3DGenerator const*>(&join));
}

TEST(HsvSplitJoinRender, RoundTripAtChosenColours)
{
    // Pure hues, greys, black, white and mid colours. The hue byte holds 256 steps of 360
    // degrees, so some colours come back a step off (blue and yellow, 0x123456's red).
    struct Case
    {
        unsigned int in, out;
    } const cases[] = {
        {0xFF0000u, 0xFF0000u}, {0x00FF00u, 0x00FF00u}, {0x0000FFu, 0x0004FFu},
        {0xFFFF00u, 0xFBFF00u}, {0x00FFFFu, 0x00FFFFu}, {0xFF00FFu, 0xFF00FFu},
        {0x808080u, 0x808080u}, {0x000000u, 0x000000u}, {0xFFFFFFu, 0xFFFFFFu},
        {0x123456u, 0x113456u}, {0x0AC81Eu, 0x09C819u},
    };
    const int n = int(std::size(cases));
    QImage image = EffectTest::makeImage(n, 1);
    for (int x = 0; x < n; ++x)
        image.setPixel(x, 0, 0xFF000000u | cases[x].in);
    EffectHarness harness(image);
    auto* split = harness.add<NodeSplitRGBtoHSV>();
    auto* join = harness.add<NodeJoinHSVtoRGB>();
    ASSERT_EQ(EffectHarness::link(harness.source(), QStringLiteral("rgb"), split, QStringLiteral("rgb")), 0);
    for (char const* c : {"h", "s", "v"})
        ASSERT_EQ(EffectHarness::link(split, QString::fromLatin1(c), join, QString::fromLatin1(c)), 0);
    harness.output(join, QStringLiteral("rgb"));
    ASSERT_EQ(harness.render(), 0);
    for (int x = 0; x < n; ++x)
        EXPECT_EQ(harness.rgb(x, 0), cases[x].out) << std::hex << cases[x].in;
}

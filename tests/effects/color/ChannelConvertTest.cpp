#include "effects/color/NodeConvert1Dto3D.h"
#include "effects/color/NodeConvert3Dto1D.h"

#include "effects/EffectTestSupport.h"
#include "effects/EngineTestNodes.h"
#include "effects/GeneratorLookup.h"
#include "effects/ProbeSourceNode.h"

#include "nodes/Terminal.h"
#include "params/ListParameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterList.h"

#include <QDomDocument>

#include <gtest/gtest.h>

#include <memory>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kPoint(0, 1);

const char* const channelNames[] = {"Red", "Green", "Blue", "Hue", "Saturation", "Value",
                                    "Cyan", "Magenta", "Yellow", "Black"};

enum { Red, Green, Blue, Hue, Saturation, Value, Cyan, Magenta, Yellow, Black };

// The list parameter and its items as the graph document knows them.
void expectChannelList(KelNodes::Node* node, char const* key, char const* label)
{
    ASSERT_EQ(node->paramContainer()->paramLists().size(), 1);
    auto const& list = node->paramContainer()->paramLists().first();
    EXPECT_EQ(list.name, QLatin1String("basic"));
    ASSERT_EQ(list.parameters.size(), 2);
    EXPECT_EQ(list.parameters[0]->name(), QLatin1String("basicsBox"));
    EXPECT_EQ(list.parameters[0]->displayFlags(), 1);
    auto* channel = dynamic_cast<KelUtils::ListParameter*>(list.parameters[1]);
    ASSERT_TRUE(channel);
    EXPECT_EQ(channel->name(), QLatin1String(key));
    EXPECT_EQ(channel->text(), QLatin1String(label));
    EXPECT_EQ(channel->displayFlags(), 5);
    EXPECT_EQ(channel->value(), 0);
    ASSERT_EQ(channel->itemCount(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(channel->itemAt(i)->id, i);
        EXPECT_EQ(channel->itemAt(i)->name, QLatin1String(channelNames[i]));
    }
}

} // namespace

TEST(Convert1Dto3D, DescriptorTerminalsAndParameters)
{
    EXPECT_EQ(NodeConvert1Dto3D::m_descriptor.typeId, QLatin1String("operator.convert1dto3d"));
    EXPECT_EQ(NodeConvert1Dto3D::m_descriptor.typeUuid,
              QUuid(QStringLiteral("0ff6a076-ea8e-4c74-a51c-2e3a5ec43f8b")));
    EXPECT_EQ(NodeConvert1Dto3D::m_descriptor.displayName, QLatin1String("Convert 1D to 3D"));
    std::unique_ptr<KelNodes::Node> node(NodeConvert1Dto3D::m_descriptor.create(5));
    auto* convert = dynamic_cast<NodeConvert1Dto3D*>(node.get());
    ASSERT_TRUE(convert);
    EXPECT_EQ(convert->paramContainer()->name(), QLatin1String("operator.convert1dto3d"));
    ASSERT_EQ(convert->numTerminals(), 2);
    EXPECT_EQ(convert->terminal(0)->name(), QLatin1String("in"));
    EXPECT_EQ(convert->terminal(0)->inputMask(), 2u);
    EXPECT_EQ(convert->terminal(1)->name(), QLatin1String("rgb"));
    EXPECT_EQ(convert->terminal(1)->outputMask(), 5u);
    EXPECT_EQ(convert->toBase1DGenerator(), nullptr);
    EXPECT_EQ(convert->toBase3DGenerator(), static_cast<Base3DGenerator const*>(convert));
    expectChannelList(convert, "input", "Input value:");
}

TEST(Convert1Dto3D, UnlinkedIsBlackForEveryChannel)
{
    NodeConvert1Dto3D convert(1);
    for (int channel = 0; channel < 10; ++channel) {
        ASSERT_EQ(convert.paramContainer()->setListParam(QStringLiteral("input"), channel), 0);
        EXPECT_EQ(convert.getSample3(kPoint), 0u) << channel;
    }
}

TEST(Convert1Dto3D, ChannelBytesIntoColours)
{
    NodeConvert1Dto3D convert(1);
    ProbeSourceNode source(2);
    ASSERT_EQ(source.connect(QStringLiteral("out 1d"), &convert, QStringLiteral("in")), 0);
    struct Case
    {
        int channel;
        unsigned int value, colour;
    } const cases[] = {
        {Red, 200, 0xC80000u},
        {Red, 0x100 + 200, 0xC80000u}, // only the low byte counts
        {Green, 17, 0x001100u},
        {Blue, 255, 0x0000FFu},
        {Value, 128, 0x808080u},
        {Cyan, 0, 0xFFFFFFu},
        {Cyan, 255, 0x00FFFFu},
        {Magenta, 100, 0xFF9BFFu},
        {Yellow, 1, 0xFFFFFEu},
        {Black, 255, 0x000000u},
        {Black, 55, 0xC8C8C8u},
    };
    for (auto const& c : cases) {
        ASSERT_EQ(convert.paramContainer()->setListParam(QStringLiteral("input"), c.channel), 0);
        source.value = c.value;
        EXPECT_EQ(convert.getSample3(kPoint), c.colour) << channelNames[c.channel] << " " << c.value;
    }
}

TEST(Convert1Dto3D, HueAndSaturationGiveBlack)
{
    // Their value is 0, so no input byte shows; stored effects rely on it.
    NodeConvert1Dto3D convert(1);
    ProbeSourceNode source(2);
    ASSERT_EQ(source.connect(QStringLiteral("out 1d"), &convert, QStringLiteral("in")), 0);
    for (int channel : {Hue, Saturation}) {
        ASSERT_EQ(convert.paramContainer()->setListParam(QStringLiteral("input"), channel), 0);
        for (unsigned int v = 0; v < 256; ++v) {
            source.value = v;
            ASSERT_EQ(convert.getSample3(kPoint), 0u) << channelNames[channel] << " " << v;
        }
    }
}

TEST(Convert3Dto1D, DescriptorTerminalsAndParameters)
{
    EXPECT_EQ(NodeConvert3Dto1D::m_descriptor.typeId, QLatin1String("operator.convert3dto1d"));
    EXPECT_EQ(NodeConvert3Dto1D::m_descriptor.typeUuid,
              QUuid(QStringLiteral("8f73ad54-adad-4d8d-bd5c-50e381f05796")));
    std::unique_ptr<KelNodes::Node> node(NodeConvert3Dto1D::m_descriptor.create(5));
    auto* convert = dynamic_cast<NodeConvert3Dto1D*>(node.get());
    ASSERT_TRUE(convert);
    EXPECT_EQ(convert->paramContainer()->name(), QLatin1String("operator.convert3dto1d"));
    EXPECT_EQ(convert->paramContainer()->helpItem()->title, QLatin1String("Convert 3D to 1D"));
    ASSERT_EQ(convert->numTerminals(), 2);
    EXPECT_EQ(convert->terminal(0)->name(), QLatin1String("rgb"));
    EXPECT_EQ(convert->terminal(0)->inputMask(), 4u);
    EXPECT_EQ(convert->terminal(1)->name(), QLatin1String("out"));
    EXPECT_EQ(convert->terminal(1)->outputMask(), 3u);
    EXPECT_EQ(convert->toBase1DGenerator(), static_cast<Base1DGenerator const*>(convert));
    EXPECT_EQ(convert->toBase3DGenerator(), static_cast<Base3DGenerator const*>(convert));
    expectChannelList(convert, "output", "Output value:");
}

TEST(Convert3Dto1D, ChannelsTakenOutOfColours)
{
    NodeConvert3Dto1D convert(1);
    ProbeSourceNode source(2);
    ASSERT_EQ(source.connect(QStringLiteral("out"), &convert, QStringLiteral("rgb")), 0);
    struct Case
    {
        int channel;
        unsigned int colour, value;
    } const cases[] = {
        {Red, 0xFF123456u, 0x12}, // the top byte is ignored
        {Green, 0x123456u, 0x34},
        {Blue, 0x123456u, 0x56},
        {Hue, 0xFF0000u, 0},
        {Hue, 0x00FF00u, 85},
        {Hue, 0x0000FFu, 170},
        {Hue, 0x808080u, 0}, // no hue: 0, never a wrapped 255
        {Hue, 0x123456u, 149},
        {Saturation, 0x808080u, 0},
        {Saturation, 0x123456u, 202},
        {Value, 0x0AC81Eu, 200},
        {Cyan, 0x123456u, 202},
        {Magenta, 0x123456u, 101},
        {Yellow, 0x123456u, 0},
        {Black, 0x123456u, 169},
        {Black, 0x808080u, 127},
    };
    for (auto const& c : cases) {
        ASSERT_EQ(convert.paramContainer()->setListParam(QStringLiteral("output"), c.channel), 0);
        source.colour = c.colour;
        EXPECT_EQ(convert.getSample(kPoint), c.value) << channelNames[c.channel] << std::hex << " " << c.colour;
    }
}

TEST(Convert3Dto1D, ColourOutputPlacesTheByteBack)
{
    NodeConvert3Dto1D convert(1);
    ProbeSourceNode source(2, 0x123456u);
    ASSERT_EQ(source.connect(QStringLiteral("out"), &convert, QStringLiteral("rgb")), 0);
    struct Case
    {
        int channel;
        unsigned int colour;
    } const cases[] = {
        {Red, 0x120000u},
        {Blue, 0x000056u},
        {Value, 0x565656u},
        {Hue, 0x000000u},
        {Saturation, 0x000000u},
        {Cyan, 0x35FFFFu},   // cyan 202 -> red 255 - 202
        {Black, 0x565656u},  // black 169 -> 86
    };
    for (auto const& c : cases) {
        ASSERT_EQ(convert.paramContainer()->setListParam(QStringLiteral("output"), c.channel), 0);
        EXPECT_EQ(convert.getSample3(kPoint), c.colour) << channelNames[c.channel];
    }
}

TEST(Convert3Dto1D, UnlinkedAndMuteInputsGiveZero)
{
    NodeConvert3Dto1D convert(1);
    ASSERT_EQ(convert.paramContainer()->setListParam(QStringLiteral("output"), Cyan), 0);
    EXPECT_EQ(convert.getSample(kPoint), 0u);
    EXPECT_EQ(convert.getSample3(kPoint), 0u); // not the white that cyan 0 would make

    EffectTest::MuteNode mute(2);
    ASSERT_EQ(mute.connect(QStringLiteral("out"), &convert, QStringLiteral("rgb")), 0);
    EXPECT_EQ(convert.getSample(kPoint), 0u);
    EXPECT_EQ(convert.getSample3(kPoint), 0u);
}

TEST(Convert3Dto1D, LinksOnTheOutputLeaveTheInputAlone)
{
    NodeConvert3Dto1D convert(1);
    ProbeSourceNode source(2, 0x4B0000u);
    NodeConvert1Dto3D downstream(3);
    ASSERT_EQ(source.connect(QStringLiteral("out"), &convert, QStringLiteral("rgb")), 0);
    ASSERT_EQ(convert.connect(QStringLiteral("out"), &downstream, QStringLiteral("in")), 0);
    EXPECT_EQ(convert.getSample(kPoint), 0x4Bu);
    EXPECT_EQ(downstream.getSample3(kPoint), 0x4B0000u);
    ASSERT_EQ(convert.disconnect(&downstream), 0);
    EXPECT_EQ(convert.getSample(kPoint), 0x4Bu);
    EXPECT_EQ(downstream.getSample3(kPoint), 0u);
    ASSERT_EQ(convert.disconnect(&source), 0);
    EXPECT_EQ(convert.getSample(kPoint), 0u);
}

TEST(Convert3Dto1D, InputsTakingEitherKindReceiveTheColour)
{
    NodeConvert3Dto1D convert(1);
    Base1DGenerator const* channel = nullptr;
    Base3DGenerator const* colour = nullptr;
    ASSERT_TRUE(getGeneratorInterfaces(convert.getTerminal(QStringLiteral("out")), &channel, &colour));
    EXPECT_EQ(colour, static_cast<Base3DGenerator const*>(&convert));
    EXPECT_EQ(channel, nullptr);

    // Rendered: the source's red reaches an inverting node as (r, 0, 0), not as a grey.
    EffectHarness harness(EffectTest::makeImage(2, 2, 0xFF405060u));
    auto* node = harness.add<NodeConvert3Dto1D>();
    auto* invert = harness.add<EffectTest::InvertNode>();
    ASSERT_EQ(EffectHarness::link(harness.source(), QStringLiteral("rgb"), node, QStringLiteral("rgb")), 0);
    ASSERT_EQ(EffectHarness::link(node, QStringLiteral("out"), invert, QStringLiteral("in")), 0);
    harness.output(invert, QStringLiteral("out"));
    ASSERT_EQ(harness.render(), 0);
    EXPECT_EQ(harness.rgb(1, 1), 0xBFFFFFu);
}

TEST(ChannelConvertRender, OneDimensionalRoundTripThroughBothNodes)
{
    // Colour -> Value byte -> grey colour, and a CMYK channel out and back in.
    EffectHarness harness(EffectTest::makeImage(3, 1, 0xFF0AC81Eu));
    auto* out = harness.add<NodeConvert3Dto1D>();
    auto* in = harness.add<NodeConvert1Dto3D>();
    ASSERT_EQ(EffectHarness::link(harness.source(), QStringLiteral("rgb"), out, QStringLiteral("rgb")), 0);
    ASSERT_EQ(EffectHarness::link(out, QStringLiteral("out"), in, QStringLiteral("in")), 0);
    harness.output(in, QStringLiteral("rgb"));
    ASSERT_EQ(out->paramContainer()->setListParam(QStringLiteral("output"), Value), 0);
    ASSERT_EQ(in->paramContainer()->setListParam(QStringLiteral("input"), Value), 0);
    ASSERT_EQ(harness.render(), 0);
    EXPECT_EQ(harness.rgb(2, 0), 0xC8C8C8u);

    // Cyan of (10, 200, 30): k = 55/255, c = (200 - 10)/200 = 0.95 -> 62258 -> 243; placed
    // back alone it leaves red 255 - 243 = 12.
    ASSERT_EQ(out->paramContainer()->setListParam(QStringLiteral("output"), Cyan), 0);
    ASSERT_EQ(in->paramContainer()->setListParam(QStringLiteral("input"), Cyan), 0);
    ASSERT_EQ(harness.render(), 0);
    EXPECT_EQ(harness.rgb(0, 0), 0x0CFFFFu);
}

TEST(ChannelConvert, ChosenChannelSurvivesStoreAndLoad)
{
    NodeConvert1Dto3D original(1);
    ASSERT_EQ(original.paramContainer()->setListParam(QStringLiteral("input"), Magenta), 0);
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("root"));
    ASSERT_EQ(original.paramContainer()->storeState(document, root, false, false), 0);

    NodeConvert1Dto3D loaded(2);
    ASSERT_EQ(loaded.paramContainer()->loadState(root.firstChildElement()), 0);
    ProbeSourceNode source(3, 0, 100);
    ASSERT_EQ(source.connect(QStringLiteral("out 1d"), &loaded, QStringLiteral("in")), 0);
    EXPECT_EQ(loaded.getSample3(kPoint), 0xFF9BFFu);
}

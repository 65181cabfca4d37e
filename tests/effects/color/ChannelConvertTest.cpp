#include "effects/color/NodeConvert1Dto3D.h"
#include "effects/color/NodeConvert3Dto1D.h"

#include "effects/EffectTestSupport.h"
#include "effects/EngineTestNodes.h"
#include "effects/GeneratorLookup.h"
#include "effects/ProbeSourceNode.h"

#include "params/ParameterContainer.h"

#include <gtest/gtest.h>


using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kConvertPoint(0, 1);

const char* const channelNames[] = {"Red", "Green", "Blue", "Hue", "Saturation", "Value",
                                    "Cyan", "Magenta", "Yellow", "Black"};

enum { Red, Green, Blue, Hue, Saturation, Value, Cyan, Magenta, Yellow, Black };

} // namespace

TEST(Convert1Dto3D, ChannelBytesIntoColours)
{
    NodeConvert1Dto3D convert(1);
    for (int channel = 0; channel < 10; ++channel) { // unlinked: black
        ASSERT_EQ(convert.paramContainer()->setListParam(QStringLiteral("input"), channel), 0);
        EXPECT_EQ(convert.getSample3(kConvertPoint), 0u) << channel;
    }
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
        EXPECT_EQ(convert.getSample3(kConvertPoint), c.colour) << channelNames[c.channel] << " " << c.value;
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
            ASSERT_EQ(convert.getSample3(kConvertPoint), 0u) << channelNames[channel] << " " << v;
        }
    }
}

TEST(Convert3Dto1D, ChannelsTakenOutOfColours)
{
    NodeConvert3Dto1D convert(1);
    ProbeSourceNode source(2);
    ASSERT_EQ(source.connect(QStringLiteral("out"), &convert, QStringLiteral("rgb")), 0);
    // The colour output places the byte back where the channel came from (0: not shown).
    struct Case
    {
        int channel;
        unsigned int colour, value, back;
    } const cases[] = {
        {Red, 0xFF123456u, 0x12, 0x120000u}, // the top byte is ignored
        {Green, 0x123456u, 0x34, 0},
        {Blue, 0x123456u, 0x56, 0x000056u},
        {Hue, 0xFF0000u, 0, 0},
        {Hue, 0x00FF00u, 85, 0},
        {Hue, 0x0000FFu, 170, 0},
        {Hue, 0x808080u, 0, 0}, // no hue: 0, never a wrapped 255
        {Hue, 0x123456u, 149, 0x000000u},
        {Saturation, 0x808080u, 0, 0},
        {Saturation, 0x123456u, 202, 0x000000u},
        {Value, 0x0AC81Eu, 200, 0xC8C8C8u},
        {Cyan, 0x123456u, 202, 0x35FFFFu}, // cyan 202 -> red 255 - 202
        {Magenta, 0x123456u, 101, 0},
        {Yellow, 0x123456u, 0, 0},
        {Black, 0x123456u, 169, 0x565656u},
        {Black, 0x808080u, 127, 0},
    };
    for (auto const& c : cases) {
        ASSERT_EQ(convert.paramContainer()->setListParam(QStringLiteral("output"), c.channel), 0);
        source.colour = c.colour;
        EXPECT_EQ(convert.getSample(kConvertPoint), c.value) << channelNames[c.channel] << std::hex << " " << c.colour;
        if (c.back != 0 || c.channel == Hue || c.channel == Saturation) {
            EXPECT_EQ(convert.getSample3(kConvertPoint), c.back)
                << channelNames[c.channel] << std::hex << " " << c.colour;
        }
    }
}

TEST(Convert3Dto1D, UnlinkedAndMuteInputsGiveZero)
{
    NodeConvert3Dto1D convert(1);
    ASSERT_EQ(convert.paramContainer()->setListParam(QStringLiteral("output"), Cyan), 0);
    EXPECT_EQ(convert.getSample(kConvertPoint), 0u);
    EXPECT_EQ(convert.getSample3(kConvertPoint), 0u); // not the white that cyan 0 would make

    EffectTest::MuteNode mute(2);
    ASSERT_EQ(mute.connect(QStringLiteral("out"), &convert, QStringLiteral("rgb")), 0);
    EXPECT_EQ(convert.getSample(kConvertPoint), 0u);
    EXPECT_EQ(convert.getSample3(kConvertPoint), 0u);
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


#include "effects/color/NodeJoinHSVtoRGB.h"
#include "effects/color/NodeJoinHSY.h"
#include "effects/color/NodeSplitHSY.h"
#include "effects/color/NodeSplitRGBtoHSV.h"

#include "effects/EffectTestSupport.h"
#include "effects/EngineTestNodes.h"
#include "effects/ProbeSourceNode.h"

#include "nodes/Terminal.h"

#include <gtest/gtest.h>

#include <iterator>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kHsvPoint(1, 2);

unsigned int hsvSampleOf(KelNodes::Node const& node, char const* terminal)
{
    auto const* out = dynamic_cast<VyxTerminal const*>(node.getTerminal(QString::fromLatin1(terminal)));
    if (!out || !out->toBase1DGenerator())
        return 9999u;
    return out->toBase1DGenerator()->getSample(kHsvPoint);
}

struct Hsv
{
    unsigned int h, s, v;
};

} // namespace

TEST(HsvSplitNode, HandWorkedColoursAndUnlinkedZero)
{
    NodeSplitRGBtoHSV split(1);
    for (char const* c : {"h", "s", "v"}) // zero, not mid grey
        EXPECT_EQ(hsvSampleOf(split, c), 0u) << c;
    EffectTest::MuteNode mute(3); // offers no colour: the input stays unlinked
    ASSERT_EQ(mute.connect(QStringLiteral("out"), &split, QStringLiteral("rgb")), 0);
    EXPECT_EQ(split.colourInput(), nullptr);
    EXPECT_EQ(hsvSampleOf(split, "v"), 0u);
    ASSERT_EQ(split.disconnect(&mute), 0);
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
        EXPECT_EQ(hsvSampleOf(split, "h"), c.hsv.h) << std::hex << c.colour;
        EXPECT_EQ(hsvSampleOf(split, "s"), c.hsv.s) << std::hex << c.colour;
        EXPECT_EQ(hsvSampleOf(split, "v"), c.hsv.v) << std::hex << c.colour;
        // The node as a whole is the value.
        EXPECT_EQ(split.getSample(kHsvPoint), c.hsv.v) << std::hex << c.colour;
    }

    ASSERT_EQ(split.disconnect(&source), 0);
    EXPECT_EQ(hsvSampleOf(split, "v"), 0u);
    EXPECT_EQ(split.getSample(kHsvPoint), 0u);
}

TEST(HsvJoinNode, UnlinkedInputsCountAsZero)
{
    NodeJoinHSVtoRGB join(1);
    EXPECT_EQ(join.getSample3(kHsvPoint), 0x000000u);

    ProbeSourceNode v(2, 0, 0x100 + 200); // only the low byte counts
    ASSERT_EQ(v.connect(QStringLiteral("out 1d"), &join, QStringLiteral("v")), 0);
    EXPECT_EQ(join.getSample3(kHsvPoint), 0xC8C8C8u);

    ProbeSourceNode s(3, 0, 255);
    ASSERT_EQ(s.connect(QStringLiteral("out 1d"), &join, QStringLiteral("s")), 0);
    EXPECT_EQ(join.getSample3(kHsvPoint), 0xC80000u); // unlinked hue is 0 degrees: red

    ProbeSourceNode h(4, 0, 255); // 359 degrees: just short of red, blue 4/255 of the way
    ASSERT_EQ(h.connect(QStringLiteral("out 1d"), &join, QStringLiteral("h")), 0);
    // 359/60 = 5.983, f = 0.983; blue = 200/255 x (1 - 0.983) -> 0.0131 of 65535 = 857 -> 3.
    EXPECT_EQ(join.getSample3(kHsvPoint), 0xC80003u);

    ASSERT_EQ(join.disconnect(&s), 0);
    EXPECT_EQ(join.getSample3(kHsvPoint), 0xC8C8C8u);
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

namespace {

// A split node feeding a join node channel by channel, rendered over image.
template<class Split, class Join>
struct SplitJoinChain
{
    explicit SplitJoinChain(QImage const& image, std::initializer_list<char const*> channels)
        : harness(image)
    {
        auto* split = harness.add<Split>();
        auto* join = harness.add<Join>();
        EXPECT_EQ(EffectHarness::link(harness.source(), QStringLiteral("rgb"), split, QStringLiteral("rgb")), 0);
        for (char const* c : channels)
            EXPECT_EQ(EffectHarness::link(split, QString::fromLatin1(c), join, QString::fromLatin1(c)), 0);
        harness.output(join, QStringLiteral("rgb"));
    }
    EffectHarness harness;
};

template<class Split, class Join>
void expectFreshChannelsOnTheNextRender(std::initializer_list<char const*> channels)
{
    // One row on one thread: the second render's first span is the first render's last one.
    const QImage first = EffectTest::makeGradientImage(9, 1);
    const QImage second = first.mirrored(true, false);
    SplitJoinChain<Split, Join> twice(first, channels);
    twice.harness.graph()->setRenderThreadCount(1);
    ASSERT_EQ(twice.harness.render(), 0);
    twice.harness.image() = second;
    ASSERT_EQ(twice.harness.render(), 0);
    SplitJoinChain<Split, Join> once(second, channels);
    ASSERT_EQ(once.harness.render(), 0);
    EXPECT_EQ(twice.harness.result(), once.harness.result());
}

} // namespace

// The split outputs share their conversions of a span within a render, never across renders.
TEST(SplitJoinRender, ANewRenderConvertsTheNewPicture)
{
    expectFreshChannelsOnTheNextRender<NodeSplitRGBtoHSV, NodeJoinHSVtoRGB>({"h", "s", "v"});
    expectFreshChannelsOnTheNextRender<NodeSplitHSY, NodeJoinHSY>({"h", "s", "y"});
}

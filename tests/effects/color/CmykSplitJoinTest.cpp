#include "effects/color/NodeJoinCMYKtoRGB.h"
#include "effects/color/NodeSplitRGBtoCMYK.h"

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

const QPoint kCmykPoint(3, 0);

unsigned int sampleOf(KelNodes::Node const& node, char const* terminal)
{
    auto const* out = dynamic_cast<VyxTerminal const*>(node.getTerminal(QString::fromLatin1(terminal)));
    if (!out || !out->toBase1DGenerator())
        return 9999u;
    return out->toBase1DGenerator()->getSample(kCmykPoint);
}

struct Cmyk
{
    unsigned int c, m, y, k;
};

} // namespace

TEST(CmykSplitNode, HandWorkedColoursAndUnlinkedZero)
{
    NodeSplitRGBtoCMYK split(1);
    for (char const* c : {"c", "m", "y", "k"})
        EXPECT_EQ(sampleOf(split, c), 0u) << c;
    EXPECT_EQ(split.getSample(kCmykPoint), 0u);

    ProbeSourceNode source(2);
    ASSERT_EQ(source.connect(QStringLiteral("out"), &split, QStringLiteral("rgb")), 0);
    struct Case
    {
        unsigned int colour;
        Cmyk cmyk;
    } const cases[] = {
        {0xFF0000u, {0, 255, 255, 0}},
        {0x00FF00u, {255, 0, 255, 0}},
        {0x0000FFu, {255, 255, 0, 0}},
        {0xFFFFFFu, {0, 0, 0, 0}},
        // At full black the classic conversion leaves c, m and y unscaled: all four full.
        {0x000000u, {255, 255, 255, 255}},
        // k = 1 - 128/255 = 127/255, stored as 127 x 257: high byte 127.
        {0x808080u, {0, 0, 0, 127}},
        // k = 169/255; c = 68/86 -> 51817 -> 202; m = 34/86 -> 25909 -> 101; y = 0.
        {0xFF123456u, {202, 101, 0, 169}},
    };
    for (auto const& c : cases) {
        source.colour = c.colour;
        EXPECT_EQ(sampleOf(split, "c"), c.cmyk.c) << std::hex << c.colour;
        EXPECT_EQ(sampleOf(split, "m"), c.cmyk.m) << std::hex << c.colour;
        EXPECT_EQ(sampleOf(split, "y"), c.cmyk.y) << std::hex << c.colour;
        EXPECT_EQ(sampleOf(split, "k"), c.cmyk.k) << std::hex << c.colour;
        // The node as a whole is the red of its input, not a CMYK channel.
        EXPECT_EQ(split.getSample(kCmykPoint), (c.colour >> 16) & 0xFFu) << std::hex << c.colour;
    }

    ASSERT_EQ(split.disconnect(&source), 0);
    EXPECT_EQ(sampleOf(split, "k"), 0u);
    EXPECT_EQ(split.getSample(kCmykPoint), 0u);

    EffectTest::MuteNode mute(3);
    ASSERT_EQ(mute.connect(QStringLiteral("out"), &split, QStringLiteral("rgb")), 0);
    EXPECT_EQ(split.colourInput(), nullptr);
}

TEST(CmykJoinNode, RgbOutputKeepsOneLink)
{
    NodeJoinCMYKtoRGB join(2);
    NodeSplitRGBtoCMYK first(3), second(4);
    ASSERT_EQ(join.connect(QStringLiteral("rgb"), &first, QStringLiteral("rgb")), 0);
    ASSERT_EQ(join.connect(QStringLiteral("rgb"), &second, QStringLiteral("rgb")), 0);
    EXPECT_EQ(join.getTerminal(QStringLiteral("rgb"))->numConnections(), 1);
    EXPECT_EQ(first.colourInput(), nullptr);
    EXPECT_EQ(second.colourInput(), static_cast<Base3DGenerator const*>(&join));
}

TEST(CmykJoinNode, UnlinkedInputsCountAsZero)
{
    NodeJoinCMYKtoRGB join(1);
    EXPECT_EQ(join.getSample3(kCmykPoint), 0xFFFFFFu); // white, top byte 0

    ProbeSourceNode k(2, 0, 255);
    ASSERT_EQ(k.connect(QStringLiteral("out 1d"), &join, QStringLiteral("k")), 0);
    EXPECT_EQ(join.getSample3(kCmykPoint), 0x000000u);
    ASSERT_EQ(join.disconnect(&k), 0);

    ProbeSourceNode c(3, 0, 0x100 + 255); // only the low byte counts
    ASSERT_EQ(c.connect(QStringLiteral("out 1d"), &join, QStringLiteral("c")), 0);
    EXPECT_EQ(join.getSample3(kCmykPoint), 0x00FFFFu);
}

TEST(CmykSplitJoinRender, RoundTripAtChosenColours)
{
    struct Case
    {
        unsigned int in, out;
    } const cases[] = {
        {0xFF0000u, 0xFF0000u}, {0x00FF00u, 0x00FF00u}, {0x0000FFu, 0x0000FFu},
        {0xFFFF00u, 0xFFFF00u}, {0x808080u, 0x808080u}, {0x3C3C3Cu, 0x3C3C3Cu},
        {0x000000u, 0x000000u}, {0xFFFFFFu, 0xFFFFFFu},
        // 8-bit CMYK loses a step here: red 18 comes back 17.
        {0x123456u, 0x113456u},
    };
    const int n = int(std::size(cases));
    QImage image = EffectTest::makeImage(n, 2);
    for (int x = 0; x < n; ++x) {
        image.setPixel(x, 0, 0xFF000000u | cases[x].in);
        image.setPixel(x, 1, 0xFF000000u | cases[x].in);
    }
    EffectHarness harness(image);
    auto* split = harness.add<NodeSplitRGBtoCMYK>();
    auto* join = harness.add<NodeJoinCMYKtoRGB>();
    ASSERT_EQ(EffectHarness::link(harness.source(), QStringLiteral("rgb"), split, QStringLiteral("rgb")), 0);
    for (char const* c : {"c", "m", "y", "k"})
        ASSERT_EQ(EffectHarness::link(split, QString::fromLatin1(c), join, QString::fromLatin1(c)), 0);
    harness.output(join, QStringLiteral("rgb"));
    ASSERT_EQ(harness.render(), 0);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < n; ++x)
            EXPECT_EQ(harness.rgb(x, y), cases[x].out) << std::hex << cases[x].in;
    }
}

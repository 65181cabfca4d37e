#include "effects/color/NodeHSY.h"
#include "effects/color/NodeJoinHSY.h"
#include "effects/color/NodeSplitHSY.h"

#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <iterator>


using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kHsyPoint(1, 2);

unsigned int splitChannel(NodeSplitHSY const& split, char const* name)
{
    auto const* out = dynamic_cast<VyxTerminal const*>(split.getTerminal(QString::fromLatin1(name)));
    if (!out || !out->toBase1DGenerator())
        return 9999u;
    return out->toBase1DGenerator()->getSample(kHsyPoint);
}

// The three channels of a split as one value 0xHHSSYY, for compact expectations.
unsigned int splitHsy(NodeSplitHSY const& split)
{
    return splitChannel(split, "h") << 16 | splitChannel(split, "s") << 8 | splitChannel(split, "y");
}

bool hsyEnabled(KelNodes::Node const& node, char const* key)
{
    return (node.paramContainer()->paramFlags(QString::fromLatin1(key)) & 1) != 0;
}

// Join fed by three probes, one per input.
struct JoinRig
{
    JoinRig()
    {
        EXPECT_EQ(h.connect(QStringLiteral("out 1d"), &join, QStringLiteral("h")), 0);
        EXPECT_EQ(s.connect(QStringLiteral("out 1d"), &join, QStringLiteral("s")), 0);
        EXPECT_EQ(y.connect(QStringLiteral("out 1d"), &join, QStringLiteral("y")), 0);
    }
    unsigned int at(unsigned int hue, unsigned int sat, unsigned int luma)
    {
        h.value = hue;
        s.value = sat;
        y.value = luma;
        return join.getSample3(kHsyPoint);
    }
    NodeJoinHSY join{1};
    ProbeSourceNode h{2};
    ProbeSourceNode s{3};
    ProbeSourceNode y{4};
};

} // namespace

TEST(HsyNode, AdjustsHueSaturationAndLumaAtChosenColours)
{
    NodeHSY node(1);
    ProbeSourceNode source(2);
    ASSERT_EQ(source.connect(QStringLiteral("out"), &node, QStringLiteral("rgb")), 0);
    auto* c = node.paramContainer();

    const struct {
        unsigned int in;
        int hue;
        float sat, luma;
        unsigned int out;
    } cases[] = {
        // Neutral settings: a round trip through HSY; yellow's hue truncates to 59 degrees.
        {0xFF0000, 0, 0, 0, 0xFF0000},
        {0x00FFFF, 0, 0, 0, 0x00FFFF},
        {0x808080, 0, 0, 0, 0x808080},
        {0xFFFF00, 0, 0, 0, 0xFFFE03},
        // The hue moves at blue's saturation and luma, and stops at the ends instead of wrapping.
        {0x0000FF, 60, 0, 0, 0xC900C9},
        {0x0000FF, 180, 0, 0, 0xDC0000},
        {0x0000FF, -300, 0, 0, 0xDC0000},
        {0x336699, 0, -1, 0, 0x5F5F5F},
        {0x336699, 0, 1, 0, 0x0072EE},
        // Out-of-cube results are held channel by channel.
        {0xFF0000, 0, 0, 1, 0xFFC9C9},
        {0x0000FF, 0, 0, 1, 0xEDEDFF},
        {0x404040, 0, 0, 1, 0xFFFFFF},
        {0xFF0000, 0, 0, -1, 0xC90000},
        {0x00FF00, 0, 0, -1, 0x004800},
        {0x404040, 0, 0, -1, 0x000000},
    };
    for (auto const& t : cases) {
        source.colour = 0xAB000000u | t.in; // the top byte must not matter
        c->setIntParam("Hue", t.hue);
        c->setFloatParam("Saturation", t.sat);
        c->setFloatParam("Brightness", t.luma);
        EXPECT_EQ(node.getSample3(kHsyPoint), t.out) << std::hex << t.in << " " << std::dec << t.hue
                                                  << " " << t.sat << " " << t.luma;
    }
}

TEST(HsyNode, AlphaOffsetIsAddedAndHeld)
{
    NodeHSY node(1);
    ProbeSourceNode source(2, 0x808080u, 100u);
    ASSERT_EQ(source.connect(QStringLiteral("out 1d"), &node, QStringLiteral("alpha")), 0);
    auto* c = node.paramContainer();
    EXPECT_EQ(node.getSample(kHsyPoint), 255u); // the default offset 255
    c->setIntParam("Alpha", 0);
    EXPECT_EQ(node.getSample(kHsyPoint), 100u);
    c->setIntParam("Alpha", -50);
    EXPECT_EQ(node.getSample(kHsyPoint), 50u);
    c->setIntParam("Alpha", -255);
    EXPECT_EQ(node.getSample(kHsyPoint), 0u);
    source.value = 0x1FFu; // only the low byte of a sample counts
    c->setIntParam("Alpha", 1);
    EXPECT_EQ(node.getSample(kHsyPoint), 255u);
    source.value = 0x100u;
    EXPECT_EQ(node.getSample(kHsyPoint), 1u);
}

TEST(HsyNode, LinksDisableNoSettingAndUnlinkingRestoresGrey)
{
    NodeHSY node(1);
    node.paramContainer()->setIntParam("Hue", 120);
    node.paramContainer()->setIntParam("Alpha", -255);
    EXPECT_EQ(node.getSample3(kHsyPoint), 0x808080u); // unlinked: whatever the settings
    EXPECT_EQ(node.getSample(kHsyPoint), 128u);
    node.paramContainer()->setIntParam("Hue", 0);
    node.paramContainer()->setIntParam("Alpha", 255);
    ProbeSourceNode source(2, 0x00FF00u, 7u);
    ASSERT_EQ(source.connect(QStringLiteral("out"), &node, QStringLiteral("rgb")), 0);
    ASSERT_EQ(source.connect(QStringLiteral("out 1d"), &node, QStringLiteral("alpha")), 0);
    for (char const* key : {"Hue", "Saturation", "Brightness", "Alpha"})
        EXPECT_TRUE(hsyEnabled(node, key)) << key;
    EXPECT_EQ(node.getSample3(kHsyPoint), 0x00FF00u);

    node.getTerminal(QStringLiteral("rgb"))->disconnectAll();
    EXPECT_EQ(node.getSample3(kHsyPoint), 0x808080u);
    EXPECT_EQ(node.getSample(kHsyPoint), 255u); // alpha still linked
    node.getTerminal(QStringLiteral("alpha"))->disconnectAll();
    EXPECT_EQ(node.getSample(kHsyPoint), 128u);
}

TEST(HsyNode, RendersThroughAGraph)
{
    EffectTest::EffectHarness h(EffectTest::makeImage(3, 2, 0xFF0000FFu));
    auto* node = h.add<NodeHSY>();
    h.chain(node, QStringLiteral("rgb"), QStringLiteral("out rgb"));
    node->paramContainer()->setIntParam("Hue", 60);
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(h.rgb(x, y), 0xC900C9u) << x << "," << y;
    }
}

TEST(SplitHsyNode, ChannelsAtChosenColours)
{
    NodeSplitHSY split(1);
    EXPECT_EQ(splitHsy(split), 0u);
    EXPECT_EQ(split.getSample(kHsyPoint), 0u);

    ProbeSourceNode source(2);
    ASSERT_EQ(source.connect(QStringLiteral("out"), &split, QStringLiteral("rgb")), 0);
    const struct {
        unsigned int colour;
        unsigned int hsy; // 0xHHSSYY: hue byte, saturation, luma
    } cases[] = {
        {0xFF0000, 0x00FF36},
        {0xFFFF00, 0x2AFFED}, // 59 degrees (truncated) -> 42
        {0x00FF00, 0x55FFB6}, // 120 -> 85
        {0x00FFFF, 0x80FFC9}, // 180 -> 128
        {0x0000FF, 0xAAFF12}, // 240 -> 170
        {0xFF00FF, 0xD5FF49}, // 300 -> 213
        {0x5A5A5A, 0x00005A}, // greys: hue and saturation 0, luma the level
        {0x336699, 0x94665F},
    };
    for (auto const& t : cases) {
        source.colour = t.colour;
        EXPECT_EQ(splitHsy(split), t.hsy) << std::hex << t.colour;
    }
    // The node itself reads the largest channel, not the luma.
    source.colour = 0x336699u;
    EXPECT_EQ(split.getSample(kHsyPoint), 153u);

    split.getTerminal(QStringLiteral("rgb"))->disconnectAll();
    EXPECT_EQ(splitHsy(split), 0u);
    EXPECT_EQ(split.getSample(kHsyPoint), 0u);
}

TEST(JoinHsyNode, ColoursAtChosenBytes)
{
    NodeJoinHSY lone(9);
    EXPECT_EQ(lone.getSample3(kHsyPoint), 0x000000u); // unlinked inputs count as zero
    JoinRig rig;
    EXPECT_EQ(rig.at(85, 255, 182), 0x00FF00u); // 120 degrees
    EXPECT_EQ(rig.at(0, 0, 128), 0x808080u);
    EXPECT_EQ(rig.at(213, 200, 73), 0xD810D8u);
    // Held to the cube channel by channel; 255 means 359 degrees, just short of red.
    EXPECT_EQ(rig.at(0, 255, 255), 0xFFC9C9u);
    EXPECT_EQ(rig.at(255, 255, 255), 0xFFC9CEu);
    EXPECT_EQ(rig.at(255, 0, 0), 0x000000u);
}

TEST(HsySplitJoin, RenderedChainRoundTripsChosenColours)
{
    const struct {
        unsigned int in, out;
    } cases[] = {
        // Exact where the bytes carry the colour...
        {0xFF0000, 0xFF0000}, {0x00FF00, 0x00FF00}, {0x808080, 0x808080}, {0xFFFFFF, 0xFFFFFF},
        {0xC08040, 0xC08040},
        // ...and moved by the byte steps of hue (170 -> 239 degrees) and luma elsewhere.
        {0x0000FF, 0x0001FB}, {0xFFFF00, 0xFFFE04}, {0x336699, 0x316797}, {0x123456, 0x103454},
    };
    const int n = int(std::size(cases));
    QImage image = EffectTest::makeImage(n, 1);
    for (int x = 0; x < n; ++x)
        image.setPixel(x, 0, 0xFF000000u | cases[x].in);
    EffectTest::EffectHarness h(image);
    auto* split = h.add<NodeSplitHSY>();
    auto* join = h.add<NodeJoinHSY>();
    ASSERT_EQ(h.link(h.source(), QStringLiteral("rgb"), split, QStringLiteral("rgb")), 0);
    for (char const* channel : {"h", "s", "y"})
        ASSERT_EQ(h.link(split, QString::fromLatin1(channel), join, QString::fromLatin1(channel)), 0);
    h.output(join, QStringLiteral("rgb"));
    ASSERT_EQ(h.render(), 0);
    for (int x = 0; x < n; ++x)
        EXPECT_EQ(h.rgb(x, 0), cases[x].out) << std::hex << cases[x].in;
}

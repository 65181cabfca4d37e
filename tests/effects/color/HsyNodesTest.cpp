#include "effects/color/NodeHSY.h"
#include "effects/color/NodeJoinHSY.h"
#include "effects/color/NodeSplitHSY.h"
#include "effects/color/NodeSplitHSYTerminal1D.h"

#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include "params/NumGroupParameter.h"
#include "params/Parameter.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <memory>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kPoint(1, 2);

unsigned int splitChannel(NodeSplitHSY const& split, char const* name)
{
    auto const* out = dynamic_cast<VyxTerminal const*>(split.getTerminal(QString::fromLatin1(name)));
    if (!out || !out->toBase1DGenerator())
        return 9999u;
    return out->toBase1DGenerator()->getSample(kPoint);
}

// The three channels of a split as one value 0xHHSSYY, for compact expectations.
unsigned int splitHsy(NodeSplitHSY const& split)
{
    return splitChannel(split, "h") << 16 | splitChannel(split, "s") << 8 | splitChannel(split, "y");
}

bool enabled(KelNodes::Node const& node, char const* key)
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
        return join.getSample3(kPoint);
    }
    NodeJoinHSY join{1};
    ProbeSourceNode h{2};
    ProbeSourceNode s{3};
    ProbeSourceNode y{4};
};

} // namespace

TEST(HsyNode, DescriptorTerminalsAndParameters)
{
    EXPECT_EQ(NodeHSY::m_descriptor.typeId, QLatin1String("operator.hsy"));
    EXPECT_EQ(NodeHSY::m_descriptor.typeUuid, QUuid(QStringLiteral("4fec0da3-06f4-428f-96ca-60c0dc9620eb")));
    EXPECT_EQ(NodeHSY::m_descriptor.displayName, QLatin1String("HSY"));
    std::unique_ptr<KelNodes::Node> created(NodeHSY::m_descriptor.create(7));
    auto* node = dynamic_cast<NodeHSY*>(created.get());
    ASSERT_TRUE(node);
    EXPECT_EQ(node->uid(), 7);
    EXPECT_EQ(node->paramContainer()->name(), QLatin1String("operator.hsy"));

    const struct {
        char const* name;
        unsigned int in, out;
    } terminals[] = {{"rgb", 4, 0}, {"alpha", 2, 0}, {"out rgb", 0, 4}, {"out alpha", 0, 2}};
    ASSERT_EQ(node->numTerminals(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(node->terminal(i)->name(), QLatin1String(terminals[i].name));
        EXPECT_EQ(node->terminal(i)->inputMask(), terminals[i].in) << i;
        EXPECT_EQ(node->terminal(i)->outputMask(), terminals[i].out) << i;
    }

    auto* c = node->paramContainer();
    ASSERT_EQ(c->paramLists().size(), 1);
    auto const& list = c->paramLists().first();
    EXPECT_EQ(list.name, QLatin1String("basic"));
    const char* keys[] = {"basicsBox", "Hue", "Saturation", "Brightness", "Alpha"};
    ASSERT_EQ(list.parameters.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(list.parameters[i]->name(), QLatin1String(keys[i]));
        EXPECT_EQ(list.parameters[i]->displayFlags(), i == 0 ? 1 : 5) << keys[i];
    }
    auto const* hue = dynamic_cast<KelUtils::NumGroupParameter<int> const*>(list.parameters[1]);
    ASSERT_TRUE(hue);
    EXPECT_EQ(hue->minimum(), -360);
    EXPECT_EQ(hue->maximum(), 360);
    auto const* alpha = dynamic_cast<KelUtils::NumGroupParameter<int> const*>(list.parameters[4]);
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->minimum(), -255);
    EXPECT_EQ(alpha->defaultValue(), 255);
    auto const* sat = dynamic_cast<KelUtils::NumGroupParameter<float> const*>(list.parameters[2]);
    ASSERT_TRUE(sat);
    EXPECT_EQ(sat->minimum(), -1.0f);
    EXPECT_EQ(sat->maximum(), 1.0f);
    EXPECT_EQ(c->getIntParam("Alpha"), 255);
}

TEST(HsyNode, UnlinkedInputsGiveMidGreyAndHalfAlpha)
{
    NodeHSY node(1);
    auto* c = node.paramContainer();
    c->setIntParam("Hue", 120);
    c->setFloatParam("Brightness", 1.0f);
    c->setIntParam("Alpha", -255);
    EXPECT_EQ(node.getSample3(kPoint), 0x808080u);
    EXPECT_EQ(node.getSample(kPoint), 128u);
}

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
        EXPECT_EQ(node.getSample3(kPoint), t.out) << std::hex << t.in << " " << std::dec << t.hue
                                                  << " " << t.sat << " " << t.luma;
    }
}

TEST(HsyNode, AlphaOffsetIsAddedAndHeld)
{
    NodeHSY node(1);
    ProbeSourceNode source(2, 0x808080u, 100u);
    ASSERT_EQ(source.connect(QStringLiteral("out 1d"), &node, QStringLiteral("alpha")), 0);
    auto* c = node.paramContainer();
    EXPECT_EQ(node.getSample(kPoint), 255u); // the default offset 255
    c->setIntParam("Alpha", 0);
    EXPECT_EQ(node.getSample(kPoint), 100u);
    c->setIntParam("Alpha", -50);
    EXPECT_EQ(node.getSample(kPoint), 50u);
    c->setIntParam("Alpha", -255);
    EXPECT_EQ(node.getSample(kPoint), 0u);
    source.value = 0x1FFu; // only the low byte of a sample counts
    c->setIntParam("Alpha", 1);
    EXPECT_EQ(node.getSample(kPoint), 255u);
    source.value = 0x100u;
    EXPECT_EQ(node.getSample(kPoint), 1u);
}

TEST(HsyNode, LinksDisableNoSettingAndUnlinkingRestoresGrey)
{
    NodeHSY node(1);
    ProbeSourceNode source(2, 0x00FF00u, 7u);
    ASSERT_EQ(source.connect(QStringLiteral("out"), &node, QStringLiteral("rgb")), 0);
    ASSERT_EQ(source.connect(QStringLiteral("out 1d"), &node, QStringLiteral("alpha")), 0);
    for (char const* key : {"Hue", "Saturation", "Brightness", "Alpha"})
        EXPECT_TRUE(enabled(node, key)) << key;
    EXPECT_EQ(node.getSample3(kPoint), 0x00FF00u);
    EXPECT_EQ(node.toBase3DGenerator(), static_cast<Base3DGenerator const*>(&node));
    EXPECT_EQ(node.toBase1DGenerator(), static_cast<Base1DGenerator const*>(&node));

    node.getTerminal(QStringLiteral("rgb"))->disconnectAll();
    EXPECT_EQ(node.getSample3(kPoint), 0x808080u);
    EXPECT_EQ(node.getSample(kPoint), 255u); // alpha still linked
    node.getTerminal(QStringLiteral("alpha"))->disconnectAll();
    EXPECT_EQ(node.getSample(kPoint), 128u);
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

TEST(SplitHsyNode, DescriptorKeepsItsHsvTypeIdAndTerminals)
{
    EXPECT_EQ(NodeSplitHSY::m_descriptor.typeId, QLatin1String("operator.splitHSV"));
    EXPECT_EQ(NodeSplitHSY::m_descriptor.typeUuid, QUuid(QStringLiteral("47261635-6bb2-4cc1-a8d6-596826e73ff6")));
    EXPECT_EQ(NodeSplitHSY::m_descriptor.displayName, QLatin1String("Split HSY"));
    std::unique_ptr<KelNodes::Node> created(NodeSplitHSY::m_descriptor.create(3));
    auto* split = dynamic_cast<NodeSplitHSY*>(created.get());
    ASSERT_TRUE(split);
    EXPECT_EQ(split->paramContainer()->name(), QLatin1String("operator.splitHSV"));
    ASSERT_EQ(split->paramContainer()->paramLists().size(), 1);
    EXPECT_EQ(split->paramContainer()->paramLists()[0].name, QLatin1String("basic"));
    EXPECT_TRUE(split->paramContainer()->paramLists()[0].parameters.isEmpty());
    ASSERT_EQ(split->numTerminals(), 4);
    EXPECT_EQ(split->terminal(0)->name(), QLatin1String("rgb"));
    EXPECT_EQ(split->terminal(0)->inputMask(), 4u);
    const char* names[] = {"h", "s", "y"};
    for (int i = 0; i < 3; ++i) {
        auto* out = dynamic_cast<NodeSplitHSYTerminal1D*>(split->terminal(i + 1));
        ASSERT_TRUE(out) << i;
        EXPECT_EQ(out->name(), QLatin1String(names[i]));
        EXPECT_EQ(out->outputMask(), 3u);
        EXPECT_EQ(out->channelIndex(), i);
    }
    EXPECT_EQ(split->toBase1DGenerator(), static_cast<Base1DGenerator const*>(split));
    EXPECT_EQ(split->toBase3DGenerator(), nullptr);
}

TEST(SplitHsyNode, ChannelsAtChosenColours)
{
    NodeSplitHSY split(1);
    EXPECT_EQ(splitHsy(split), 0u);
    EXPECT_EQ(split.getSample(kPoint), 0u);

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
    EXPECT_EQ(split.getSample(kPoint), 153u);

    split.getTerminal(QStringLiteral("rgb"))->disconnectAll();
    EXPECT_EQ(splitHsy(split), 0u);
    EXPECT_EQ(split.getSample(kPoint), 0u);
}

TEST(JoinHsyNode, DescriptorAndTerminals)
{
    EXPECT_EQ(NodeJoinHSY::m_descriptor.typeId, QLatin1String("operator.joinHSYtoRGB"));
    EXPECT_EQ(NodeJoinHSY::m_descriptor.typeUuid, QUuid(QStringLiteral("e642e7d2-0185-4c06-b29f-bac0d7e9852e")));
    EXPECT_EQ(NodeJoinHSY::m_descriptor.displayName, QLatin1String("Join HSY"));
    std::unique_ptr<KelNodes::Node> created(NodeJoinHSY::m_descriptor.create(3));
    auto* join = dynamic_cast<NodeJoinHSY*>(created.get());
    ASSERT_TRUE(join);
    EXPECT_EQ(join->paramContainer()->name(), QLatin1String("operator.joinHSYtoRGB"));
    const char* names[] = {"h", "s", "y", "rgb"};
    ASSERT_EQ(join->numTerminals(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(join->terminal(i)->name(), QLatin1String(names[i]));
        EXPECT_EQ(join->terminal(i)->inputMask(), i < 3 ? 2u : 0u);
        EXPECT_EQ(join->terminal(i)->outputMask(), i < 3 ? 0u : 4u);
    }
    EXPECT_EQ(join->toBase3DGenerator(), static_cast<Base3DGenerator const*>(join));
    EXPECT_EQ(join->toBase1DGenerator(), nullptr);
}

TEST(JoinHsyNode, UnlinkedInputsCountAsZero)
{
    NodeJoinHSY join(1);
    EXPECT_EQ(join.getSample3(kPoint), 0x000000u);

    ProbeSourceNode luma(2, 0u, 128u);
    ASSERT_EQ(luma.connect(QStringLiteral("out 1d"), &join, QStringLiteral("y")), 0);
    EXPECT_EQ(join.getSample3(kPoint), 0x808080u);
    join.getTerminal(QStringLiteral("y"))->disconnectAll();

    ProbeSourceNode hue(3, 0u, 85u);
    ASSERT_EQ(hue.connect(QStringLiteral("out 1d"), &join, QStringLiteral("h")), 0);
    EXPECT_EQ(join.getSample3(kPoint), 0x000000u);
}

TEST(JoinHsyNode, ColoursAtChosenBytes)
{
    JoinRig rig;
    EXPECT_EQ(rig.at(85, 255, 182), 0x00FF00u); // 120 degrees
    EXPECT_EQ(rig.at(0, 0, 128), 0x808080u);
    EXPECT_EQ(rig.at(213, 200, 73), 0xD810D8u);
    // Held to the cube channel by channel; 255 means 359 degrees, just short of red.
    EXPECT_EQ(rig.at(0, 255, 255), 0xFFC9C9u);
    EXPECT_EQ(rig.at(255, 255, 255), 0xFFC9CEu);
    EXPECT_EQ(rig.at(255, 0, 0), 0x000000u);
}

TEST(HsySplitJoin, RoundTripsAtChosenColours)
{
    NodeSplitHSY split(1);
    ProbeSourceNode source(2);
    ASSERT_EQ(source.connect(QStringLiteral("out"), &split, QStringLiteral("rgb")), 0);
    NodeJoinHSY join(3);
    for (char const* channel : {"h", "s", "y"})
        ASSERT_EQ(split.connect(QString::fromLatin1(channel), &join, QString::fromLatin1(channel)), 0);

    const struct {
        unsigned int in, out;
    } cases[] = {
        // Exact where the bytes carry the colour...
        {0xFF0000, 0xFF0000},
        {0x00FF00, 0x00FF00},
        {0x808080, 0x808080},
        {0xFFFFFF, 0xFFFFFF},
        {0xC08040, 0xC08040},
        // ...and moved by the byte steps of hue (170 -> 239 degrees) and luma elsewhere.
        {0x0000FF, 0x0001FB},
        {0xFFFF00, 0xFFFE04},
        {0x336699, 0x316797},
        {0x123456, 0x103454},
    };
    for (auto const& t : cases) {
        source.colour = t.in;
        EXPECT_EQ(join.getSample3(kPoint), t.out) << std::hex << t.in;
    }
}

TEST(HsySplitJoin, JoinedColoursSplitBackAtChosenBytes)
{
    JoinRig rig;
    NodeSplitHSY split(5);
    ASSERT_EQ(rig.join.connect(QStringLiteral("rgb"), &split, QStringLiteral("rgb")), 0);
    const struct {
        unsigned int h, s, y, back;
    } cases[] = {
        {85, 255, 182, 0x55FFB6},
        {0, 0, 128, 0x000080},
        {213, 200, 73, 0xD5C849},
        {0, 255, 255, 0x0036D4}, // clamped into the cube: a paler, brighter colour
    };
    for (auto const& t : cases) {
        rig.at(t.h, t.s, t.y);
        EXPECT_EQ(splitHsy(split), t.back) << t.h << " " << t.s << " " << t.y;
    }
}

TEST(HsySplitJoin, RenderedChainRejoinsEveryPixel)
{
    QImage image(2, 2, QImage::Format_ARGB32);
    image.setPixel(0, 0, 0xFFFF0000u);
    image.setPixel(1, 0, 0xFFC08040u);
    image.setPixel(0, 1, 0xFF336699u);
    image.setPixel(1, 1, 0xFF0000FFu);
    EffectTest::EffectHarness h(image);
    auto* split = h.add<NodeSplitHSY>();
    auto* join = h.add<NodeJoinHSY>();
    ASSERT_EQ(h.link(h.source(), QStringLiteral("rgb"), split, QStringLiteral("rgb")), 0);
    for (char const* channel : {"h", "s", "y"})
        ASSERT_EQ(h.link(split, QString::fromLatin1(channel), join, QString::fromLatin1(channel)), 0);
    h.output(join, QStringLiteral("rgb"));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(h.rgb(1, 0), 0xC08040u);
    EXPECT_EQ(h.rgb(0, 1), 0x316797u);
    EXPECT_EQ(h.rgb(1, 1), 0x0001FBu);
}

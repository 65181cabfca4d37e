#include "effects/color/NodeInversion.h"

#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include "nodes/Terminal.h"
#include "params/ParameterContainer.h"
#include "params/ParameterList.h"

#include <gtest/gtest.h>

#include <memory>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kPoint(3, 1);

} // namespace

TEST(InversionNode, DescriptorTerminalsAndEmptyContainer)
{
    EXPECT_EQ(NodeInversion::m_descriptor.typeId, QLatin1String("operator.inversion"));
    EXPECT_EQ(NodeInversion::m_descriptor.typeUuid, QUuid(QStringLiteral("21051af5-3c09-487b-ab7b-e4a35fdff084")));
    EXPECT_TRUE(NodeInversion::m_descriptor.further.isEmpty());
    std::unique_ptr<KelNodes::Node> created(NodeInversion::m_descriptor.create(3));
    auto* node = dynamic_cast<NodeInversion*>(created.get());
    ASSERT_TRUE(node);
    EXPECT_EQ(node->descriptor(), &NodeInversion::m_descriptor);

    const struct { char const* name; unsigned int in, out; } terminals[] = {
        {"inRgb", 4, 0}, {"in", 2, 0}, {"outRgb", 0, 5}, {"out", 0, 3}};
    ASSERT_EQ(node->numTerminals(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(node->terminal(i)->name(), QLatin1String(terminals[i].name));
        EXPECT_EQ(node->terminal(i)->inputMask(), terminals[i].in) << terminals[i].name;
        EXPECT_EQ(node->terminal(i)->outputMask(), terminals[i].out) << terminals[i].name;
    }
    KelUtils::ParameterContainer* c = node->paramContainer();
    EXPECT_EQ(c->name(), QLatin1String("operator.inversion"));
    EXPECT_TRUE(c->paramLists().isEmpty());
    EXPECT_EQ(c->helpItem()->title, QLatin1String("Inversion"));
    EXPECT_EQ(c->helpItem()->text, QLatin1String("The node inverts image colors."));
}

TEST(InversionNode, UnlinkedInputsReadMidGrey)
{
    NodeInversion node(1);
    EXPECT_EQ(node.getSample(kPoint), 128u);
    EXPECT_EQ(node.getSample3(kPoint), 0x808080u);
}

TEST(InversionNode, EachOutputFollowsItsOwnInput)
{
    ProbeSourceNode colour(1, 0x123456u, 40u);
    ProbeSourceNode channel(2, 0x000000u, 0u);
    NodeInversion node(3);

    // Only "in": the colour output is the grey of the channel path.
    ASSERT_EQ(channel.connect(QStringLiteral("out 1d"), &node, QStringLiteral("in")), 0);
    EXPECT_EQ(node.getSample(kPoint), 255u);
    EXPECT_EQ(node.getSample3(kPoint), 0xFFFFFFu);
    channel.value = 200u;
    EXPECT_EQ(node.getSample(kPoint), 55u);
    EXPECT_EQ(node.getSample3(kPoint), 0x373737u);
    // Only the low byte of a channel sample counts.
    channel.value = 0x1C8u;
    EXPECT_EQ(node.getSample(kPoint), 55u);

    // Both: each output follows its own input.
    ASSERT_EQ(colour.connect(QStringLiteral("out"), &node, QStringLiteral("inRgb")), 0);
    EXPECT_EQ(node.getSample3(kPoint), 0xEDCBA9u); // (18, 52, 86) -> (237, 203, 169)
    EXPECT_EQ(node.getSample(kPoint), 55u);
    // Bits above the colour are dropped.
    colour.colour = 0xFF000000u;
    EXPECT_EQ(node.getSample3(kPoint), 0xFFFFFFu);

    // Unlinking "inRgb" falls back to the grey at once.
    ASSERT_EQ(node.disconnect(&colour), 0);
    EXPECT_EQ(node.getSample3(kPoint), 0x373737u);

    // Only "inRgb": the channel output stays mid grey.
    ASSERT_EQ(node.disconnect(&channel), 0);
    ASSERT_EQ(colour.connect(QStringLiteral("out"), &node, QStringLiteral("inRgb")), 0);
    colour.colour = 0x0000FFu;
    EXPECT_EQ(node.getSample3(kPoint), 0xFFFF00u);
    EXPECT_EQ(node.getSample(kPoint), 128u);
}

TEST(InversionNode, RendersTheNegativeAndTwiceGivesTheImageBack)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(5, 3));
    auto* first = h.add<NodeInversion>();
    h.chain(first, QStringLiteral("inRgb"), QStringLiteral("outRgb"));
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(h.rgb(x, y), (EffectTest::gradientPixel(x, y) & 0xFFFFFFu) ^ 0xFFFFFFu) << x << "," << y;
    }
    // (4, 2) is (64, 32, 6): its negative by hand.
    EXPECT_EQ(h.rgb(4, 2), 0xBFDFF9u);

    auto* second = h.add<NodeInversion>();
    ASSERT_EQ(EffectTest::EffectHarness::link(first, QStringLiteral("outRgb"), second, QStringLiteral("inRgb")), 0);
    h.output(second, QStringLiteral("outRgb"));
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(h.rgb(x, y), EffectTest::gradientPixel(x, y) & 0xFFFFFFu) << x << "," << y;
    }
}

#include "effects/NodeJoin.h"
#include "effects/NodeSplit.h"
#include "effects/VyxTerminal.h"

#include "EffectTestSupport.h"
#include "EngineTestNodes.h"
#include "ProbeSourceNode.h"

#include "nodes/Terminal.h"
#include "params/Color.h"
#include "params/ParameterContainer.h"

#include <QDomDocument>

#include <gtest/gtest.h>

#include <memory>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kSplitPoint(2, 1);

unsigned int channelOf(NodeSplit const& split, char const* terminal)
{
    auto const* out = dynamic_cast<VyxTerminal const*>(split.getTerminal(QString::fromLatin1(terminal)));
    if (!out || !out->toBase1DGenerator())
        return 9999u;
    return out->toBase1DGenerator()->getSample(kSplitPoint);
}

} // namespace

TEST(SplitNode, ChannelsOfALinkedColourAndUnlinkedDefaults)
{
    NodeSplit split(1);
    // Unlinked: every channel output reads 128, the node as a whole 0.
    for (char const* c : {"r", "g", "b"})
        EXPECT_EQ(channelOf(split, c), 128u) << c;
    EXPECT_EQ(split.getSample(kSplitPoint), 0u);

    ProbeSourceNode source(2, 0xAB123456u); // the alpha byte must not reach a channel
    ASSERT_EQ(source.connect(QStringLiteral("out"), &split, QStringLiteral("rgb")), 0);
    EXPECT_EQ(channelOf(split, "r"), 18u);
    EXPECT_EQ(channelOf(split, "g"), 52u);
    EXPECT_EQ(channelOf(split, "b"), 86u);
    EXPECT_EQ(split.getSample(kSplitPoint), 18u);
}

TEST(SplitNode, APeerWithoutColourLeavesTheInputUnlinked)
{
    NodeSplit split(1);
    EffectTest::MuteNode mute(2);
    ASSERT_EQ(mute.connect(QStringLiteral("out"), &split, QStringLiteral("rgb")), 0);
    EXPECT_EQ(channelOf(split, "r"), 128u);
    EXPECT_EQ(split.getSample(kSplitPoint), 0u);
}

TEST(JoinNode, ChannelsFromOwnInputsThenGreyThenDefault)
{
    NodeJoin join(1);
    EXPECT_EQ(join.getSample3(kSplitPoint), 0x808080u);

    ProbeSourceNode gray(2, 0, 0x100 + 77); // only the low byte counts
    ASSERT_EQ(gray.connect(QStringLiteral("out 1d"), &join, QStringLiteral("gray")), 0);
    EXPECT_EQ(join.getSample3(kSplitPoint), 0x4D4D4Du);

    ProbeSourceNode red(3, 0, 200);
    ASSERT_EQ(red.connect(QStringLiteral("out 1d"), &join, QStringLiteral("r")), 0);
    EXPECT_EQ(join.getSample3(kSplitPoint), 0xC84D4Du);

    ASSERT_EQ(join.disconnect(&gray), 0);
    EXPECT_EQ(join.getSample3(kSplitPoint), 0xC88080u); // green and blue from the default

    ProbeSourceNode green(4, 0, 52);
    ProbeSourceNode blue(5, 0, 86);
    ASSERT_EQ(green.connect(QStringLiteral("out 1d"), &join, QStringLiteral("g")), 0);
    ASSERT_EQ(blue.connect(QStringLiteral("out 1d"), &join, QStringLiteral("b")), 0);
    red.value = 18;
    EXPECT_EQ(join.getSample3(kSplitPoint), 0x123456u);
}

TEST(SplitJoinRender, SplitChannelsRejoinedInAnotherOrder)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(4, 3));
    auto* split = h.add<NodeSplit>();
    auto* join = h.add<NodeJoin>();
    using H = EffectTest::EffectHarness;
    ASSERT_EQ(H::link(h.source(), QStringLiteral("rgb"), split, QStringLiteral("rgb")), 0);
    // A peer of "r", "g" or "b" reads that terminal, not the split node (which is red only).
    ASSERT_EQ(H::link(split, QStringLiteral("b"), join, QStringLiteral("r")), 0);
    ASSERT_EQ(H::link(split, QStringLiteral("r"), join, QStringLiteral("g")), 0);
    ASSERT_EQ(H::link(split, QStringLiteral("g"), join, QStringLiteral("b")), 0);
    h.output(join, QStringLiteral("rgb"));
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const unsigned int p = EffectTest::gradientPixel(x, y);
            const unsigned int expected = (p & 0xFFu) << 16 | ((p >> 16) & 0xFFu) << 8 | ((p >> 8) & 0xFFu);
            EXPECT_EQ(h.rgb(x, y), expected) << x << "," << y;
        }
    }
}

#include "effects/color/NodeInversion.h"

#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

TEST(InversionNode, EachOutputFollowsItsOwnInput)
{
    const QPoint p(3, 1);
    ProbeSourceNode colour(1, 0x123456u, 40u);
    ProbeSourceNode channel(2, 0x000000u, 200u);
    NodeInversion node(3);
    EXPECT_EQ(node.getSample(p), 128u);
    EXPECT_EQ(node.getSample3(p), 0x808080u);

    // Only "in": the colour output is the grey of the channel path; only the low byte counts.
    ASSERT_EQ(channel.connect(QStringLiteral("out 1d"), &node, QStringLiteral("in")), 0);
    EXPECT_EQ(node.getSample(p), 55u);
    EXPECT_EQ(node.getSample3(p), 0x373737u);
    channel.value = 0x1C8u;
    EXPECT_EQ(node.getSample(p), 55u);

    ASSERT_EQ(colour.connect(QStringLiteral("out"), &node, QStringLiteral("inRgb")), 0);
    EXPECT_EQ(node.getSample3(p), 0xEDCBA9u); // (18, 52, 86) -> (237, 203, 169)
    EXPECT_EQ(node.getSample(p), 55u);
    colour.colour = 0xFF000000u; // bits above the colour are dropped
    EXPECT_EQ(node.getSample3(p), 0xFFFFFFu);
    ASSERT_EQ(node.disconnect(&colour), 0);
    EXPECT_EQ(node.getSample3(p), 0x373737u);

    // Only "inRgb": the channel output stays mid grey.
    ASSERT_EQ(node.disconnect(&channel), 0);
    ASSERT_EQ(colour.connect(QStringLiteral("out"), &node, QStringLiteral("inRgb")), 0);
    colour.colour = 0x0000FFu;
    EXPECT_EQ(node.getSample3(p), 0xFFFF00u);
    EXPECT_EQ(node.getSample(p), 128u);
}

TEST(InversionNode, RendersTheNegativeAndTwiceGivesTheImageBack)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(5, 3));
    auto* first = h.add<NodeInversion>();
    h.chain(first, QStringLiteral("inRgb"), QStringLiteral("outRgb"));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(4, 2), 0xBFDFF9u); // (64, 32, 6) inverted by hand
    EXPECT_EQ(h.rgb(0, 0), 0xFFFFFFu);

    auto* second = h.add<NodeInversion>();
    ASSERT_EQ(EffectTest::EffectHarness::link(first, QStringLiteral("outRgb"), second, QStringLiteral("inRgb")), 0);
    h.output(second, QStringLiteral("outRgb"));
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(h.rgb(x, y), EffectTest::gradientPixel(x, y) & 0xFFFFFFu) << x << "," << y;
    }
}

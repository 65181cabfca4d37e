#include "effects/color/NodeAutolevels.h"
#include "effects/color/NodeEqualize.h"

#include "ToneTestSupport.h"
#include "effects/EffectTestSupport.h"
#include "effects/Histogram.h"

#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using ToneTest::CancelAfter;
using ToneTest::imageOf;

namespace {

unsigned int levelsGrey(int v)
{
    return unsigned(v) * 0x010101u;
}

int thresholdFlags(NodeAutolevels const& node)
{
    return node.paramContainer()->paramFlags(QStringLiteral("Threshold Factor"));
}

} // namespace

TEST(AutolevelsNode, ModeRuleDisablesAndResetsTheThreshold)
{
    NodeAutolevels node(1);
    KelUtils::ParameterContainer* c = node.paramContainer();
    EXPECT_EQ(thresholdFlags(node), 4);
    EXPECT_EQ(node.threshold(), 0.05f);

    ASSERT_EQ(c->setListParam(QStringLiteral("mode"), NodeAutolevels::Custom), 0);
    EXPECT_EQ(thresholdFlags(node), 5);
    ASSERT_EQ(c->setFloatParam(QStringLiteral("Threshold Factor"), 2.5f), 0);
    EXPECT_EQ(node.threshold(), 2.5f);
    EXPECT_EQ(c->setFloatParam(QStringLiteral("Threshold Factor"), 6.0f), -1);

    // Back to Default: the custom value is gone, also when Custom is chosen again.
    ASSERT_EQ(c->setListParam(QStringLiteral("mode"), NodeAutolevels::Default), 0);
    EXPECT_EQ(thresholdFlags(node), 4);
    EXPECT_EQ(node.threshold(), 0.05f);
    EXPECT_EQ(c->getFloatParam(QStringLiteral("Threshold Factor")), 0.05f);
    ASSERT_EQ(c->setListParam(QStringLiteral("mode"), NodeAutolevels::Custom), 0);
    EXPECT_EQ(node.threshold(), 0.05f);
}

TEST(AutolevelsNode, CumulativeSearchFromEitherEnd)
{
    const int bins[4] = {0, 3, 0, 2};
    const struct { int count; bool fromTop; int level; } cases[] = {
        {3, false, 1}, {3, true, 1}, {2, true, 3}, {4, false, 3}, {0, false, 0}, {-7, true, 3},
        {6, false, -1}, {6, true, -1}};
    for (auto const& c : cases)
        EXPECT_EQ(upperValue(bins, 4, c.count, c.fromTop), c.level) << c.count << " " << c.fromTop;
}

TEST(AutolevelsNode, DiscardCountFromThreshold)
{
    EXPECT_EQ(NodeAutolevels::discardCount(0.05f, 1000, 1000), 500);
    EXPECT_EQ(NodeAutolevels::discardCount(0.05f, 2000, 1), 1); // the float just above 0.05
    EXPECT_EQ(NodeAutolevels::discardCount(0.05f, 1999, 1), 0);
    EXPECT_EQ(NodeAutolevels::discardCount(5.0f, 100, 100), 500);
    EXPECT_EQ(NodeAutolevels::discardCount(-3.0f, 100, 100), 0);
    EXPECT_EQ(NodeAutolevels::discardCount(1e30f, 100, 100), INT_MAX);
    // Non-finite thresholds count as the default.
    EXPECT_EQ(NodeAutolevels::discardCount(std::numeric_limits<float>::quiet_NaN(), 1000, 1000), 500);
    EXPECT_EQ(NodeAutolevels::discardCount(std::numeric_limits<float>::infinity(), 1000, 1000), 500);
    EXPECT_EQ(NodeAutolevels::discardCount(-std::numeric_limits<float>::infinity(), 1000, 1000), 500);
}

TEST(AutolevelsNode, FailedSearchesGiveTheFullRange)
{
    Histogram h;
    h.red[40] = 6;
    h.green[0] = 6;
    h.blue[255] = 6;
    // More pixels to discard than the image has: no level is found, never -1.
    const NodeAutolevels::Levels levels = NodeAutolevels::levelsOf(h, 7);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(levels.low[c], 0) << c;
        EXPECT_EQ(levels.high[c], 255) << c;
    }
    EXPECT_EQ(NodeAutolevels::stretch(0x12C3FEu, levels), 0x12C3FEu);
    // Found: one level over the whole channel.
    const NodeAutolevels::Levels found = NodeAutolevels::levelsOf(h, 6);
    EXPECT_EQ(found.low[0], 40);
    EXPECT_EQ(found.high[0], 40);
}

TEST(AutolevelsNode, CountZeroKeepsTheImage)
{
    // 12 pixels at the default threshold: nothing is discarded, levels 0 and 255.
    EffectHarness h(EffectTest::makeGradientImage(4, 3));
    auto* node = h.add<NodeAutolevels>();
    h.chain(node, QStringLiteral("in"), QStringLiteral("rgb"));
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(h.rgb(x, y), EffectTest::gradientPixel(x, y) & 0xFFFFFFu);
}

TEST(AutolevelsNode, CustomThresholdOnAKnownHistogram)
{
    // 10 x 10, red = index 0..99, green = 99 - index, blue 30 everywhere; threshold 5 %: count 5.
    EffectHarness h(imageOf(10, 10, [](int x, int y) {
        const unsigned int i = unsigned(y * 10 + x);
        return (i << 16) | ((99u - i) << 8) | 30u;
    }));
    auto* node = h.add<NodeAutolevels>();
    h.chain(node, QStringLiteral("in"), QStringLiteral("rgb"));
    KelUtils::ParameterContainer* c = node->paramContainer();
    ASSERT_EQ(c->setListParam(QStringLiteral("mode"), NodeAutolevels::Custom), 0);
    ASSERT_EQ(c->setFloatParam(QStringLiteral("Threshold Factor"), 5.0f), 0);
    ASSERT_EQ(h.render(), 0);

    const int low[] = {4, 4, 30}, high[] = {95, 95, 30};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(node->levels().low[c], low[c]) << c;
        EXPECT_EQ(node->levels().high[c], high[c]) << c;
    }
    // Span 91: 255 / 91 first, so the top level gives 254; 50 -> trunc(2.8022 x 46) = 128.
    EXPECT_EQ(h.rgb(4, 0), 0x00FE00u);  // red 4, green 95
    EXPECT_EQ(h.rgb(5, 9), 0xFE0000u);  // red 95, green 4
    EXPECT_EQ(h.rgb(0, 5), 0x807E00u);  // red 50 -> 128, green 49 -> 126
    EXPECT_EQ(h.rgb(9, 9), 0xFE0000u);  // red 99 held to 95, green 0 held to 4
}

TEST(AutolevelsNode, GreyUntilPreparedAndCancelKeepsTheLevels)
{
    // 10 x 10, ten pixels at each of 0, 20, ..., 180; threshold 5 %: count 5, levels 0 and 180.
    EffectHarness h(imageOf(10, 10, [](int x, int) { return levelsGrey(20 * x); }));
    auto* node = h.add<NodeAutolevels>();
    h.chain(node, QStringLiteral("in"), QStringLiteral("rgb"));
    KelUtils::ParameterContainer* c = node->paramContainer();
    ASSERT_EQ(c->setListParam(QStringLiteral("mode"), NodeAutolevels::Custom), 0);
    ASSERT_EQ(c->setFloatParam(QStringLiteral("Threshold Factor"), 5.0f), 0);
    EXPECT_EQ(node->getSample3(QPoint(1, 1)), 0x808080u);

    CancelAfter early(0);
    EXPECT_EQ(node->onFilterStart(&early), -1);
    EXPECT_EQ(node->getSample3(QPoint(1, 1)), 0x808080u);

    ASSERT_EQ(node->onFilterStart(nullptr), 0);
    EXPECT_EQ(node->levels().high[0], 180);
    EXPECT_EQ(node->getSample3(QPoint(1, 1)), levelsGrey(28)); // trunc(255 / 180 x 20)

    // All 16 now (levels 16 and 16 would give black); cancelled after three columns.
    h.image().fill(0xFF101010u);
    ASSERT_EQ(h.graph()->setUp(&h.image()), 0);
    CancelAfter late(3);
    EXPECT_EQ(node->onFilterStart(&late), -1);
    EXPECT_EQ(node->levels().low[0], 0);
    EXPECT_EQ(node->levels().high[0], 180);
    EXPECT_EQ(node->getSample3(QPoint(1, 1)), levelsGrey(22)); // trunc(255 / 180 x 16)
    ASSERT_EQ(node->onFilterStart(nullptr), 0);
    EXPECT_EQ(node->getSample3(QPoint(1, 1)), 0x000000u);
}

TEST(AutolevelsNode, UnlinkedGivesMidGrey)
{
    EffectHarness h;
    auto* node = h.add<NodeAutolevels>();
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(node->getSample3(QPoint(0, 0)), 0x808080u);
}

TEST(EqualizeNode, ChannelsFollowTheirOwnShares)
{
    // Red: a quarter at 0, the rest at 200. Green: half 10, half 250. Blue: one level.
    EffectHarness h(imageOf(2, 2, [](int x, int y) {
        const unsigned int red = (x == 0 && y == 0) ? 0u : 200u;
        const unsigned int green = y == 0 ? 10u : 250u;
        return (red << 16) | (green << 8) | 77u;
    }));
    auto* node = h.add<NodeEqualize>();
    h.chain(node, QStringLiteral("in"), QStringLiteral("rgb"));
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.rgb(0, 0), 0x4080FFu); // 63.75 + 0.5 -> 64; 127.5 + 0.5 -> 128
    EXPECT_EQ(h.rgb(1, 1), 0xFFFFFFu);
    // Levels nobody has map like the next lower one present, or 0 below the darkest.
    NodeEqualize::Tables const& t = node->tables();
    EXPECT_EQ(int(t[0][100]), 64);
    EXPECT_EQ(int(t[1][5]), 0);
    EXPECT_EQ(int(t[1][100]), 128);
    EXPECT_EQ(int(t[2][76]), 0);
}

TEST(EqualizeNode, UnlinkedInputFailsTheRender)
{
    EffectHarness h;
    auto* node = h.add<NodeEqualize>();
    EXPECT_EQ(h.render(), -1);
    EXPECT_EQ(node->getSample3(QPoint(0, 0)), 0x808080u);
}

TEST(EqualizeNode, CancelledScanKeepsTheTables)
{
    EffectHarness h(imageOf(2, 2, [](int x, int) { return x == 0 ? 0x000000u : 0xFFFFFFu; }));
    auto* node = h.add<NodeEqualize>();
    h.chain(node, QStringLiteral("in"), QStringLiteral("rgb"));
    CancelAfter first(0);
    EXPECT_EQ(node->onFilterStart(&first), -1);
    EXPECT_EQ(node->getSample3(QPoint(0, 0)), 0x808080u); // never prepared

    ASSERT_EQ(node->onFilterStart(nullptr), 0);
    EXPECT_EQ(node->getSample3(QPoint(0, 0)), levelsGrey(128));

    h.image().fill(0xFF000000u);
    ASSERT_EQ(h.graph()->setUp(&h.image()), 0);
    CancelAfter second(1);
    EXPECT_EQ(node->onFilterStart(&second), -1);
    EXPECT_EQ(node->getSample3(QPoint(0, 0)), levelsGrey(128));
}

#include "effects/math/NodeNoiseReduction.h"

#include "PatternBench.h"

#include "params/ListItem.h"

#include <QHash>

#include <climits>

#include <gtest/gtest.h>

#include <vector>

using namespace KelVyxNodes;
using PatternTest::Bench;

namespace {

// A probe answering from a table of points, 0 elsewhere.
std::function<unsigned int(QPoint const&)> table(QHash<QPoint, unsigned int> const& colours)
{
    return [colours](QPoint const& p) { return colours.value(p, 0u); };
}

void setStrength(Bench<NodeNoiseReduction>& b, int s)
{
    ASSERT_EQ(b.params()->setIntParam(QStringLiteral("strength"), s), 0);
}
void setMedian(Bench<NodeNoiseReduction>& b)
{
    ASSERT_EQ(b.params()->setListParam(QStringLiteral("mode"), NodeNoiseReduction::Median), 0);
}

} // namespace

TEST(NoiseReductionNode, ThresholdAndRadiusFollowTheStrength)
{
    const int threshold[] = {0, 12, 25, 38, 51, 63, 76, 89, 102, 114, 127};
    const int radius[] = {0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4};
    Bench<NodeNoiseReduction> b(4, 4);
    for (int s = 0; s <= 10; ++s) {
        setStrength(b, s);
        ASSERT_EQ(b.prepare(), 0);
        EXPECT_EQ(b.node->threshold(), threshold[s]) << s;
        EXPECT_EQ(b.node->radius(), radius[s]) << s;
    }
}

TEST(NoiseReductionNode, ThresholdAndMeanRounding)
{
    // Strength 3: threshold 38, 3 x 3 window; on a 3 x 1 image the centre has two neighbours.
    Bench<NodeNoiseReduction> b(3, 1);
    b.feed("in", table({{QPoint(0, 0), 0x8A6464u}, {QPoint(1, 0), 0x646464u}, {QPoint(2, 0), 0x898989u}}));
    ASSERT_EQ(b.prepare(), 0);
    // Left differs by 38 in red (out), right by 37 in every channel (in): (100 + 137 + 1) / 2.
    EXPECT_EQ(b.at(1, 0), 0x777777u);
    setMedian(b);
    // Two entries: the upper one by brightness.
    EXPECT_EQ(b.at(1, 0), 0x898989u);

    // The mean rounds halves up and drops the top byte: (10 + 13 + 1) / 2, (10 + 11 + 1) / 2, 10.
    Bench<NodeNoiseReduction> pair(2, 1);
    pair.feed("in", table({{QPoint(0, 0), 0xFF0A0A0Au}, {QPoint(1, 0), 0xFF0D0B0Au}}));
    ASSERT_EQ(pair.prepare(), 0);
    EXPECT_EQ(pair.at(0, 0), 0x0C0B0Au);
}

TEST(NoiseReductionNode, MedianOfThreeAndEqualBrightness)
{
    Bench<NodeNoiseReduction> b(3, 1);
    auto* probe = b.feed("in", table({{QPoint(0, 0), 0x505050u}, {QPoint(1, 0), 0x404040u}, {QPoint(2, 0), 0x484848u}}));
    setMedian(b);
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.at(1, 0), 0x484848u);

    // One accepted neighbour of the same brightness: the neighbour's colour, top byte kept.
    probe->colourAt = table({{QPoint(0, 0), 0xEE0A0B0Cu}, {QPoint(1, 0), 0x0C0B0Au}, {QPoint(2, 0), 0xFFFFFFu}});
    EXPECT_EQ(b.at(1, 0), 0xEE0A0B0Cu);
    // The median is a colour of the window, never a mix.
    EXPECT_EQ(b.at(0, 0), 0x0C0B0Au);
}

TEST(NoiseReductionNode, EqualBrightnessTiesFollowTheClassicSort)
{
    // Every colour sums to 33 (brightness 10) and lies well within the threshold.
    {
        // Centre (0, 0) and three neighbours: the classic order D C A B puts the centre at
        // index 2 (a stable sort would pick the second neighbour, 0x0C0B0A).
        Bench<NodeNoiseReduction> b(2, 2);
        b.feed("in", table({{QPoint(0, 0), 0x0A0B0Cu}, {QPoint(1, 0), 0x0B0A0Cu},
                            {QPoint(0, 1), 0x0C0B0Au}, {QPoint(1, 1), 0x0B0C0Au}}));
        setMedian(b);
        ASSERT_EQ(b.prepare(), 0);
        EXPECT_EQ(b.at(0, 0), 0x0A0B0Cu);
    }
    {
        // Centre (1, 0) and five neighbours: E F D B A C, index 3 is the first neighbour
        // (a stable sort would pick the third, 0x0B0C0A).
        Bench<NodeNoiseReduction> b(3, 2);
        b.feed("in", table({{QPoint(1, 0), 0x0A0B0Cu}, {QPoint(0, 0), 0x0B0A0Cu}, {QPoint(2, 0), 0x0C0B0Au},
                            {QPoint(0, 1), 0x0B0C0Au}, {QPoint(1, 1), 0x0A0C0Bu}, {QPoint(2, 1), 0x0C0A0Bu}}));
        setMedian(b);
        ASSERT_EQ(b.prepare(), 0);
        EXPECT_EQ(b.at(1, 0), 0x0B0A0Cu);
    }
}

TEST(NoiseReductionNode, AnOutlierKeepsItsColourInBothModes)
{
    Bench<NodeNoiseReduction> b(9, 9);
    b.feed("in", [](QPoint const& p) { return p == QPoint(4, 4) ? 0xFF2020u : 0x202020u; });
    setStrength(b, 10); // threshold 127, the whole 9 x 9 image is the window
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.at(4, 4), 0xFF2020u);
    EXPECT_EQ(b.at(4, 3), 0x202020u); // its neighbours leave it out
    setMedian(b);
    EXPECT_EQ(b.at(4, 4), 0xFF2020u);
    EXPECT_EQ(b.at(3, 4), 0x202020u);
}

TEST(NoiseReductionNode, OnlyPointsInsideTheImageAreAsked)
{
    Bench<NodeNoiseReduction> b(4, 3);
    std::vector<QPoint> asked;
    b.feed("in", [&asked](QPoint const& p) { asked.push_back(p); return 0x101010u; });
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.at(0, 0), 0x101010u);
    EXPECT_EQ(asked, std::vector<QPoint>({QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}));

    // Far outside: only the centre itself, and no arithmetic overflows at the int limits.
    asked.clear();
    EXPECT_EQ(b.at(INT_MAX, INT_MIN), 0x101010u);
    EXPECT_EQ(asked.size(), 1u);
}

TEST(NoiseReductionNode, RenderOnePixelWideImages)
{
    // At strength 10 the window reaches 4 pixels along the line, all within the threshold of
    // (0, 0): red (or green) (0 + 16 + 32 + 48 + 64 + 2) / 5 = 32, blue (0 + 1 + 2 + 3 + 4 + 2) / 5 = 2.
    const struct { QSize size; unsigned int corner; } cases[] = {
        {QSize(1, 1), 0x000000u}, {QSize(7, 1), 0x200002u}, {QSize(1, 7), 0x002002u}};
    for (auto const& c : cases) {
        EffectTest::EffectHarness h(EffectTest::makeGradientImage(c.size.width(), c.size.height()));
        auto* node = h.add<NodeNoiseReduction>();
        ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("strength"), 10), 0);
        h.chain(node, QStringLiteral("in"), QStringLiteral("out"));
        ASSERT_EQ(h.render(), 0);
        EXPECT_EQ(h.rgb(0, 0), c.corner) << c.size.width() << "x" << c.size.height();
    }
}

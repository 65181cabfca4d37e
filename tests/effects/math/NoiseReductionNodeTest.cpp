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

void setStrength(Bench<NodeNoiseReduction>& b, int strength)
{
    ASSERT_EQ(b.params()->setIntParam(QStringLiteral("strength"), strength), 0);
}

void setMedian(Bench<NodeNoiseReduction>& b)
{
    ASSERT_EQ(b.params()->setListParam(QStringLiteral("mode"), NodeNoiseReduction::Median), 0);
}

} // namespace

TEST(NoiseReductionNode, DescriptorTerminalsAndParameters)
{
    EXPECT_EQ(NodeNoiseReduction::m_descriptor.typeId, QLatin1String("operator.noiseReduction"));
    EXPECT_EQ(NodeNoiseReduction::m_descriptor.typeUuid, QUuid(QStringLiteral("9fac9fc2-78b4-457a-8d1a-32d0b77c537f")));
    EXPECT_EQ(NodeNoiseReduction::m_descriptor.displayName, QLatin1String("Noise Reduction"));
    std::unique_ptr<KelNodes::Node> node(NodeNoiseReduction::m_descriptor.create(3));
    ASSERT_TRUE(dynamic_cast<NodeNoiseReduction*>(node.get()));
    EXPECT_EQ(PatternTest::terminalsOf(node.get()), QStringList({"in:4/0", "out:0/4"}));
    KelUtils::ParameterContainer* c = node->paramContainer();
    EXPECT_EQ(PatternTest::keysOf(c), QStringList({"basic/basicsBox", "basic/mode", "basic/strength"}));
    EXPECT_EQ(c->paramFlags(QStringLiteral("mode")), 5);
    EXPECT_EQ(c->paramFlags(QStringLiteral("strength")), 5);
    EXPECT_EQ(c->getListParam(QStringLiteral("mode"))->id, 0);
    EXPECT_EQ(c->getIntParam(QStringLiteral("strength")), 3);
    EXPECT_EQ(c->helpItem()->links.size(), 3);
}

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

TEST(NoiseReductionNode, UnlinkedGreyAndPassThroughWithoutImage)
{
    Bench<NodeNoiseReduction> b(3, 3);
    EXPECT_EQ(b.at(1, 1), 0x808080u);
    b.feed("in", [](QPoint const& p) { return 0xAB000000u | unsigned(p.x() * 40) << 8 | unsigned(p.y()); });
    // Not prepared yet: the input passes through, top byte included.
    EXPECT_EQ(b.at(1, 1), 0xAB002801u);

    // A node outside any graph has no image: it says so, does not fail, and passes through.
    EffectTest::MessageCapture messages;
    NodeNoiseReduction loose(9);
    EXPECT_EQ(loose.onFilterStart(nullptr), 0);
    EXPECT_TRUE(messages.contains(QStringLiteral("NodeNoiseReduction error: no image")));
    EXPECT_EQ(loose.getSample3(QPoint(0, 0)), 0x808080u);
}

TEST(NoiseReductionNode, ANeighbourExactlyAtTheThresholdIsLeftOut)
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
}

TEST(NoiseReductionNode, MeanRoundsHalvesUpAndDropsTheTopByte)
{
    Bench<NodeNoiseReduction> b(2, 1);
    b.feed("in", table({{QPoint(0, 0), 0xFF0A0A0Au}, {QPoint(1, 0), 0xFF0D0B0Au}}));
    ASSERT_EQ(b.prepare(), 0);
    // (10 + 13 + 1) / 2 = 12, (10 + 11 + 1) / 2 = 11, 10.
    EXPECT_EQ(b.at(0, 0), 0x0C0B0Au);
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
    // Its neighbours leave it out.
    EXPECT_EQ(b.at(4, 3), 0x202020u);
    setMedian(b);
    EXPECT_EQ(b.at(4, 4), 0xFF2020u);
    EXPECT_EQ(b.at(3, 4), 0x202020u);
}

TEST(NoiseReductionNode, OnlyPointsInsideTheImageAreAsked)
{
    Bench<NodeNoiseReduction> b(4, 3);
    std::vector<QPoint> asked;
    b.feed("in", [&asked](QPoint const& p) {
        asked.push_back(p);
        return 0x101010u;
    });
    ASSERT_EQ(b.prepare(), 0);
    EXPECT_EQ(b.at(0, 0), 0x101010u);
    EXPECT_EQ(asked, std::vector<QPoint>({QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}));

    // Far outside: only the centre itself, and no arithmetic overflows at the int limits.
    asked.clear();
    EXPECT_EQ(b.at(INT_MAX, INT_MIN), 0x101010u);
    EXPECT_EQ(asked.size(), 1u);
}

TEST(NoiseReductionNode, OnePixelImagesAndStrengthZeroPassThrough)
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

    EffectTest::EffectHarness h(EffectTest::makeGradientImage(5, 4));
    auto* node = h.add<NodeNoiseReduction>();
    ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("strength"), 0), 0);
    h.chain(node, QStringLiteral("in"), QStringLiteral("out"));
    ASSERT_EQ(h.render(), 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(h.rgb(x, y), EffectTest::gradientPixel(x, y) & 0xFFFFFFu) << x << "," << y;
    }
}

TEST(NoiseReductionNode, AUniformImageStaysUniformInARender)
{
    for (int mode : {NodeNoiseReduction::Mean, NodeNoiseReduction::Median}) {
        EffectTest::EffectHarness h(EffectTest::makeImage(6, 5, 0xFF3C5A78u));
        auto* node = h.add<NodeNoiseReduction>();
        ASSERT_EQ(node->paramContainer()->setListParam(QStringLiteral("mode"), mode), 0);
        ASSERT_EQ(node->paramContainer()->setIntParam(QStringLiteral("strength"), 7), 0);
        h.chain(node, QStringLiteral("in"), QStringLiteral("out"));
        ASSERT_EQ(h.render(), 0);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(h.rgb(x, y), 0x3C5A78u);
        }
    }
}

#include "effects/NodeGrayscale.h"
#include "effects/NodeJoin.h"

#include "EffectTestSupport.h"
#include "ProbeSourceNode.h"

#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace KelVyxNodes;
using EffectTest::ProbeSourceNode;

namespace {

const QPoint kPoint(0, 3);

struct GreyRig
{
    GreyRig() { EXPECT_EQ(source.connect(QStringLiteral("out"), &node, QStringLiteral("rgb")), 0); }

    unsigned int grey(unsigned int colour, int conversion)
    {
        source.colour = colour;
        EXPECT_EQ(node.paramContainer()->setListParam(QStringLiteral("conversion"), conversion), 0);
        const unsigned int v = node.getSample(kPoint);
        // "out3d" carries the same grey.
        EXPECT_EQ(node.getSample3(kPoint), (v & 0xFFu) * 0x010101u);
        return v;
    }
    void setWeights(float r, float g, float b)
    {
        KelUtils::ParameterContainer* c = node.paramContainer();
        ASSERT_EQ(c->setFloatParam(QStringLiteral("r"), r), 0);
        ASSERT_EQ(c->setFloatParam(QStringLiteral("g"), g), 0);
        ASSERT_EQ(c->setFloatParam(QStringLiteral("b"), b), 0);
    }

    ProbeSourceNode source{1};
    NodeGrayscale node{2};
};

} // namespace

TEST(GrayscaleNode, EveryConversionByHand)
{
    GreyRig rig;
    enum { Avg, Lum, Red, Green, Blue, Max, Neg, Custom };
    const struct { unsigned int colour; unsigned int expected[8]; } cases[] = {
        // Luminance of white stays below 256 before truncation.
        {0xFFFFFFu, {255, 255, 255, 255, 255, 255, 0, 255}},
        {0x000000u, {0, 0, 0, 0, 0, 0, 255, 0}},
        // (10, 200, 30): 241 / 3; 2.126 + 143.04 + 2.166 + 0.5; the default weights are Rec. 709.
        {0x0AC81Eu, {80, 147, 10, 200, 30, 200, 175, 147}},
        // Averages round a third down and two thirds up.
        {0x010100u, {1, 1, 1, 1, 0, 1, 254, 1}},
        {0x010000u, {0, 0, 1, 0, 0, 1, 255, 0}},
        // The alpha byte of the input plays no part.
        {0xFF0AC81Eu, {80, 147, 10, 200, 30, 200, 175, 147}},
    };
    for (auto const& c : cases) {
        for (int conversion = Avg; conversion <= Custom; ++conversion) {
            SCOPED_TRACE(testing::Message() << std::hex << c.colour << std::dec << " mode " << conversion);
            EXPECT_EQ(rig.grey(c.colour, conversion), c.expected[conversion]);
        }
    }
}

TEST(GrayscaleNode, CustomWeightsAreClampedAndOthersIgnoreThem)
{
    GreyRig rig;
    enum { Lum = 1, Custom = 7 };
    rig.setWeights(5.0f, 5.0f, 5.0f);
    EXPECT_EQ(rig.grey(0x14140Au, Custom), 250u); // sum 50: 250.5
    EXPECT_EQ(rig.grey(0x111111u, Custom), 255u); // sum 51: 255.5
    EXPECT_EQ(rig.grey(0xFFFFFFu, Custom), 255u); // 3825 clamped
    EXPECT_EQ(rig.grey(0x0AC81Eu, Lum), 147u);    // fixed weights, not the parameters
    rig.setWeights(0.5f, 0.25f, -1.0f);
    EXPECT_EQ(rig.grey(0x0AC81Eu, Custom), 25u);  // 5 + 50 - 30 + 0.5
    rig.setWeights(-1.0f, 0.0f, 0.0f);
    EXPECT_EQ(rig.grey(0x0AC81Eu, Custom), 0u);
    rig.setWeights(-5.0f, -5.0f, -5.0f);
    for (unsigned int colour : {0x000000u, 0x010203u, 0xFFFFFFu})
        EXPECT_EQ(rig.grey(colour, Custom), 0u) << colour;
}

TEST(GrayscaleNodeRender, PictureToGreyAsColourAndAsOneChannel)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(4, 3));
    auto* grey = h.add<NodeGrayscale>();
    ASSERT_EQ(grey->paramContainer()->setListParam(QStringLiteral("conversion"), 5), 0); // max
    h.chain(grey, QStringLiteral("rgb"), QStringLiteral("out3d"));
    ASSERT_EQ(h.render(), 0);
    auto maxOf = [](unsigned int p) {
        return std::max({(p >> 16) & 0xFFu, (p >> 8) & 0xFFu, p & 0xFFu});
    };
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(h.rgb(x, y), maxOf(EffectTest::gradientPixel(x, y)) * 0x010101u) << x << "," << y;
    }

    // "out" read as one channel by a join's grey input.
    auto* join = h.add<NodeJoin>();
    ASSERT_EQ(h.link(grey, QStringLiteral("out"), join, QStringLiteral("gray")), 0);
    h.output(join, QStringLiteral("rgb"));
    ASSERT_EQ(grey->paramContainer()->setListParam(QStringLiteral("conversion"), 6), 0); // negative
    ASSERT_EQ(h.render(), 0);
    const unsigned int p = EffectTest::gradientPixel(3, 2);
    const unsigned int sum = ((p >> 16) & 0xFFu) + ((p >> 8) & 0xFFu) + (p & 0xFFu);
    EXPECT_EQ(h.rgb(3, 2), (255u - (sum + 1) / 3) * 0x010101u);
}

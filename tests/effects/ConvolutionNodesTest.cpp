#include "ChannelPatternNode.h"
#include "EffectTestSupport.h"

#include "effects/MaskBasedFilter.h"
#include "effects/NodeBlur.h"
#include "effects/NodeEdgeDetection.h"
#include "effects/NodeEmboss.h"
#include "effects/NodeSharpen.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

using namespace EffectTest;
using namespace KelVyxNodes;

namespace {

// Colour pattern, 3 x 3: red varies, green is 100 and blue 20 everywhere.
//   red:  10 20 30 / 40 60 60 / 70 80 90
QImage colourImage()
{
    const unsigned int red[9] = {10, 20, 30, 40, 60, 60, 70, 80, 90};
    QImage image(3, 3, QImage::Format_ARGB32);
    for (int i = 0; i < 9; ++i)
        image.setPixel(i % 3, i / 3, 0xFF000000u | (red[i] << 16) | (100u << 8) | 20u);
    return image;
}

// One-channel pattern on 4 x 4: 100 + x + 4y (100..115). A kernel on a linear ramp gives the
// ramp back inside; only the wrap-around at the border breaks the ramp.
unsigned int ramp(int x, int y)
{
    return unsigned(100 + x + 4 * y);
}

template<class N>
struct ColourFilter
{
    ColourFilter() : h(colourImage())
    {
        node = h.template add<N>();
        h.chain(node, QStringLiteral("in"), QStringLiteral("out"));
    }
    EffectHarness h;
    N* node = nullptr;
};

// pattern.out -> node.in, node.out -> destination.alpha: the one-channel path.
template<class N>
struct ChannelFilter
{
    explicit ChannelFilter(std::function<unsigned int(int, int)> values = ramp, int size = 4)
        : h(makeImage(size, size))
    {
        pattern = h.template add<ChannelPatternNode>();
        pattern->pattern = std::move(values);
        node = h.template add<N>();
        EffectHarness::link(pattern, QStringLiteral("out"), node, QStringLiteral("in"));
        h.outputAlpha(node, QStringLiteral("out"));
    }
    unsigned int value(int x, int y) const { return h.pixel(x, y) >> 24; }
    EffectHarness h;
    ChannelPatternNode* pattern = nullptr;
    N* node = nullptr;
};

// Records the points it is asked for.
class RecordingChannel : public Base1DGenerator
{
public:
    unsigned int getSample(QPoint const& p) const override
    {
        points.push_back(p);
        return 10;
    }
    mutable std::vector<QPoint> points;
};

} // namespace

TEST(ConvolutionNodesTest, SharpenColourLeavesOutsideNeighboursOut)
{
    ColourFilter<NodeSharpen> f;
    ASSERT_EQ(f.h.render(), 0);
    // Centre: 9 x 60 - 400 = 140; green and blue are flat and stay.
    EXPECT_EQ(f.h.pixel(1, 1), 0xFF8C6414u);
    // Corner (0, 0): 9 x 10 - (20 + 40 + 60) < 0; green 900 - 300 -> 255; blue 180 - 60.
    EXPECT_EQ(f.h.rgb(0, 0), 0x00FF78u);
    // Top edge: 180 - 200 < 0; green 900 - 500; blue 180 - 100.
    EXPECT_EQ(f.h.rgb(1, 0), 0x00FF50u);
    // Corner (2, 2): 810 - 200 = 610 -> 255.
    EXPECT_EQ(f.h.rgb(2, 2), 0xFFFF78u);
}

TEST(ConvolutionNodesTest, SharpenOneChannelWrapsAroundTheBorder)
{
    ChannelFilter<NodeSharpen> f;
    ASSERT_EQ(f.h.render(), 0);
    EXPECT_EQ(f.value(1, 1), 105u); // inside the ramp: itself
    // (0, 0) reads (3, 3), (0, 3), (1, 3), (3, 0), (1, 0), (3, 1), (0, 1), (1, 1):
    // 9 x 100 - 860 = 40.
    EXPECT_EQ(f.value(0, 0), 40u);
    // (3, 3): 9 x 115 - (110 + 111 + 108 + 114 + 112 + 102 + 103 + 100) = 175.
    EXPECT_EQ(f.value(3, 3), 175u);

    // Base, factor and bias: base 0.5 gives centre 5 and -0.5 around; the ramp still gives
    // 105 inside, times 0.5 plus 10.25 = 62.75, truncated.
    f.node->paramContainer()->setFloatParam(QStringLiteral("base"), 0.5f);
    f.node->paramContainer()->setFloatParam(QStringLiteral("factor"), 0.5f);
    f.node->paramContainer()->setFloatParam(QStringLiteral("bias"), 10.25f);
    ASSERT_EQ(f.h.render(), 0);
    EXPECT_EQ(f.value(1, 1), 62u);
    // (0, 0): 5 x 100 - 0.5 x 860 = 70; 35 + 10.25.
    EXPECT_EQ(f.value(0, 0), 45u);
}

TEST(ConvolutionNodesTest, EmbossAtCentreAndBorder)
{
    ColourFilter<NodeEmboss> f;
    ASSERT_EQ(f.h.render(), 0);
    // (0, 0): only the right, lower and lower-right neighbours (+1 each) are inside:
    // red 20 + 40 + 60 + 128, green 300 + 128 -> 255, blue 60 + 128.
    EXPECT_EQ(f.h.rgb(0, 0), 0xF8FFBCu);
    // Centre: red -(10 + 20 + 40) + (60 + 80 + 90) + 128 = 288 -> 255; flat channels give 128.
    EXPECT_EQ(f.h.rgb(1, 1), 0xFF8080u);
    // (2, 2): only the -1 neighbours are inside: red -200, green -300, blue 68.
    EXPECT_EQ(f.h.rgb(2, 2), 0x000044u);

    ChannelFilter<NodeEmboss> c;
    ASSERT_EQ(c.h.render(), 0);
    // (0, 0) wraps: -115 - 112 - 103 + 101 + 104 + 105 + 128 = 108.
    EXPECT_EQ(c.value(0, 0), 108u);
    // Inside: -(100 + 101 + 104) + (106 + 109 + 110) + 128 = 148.
    EXPECT_EQ(c.value(1, 1), 148u);
    // Relief 0 leaves the main tone.
    c.node->paramContainer()->setFloatParam(QStringLiteral("factor"), 0.0f);
    c.node->paramContainer()->setFloatParam(QStringLiteral("bias"), 77.9f);
    ASSERT_EQ(c.h.render(), 0);
    EXPECT_EQ(c.value(2, 3), 77u);
}

TEST(ConvolutionNodesTest, EdgeDetectionDirections)
{
    ColourFilter<NodeEdgeDetection> f;
    ASSERT_EQ(f.h.render(), 0);
    // Horizontal, (0, 0): 6 x centre - 2 x right - far right; red 60 - 40 - 30 < 0,
    // green 600 - 300 -> 255, blue 120 - 60.
    EXPECT_EQ(f.h.rgb(0, 0), 0x00FF3Cu);
    // Centre: red -80 + 360 - 120 = 160, green 200, blue 40.
    EXPECT_EQ(f.h.rgb(1, 1), 0xA0C828u);

    ChannelFilter<NodeEdgeDetection> c;
    c.node->paramContainer()->setFloatParam(QStringLiteral("bias"), 100.0f);
    ASSERT_EQ(c.h.render(), 0);
    // Horizontal (1, 1): -1 -2 6 -2 -1 over columns 3 (wrapped), 0, 1, 2, 3 of row 1:
    // -107 - 208 + 630 - 212 - 107 = -4, plus the bias 100.
    EXPECT_EQ(c.value(1, 1), 96u);

    c.node->paramContainer()->setListParam(QStringLiteral("direction"), 1);
    ASSERT_EQ(c.h.render(), 0);
    // Vertical (0, 0): rows 2, 3, 0, 1, 2 of column 0: -108 - 224 + 600 - 208 - 108 = -48.
    EXPECT_EQ(c.value(0, 0), 52u);
    // (1, 1): rows 3, 0, 1, 2, 3: -113 - 202 + 630 - 218 - 113 = -16.
    EXPECT_EQ(c.value(1, 1), 84u);

    c.node->paramContainer()->setListParam(QStringLiteral("direction"), 2);
    ASSERT_EQ(c.h.render(), 0);
    // Diagonal (0, 0): (2,2), (3,3), (0,0), (1,1), (2,2): -110 - 230 + 600 - 210 - 110 = -60.
    EXPECT_EQ(c.value(0, 0), 40u);

    c.node->paramContainer()->setListParam(QStringLiteral("direction"), 3);
    ASSERT_EQ(c.h.render(), 0);
    // All directions: 8 x centre minus the eight neighbours; inside the ramp 0.
    EXPECT_EQ(c.value(1, 2), 100u);
    // (0, 0): 800 - 860 = -60.
    EXPECT_EQ(c.value(0, 0), 40u);
}

TEST(ConvolutionNodesTest, UnlinkedAndMismatchedInputsGiveEachNodesOwnValue)
{
    NodeSharpen sharpen(1);
    NodeEmboss emboss(2);
    NodeEdgeDetection edges(3);
    EXPECT_EQ(sharpen.getSample(QPoint(0, 0)), 128u);
    EXPECT_EQ(emboss.getSample(QPoint(0, 0)), 128u);
    EXPECT_EQ(edges.getSample(QPoint(0, 0)), 128u);
    EXPECT_EQ(sharpen.getSample3(QPoint(0, 0)), 0x000000u);
    EXPECT_EQ(emboss.getSample3(QPoint(0, 0)), 0x808080u);
    EXPECT_EQ(edges.getSample3(QPoint(0, 0)), 0x808080u);

    // Fed one channel, a colour request reads as unlinked; fed colour, a channel request 128.
    ChannelFilter<NodeSharpen> c;
    ASSERT_EQ(c.h.render(), 0);
    EXPECT_EQ(c.node->getSample3(QPoint(1, 1)), 0x000000u);
    ColourFilter<NodeEmboss> e;
    ASSERT_EQ(e.h.render(), 0);
    EXPECT_EQ(e.node->getSample(QPoint(1, 1)), 128u);
}

TEST(ConvolutionNodesTest, WrapAroundStaysInsideTheImageForAnyPoint)
{
    RecordingChannel source;
    const float kernel[25] = {1.0f};
    for (QPoint p : {QPoint(-7, -1), QPoint(0, 0), QPoint(2, 2), QPoint(-2147483647 - 1, 2147483647)}) {
        source.points.clear();
        MaskBasedFilter::filter1(&source, 3, 2, p, 5, 5, kernel, 1.0f, 0.0f);
        ASSERT_EQ(source.points.size(), 25u);
        for (QPoint q : source.points) {
            EXPECT_TRUE(q.x() >= 0 && q.x() < 3 && q.y() >= 0 && q.y() < 2)
                << "asked (" << q.x() << "," << q.y() << ") for (" << p.x() << "," << p.y() << ")";
        }
    }
    // (-7, -1) on 3 x 2: the first kernel entry is column (-7 - 2) mod 3 = 0, row (-1 - 2) mod 2 = 1.
    source.points.clear();
    MaskBasedFilter::filter1(&source, 3, 2, QPoint(-7, -1), 5, 5, kernel, 1.0f, 0.0f);
    EXPECT_EQ(source.points.front(), QPoint(0, 1));

    // An empty image has nothing to wrap into: the source's value, unfiltered.
    FixedChannel channel(77);
    FixedColour colour(0x123456u);
    EXPECT_EQ(MaskBasedFilter::filter1(&channel, 0, 0, QPoint(0, 0), 3, 3, kernel, 1.0f, 0.0f), 77u);
    EXPECT_EQ(MaskBasedFilter::filter3(&colour, 0, 5, QPoint(0, 0), 3, 3, kernel, 1.0f, 0.0f), 0x123456u);
}

TEST(ConvolutionNodesTest, TruncatesAndClampsTheWeightedSum)
{
    FixedChannel one(1);
    const float single[1] = {1.0f};
    auto at = [&](float factor, float bias) {
        return MaskBasedFilter::filter1(&one, 4, 4, QPoint(1, 1), 1, 1, single, factor, bias);
    };
    EXPECT_EQ(at(1.0f, 11.9f), 12u);  // 12.9 -> 12
    EXPECT_EQ(at(1.0f, -1.5f), 0u);   // -0.5 -> 0
    EXPECT_EQ(at(300.0f, 0.0f), 255u);
    EXPECT_EQ(at(1.0f, -300.0f), 0u);
}

TEST(ConvolutionNodesTest, PointsOutsideTheImageAreComputedWithoutCaching)
{
    ChannelFilter<NodeSharpen> c;
    ColourFilter<NodeSharpen> f;
    ASSERT_EQ(c.h.render(), 0);
    ASSERT_EQ(f.h.render(), 0);
    // Wrapped: (-4, -4) has the neighbourhood of (0, 0).
    EXPECT_EQ(c.node->getSample(QPoint(-4, -4)), 40u);
    EXPECT_EQ(c.node->getSample(QPoint(2147483647, -2147483647 - 1)), c.node->getSample(QPoint(3, 0)));
    // Colour: only (0, 0) lies in the box around (-1, -1), with weight -1.
    EXPECT_EQ(f.node->getSample3(QPoint(-1, -1)), 0u);
    EXPECT_EQ(f.node->getSample3(QPoint(100000, 5)), 0u);
    EXPECT_EQ(f.node->getSample3(QPoint(1, 1)), 0x8C6414u);
}

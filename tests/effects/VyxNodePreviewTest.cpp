#include "EffectTestSupport.h"
#include "EngineTestNodes.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using namespace EffectTest;

TEST(VyxNodePreview, ScalesTheRectangleKeepingItsAspect)
{
    EffectHarness h(makeGradientImage(1000, 500));
    QImage preview(100, 100, QImage::Format_ARGB32);
    ASSERT_EQ(h.source()->getPreview(&preview), 0);
    ASSERT_EQ(preview.size(), QSize(100, 50));
    // Column c reads truncate((c + 0.5) * 10 + 0.5), row r likewise.
    EXPECT_EQ(preview.pixel(0, 0), gradientPixel(5, 5));
    EXPECT_EQ(preview.pixel(3, 2), gradientPixel(35, 25));
    EXPECT_EQ(preview.pixel(99, 49), gradientPixel(995, 495));
    EXPECT_EQ(h.source()->getPreview(nullptr), 0);
}

TEST(VyxNodePreview, RefusesWithoutGraphImageOrGenerators)
{
    QImage preview(10, 10, QImage::Format_ARGB32);
    MuteNode alone(1);
    EXPECT_EQ(alone.getPreview(&preview), -1);
    VyxNodeGraph graph;
    graph.setUp(nullptr);
    EXPECT_EQ(graph.sourceNode()->getPreview(&preview), -1);
    EffectHarness h;
    auto* mute = h.add<MuteNode>();
    // A plain node still has the source alpha as its alpha generator: grey of the alpha.
    ASSERT_EQ(mute->getPreview(&preview), 0);
    EXPECT_EQ(preview.pixel(0, 0), 0xFFFFFFFFu);
}

TEST(VyxNodePreview, MaskFadesIntoACheckerboard)
{
    EffectHarness h(makeImage(8, 8, 0xFF000000u));
    std::vector<unsigned char> mask(64, 0);
    mask[9] = 255; // preview (c, r) reads point (c + 1, r + 1) at scale 1
    ASSERT_EQ(h.graph()->setUp(&h.image(), mask.data()), 0);
    QImage preview(8, 8, QImage::Format_ARGB32);
    ASSERT_EQ(h.source()->getPreview(&preview), 0);
    EXPECT_EQ(preview.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(preview.pixel(1, 0), 0xFF808080u);
    EXPECT_EQ(preview.pixel(4, 0), 0xFFFFFFFFu);
    EXPECT_EQ(preview.pixel(4, 4), 0xFF808080u);
}

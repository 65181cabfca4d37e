#include "EffectTestSupport.h"

#include "effects/NodeOriginalImage.h"

#include <gtest/gtest.h>

#include <climits>

using namespace KelVyxNodes;
using namespace EffectTest;

TEST(NodeOriginalImage, SamplesImageAndClampsPoints)
{
    QImage image = makeGradientImage(4, 3);
    image.setPixel(0, 2, 0x7F0A0B0Cu);
    NodeOriginalImage node(1);
    EXPECT_EQ(node.getSample3(QPoint(1, 1)), 0x808080u);
    EXPECT_EQ(node.getSample(QPoint(1, 1)), 255u);
    node.setImage(&image);
    EXPECT_EQ(node.getSample3(QPoint(2, 1)), gradientPixel(2, 1) & 0xFFFFFFu);
    EXPECT_EQ(node.getSample3(QPoint(-5, 100)), 0x0A0B0Cu);
    EXPECT_EQ(node.getSample(QPoint(-1, 7)), 0x7Fu);
    EXPECT_EQ(node.getSample3(QPoint(99, -3)), gradientPixel(3, 0) & 0xFFFFFFu);
    EXPECT_EQ(node.getSample3(QPoint(INT_MIN, INT_MAX)), 0x0A0B0Cu);

    QImage rgb = makeImage(2, 2, 0x11223344u, QImage::Format_RGB32);
    node.setImage(&rgb);
    EXPECT_EQ(node.getSample(QPoint(0, 0)), 255u);
    EXPECT_EQ(node.getSample3(QPoint(0, 0)), 0x223344u);
}

TEST(NodeOriginalImage, UpstreamGeneratorsTakePrecedence)
{
    QImage image = makeGradientImage(2, 2);
    NodeOriginalImage node(1);
    node.setImage(&image);
    FixedColour colour(0x010203u);
    FixedChannel alpha(9);
    node.setUpstream3D(&colour);
    node.setUpstream1D(&alpha);
    EXPECT_EQ(node.getSample3(QPoint(0, 0)), 0x010203u);
    EXPECT_EQ(node.getSample(QPoint(0, 0)), 9u);
    node.setImage(nullptr);
    EXPECT_EQ(node.onFilterStart(nullptr), 0);
    node.setUpstream3D(nullptr);
    MessageCapture capture;
    EXPECT_EQ(node.onFilterStart(nullptr), -1);
    EXPECT_EQ(capture.messages().size(), 1);
}

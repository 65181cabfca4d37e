#include "EffectTestSupport.h"
#include "EngineTestNodes.h"

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using namespace EffectTest;

namespace {

// Picture and effect colours that together hold every pair of an original and an effect byte
// in red and in green: the picture (x, y, x + y), the effect (y, x, x ^ y).
unsigned int pictureColour(int x, int y)
{
    return unsigned(x) << 16 | unsigned(y) << 8 | unsigned((x + y) & 0xFF);
}

unsigned int effectColour(int x, int y)
{
    return unsigned(y) << 16 | unsigned(x) << 8 | unsigned(x ^ y);
}

class PairColourNode : public SolidNode
{
public:
    using SolidNode::SolidNode;
    unsigned int getSample3(QPoint const& p) const override { return effectColour(p.x(), p.y()); }
};

} // namespace

TEST(NodeFilteredImage, NeverPreparedReadsMidGrey)
{
    NodeFilteredImage node(7);
    EXPECT_EQ(node.getSample3(QPoint(0, 0)), 0x808080u);
}

TEST(NodeFilteredImage, BlendEdgeCases)
{
    const unsigned int o = 0xC8641Eu;
    // Opacity 0 gives the original in every mode; unknown ids give f whatever the opacity.
    for (int mode : {0, 2, 3, 4, 6, 7, 8, 14})
        EXPECT_EQ(NodeFilteredImage::blendColour(mode, 0x123456u, o, 0), o) << mode;
    for (int mode : {1, 5, 9, 13, 20, -1}) {
        EXPECT_EQ(NodeFilteredImage::blendColour(mode, 0x123456u, o, 0), 0x123456u) << mode;
        EXPECT_EQ(NodeFilteredImage::blendColour(mode, 0xFF123456u, o, 40), 0x123456u) << mode;
    }
    // Multiply with white and Screen with black leave the original.
    EXPECT_EQ(NodeFilteredImage::blendColour(2, 0xFFFFFFu, o, 100), o);
    EXPECT_EQ(NodeFilteredImage::blendColour(6, 0x000000u, o, 100), o);
    // Color Burn with f = 0 gives 0; Color Dodge with f = 255 gives 255 above 0 and 0 at 0.
    EXPECT_EQ(NodeFilteredImage::blendColour(3, 0x000000u, o, 100), 0u);
    EXPECT_EQ(NodeFilteredImage::blendColour(7, 0xFFFFFFu, 0x640001u, 100), 0xFF00FFu);
    // Linear Burn 100 + 100 -> 0; Linear Dodge 200 + 100 -> 255.
    EXPECT_EQ(NodeFilteredImage::blendColour(4, 0x646464u, 0x646464u, 100), 0u);
    EXPECT_EQ(NodeFilteredImage::blendColour(8, 0x646464u, 0xC8C8C8u, 100), 0xFFFFFFu);
    // Half-way rounds up: (1 * 50 + 0 * 50 + 50) / 100 = 1, (1 * 49 + 50) / 100 = 0.
    EXPECT_EQ(NodeFilteredImage::blendColour(0, 0x010101u, 0u, 50), 0x010101u);
    EXPECT_EQ(NodeFilteredImage::blendColour(0, 0x010101u, 0u, 49), 0u);
}

TEST(NodeFilteredImage, OpacityOutOfRangeIsClamped)
{
    const unsigned int f = 0xFFFFFFu;
    const unsigned int o = 0x000000u;
    // Unclamped, 255 * 150 would carry into the next channel.
    EXPECT_EQ(NodeFilteredImage::blendColour(0, f, o, 150), 0xFFFFFFu);
    EXPECT_EQ(NodeFilteredImage::blendColour(8, f, o, 1000), 0xFFFFFFu);
    EXPECT_EQ(NodeFilteredImage::blendColour(0, f, o, -20), 0u);
    EXPECT_EQ(NodeFilteredImage::blendColour(14, f, 0x808080u, -5), 0x808080u);
}

TEST(NodeFilteredImage, PluginColourTopByteDoesNotLeakIntoAlpha)
{
    EffectHarness h(makeImage(2, 2, 0x40000000u));
    auto* solid = h.add<SolidNode>();
    solid->colour = 0xAB102030u;
    h.output(solid, "out");
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.pixel(1, 1), 0x40102030u);
    h.destination()->terminal(1)->disconnectAll();
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.pixel(1, 1), 0xFF102030u);
}

// A caller keeps each result until the next one arrives, as the image view does: its picture
// must not change, nor be copied for the next render, which writes into the result before it.
TEST(NodeFilteredImage, RendersBesideAResultStillHeld)
{
    EffectHarness h(makeGradientImage(64, 48));
    auto* invert = h.add<InvertNode>();
    h.chain(invert, "in", "out");
    ASSERT_EQ(h.render(), 0);
    QImage held = h.result();
    const QImage firstPicture = held.copy();
    uchar const* const firstBits = held.constBits();

    h.image().fill(0xFF204060u);
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(held, firstPicture);
    EXPECT_EQ(held.constBits(), firstBits);
    EXPECT_NE(h.result().constBits(), firstBits);
    held = h.result();
    // Takes the first picture's memory if it was given back, so that it cannot return by chance.
    QImage blocker(held.size(), held.format());
    blocker.fill(0);

    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.result().constBits(), firstBits);
    EXPECT_EQ(h.rgb(5, 5), 0xDFBF9Fu);
    EXPECT_EQ(held.pixel(5, 5), 0xFFDFBF9Fu);

    // Held by no one else: the same picture again.
    held = QImage();
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.result().constBits(), firstBits);
}

// The render blends from a table of byte pairs made per mode and opacity: it must give
// blendColour's bytes for every pair, in every mode and at the edges of the opacity range.
TEST(NodeFilteredImage, RenderedBlendGivesBlendColourForEveryBytePair)
{
    QImage picture(256, 256, QImage::Format_ARGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            picture.setPixel(x, y, 0xFF000000u | pictureColour(x, y));
    EffectHarness h(picture);
    VyxNodeGraph* sub = h.graph()->addSubGraph(-1);
    ASSERT_EQ(EffectHarness::link(h.source(), "rgb", sub, "rgbIn"), 0);
    ASSERT_EQ(EffectHarness::link(sub, "rgbOut", h.destination(), "rgb"), 0);
    auto* effect = h.add<PairColourNode>(sub);
    ASSERT_EQ(EffectHarness::link(effect, "out", sub->destinationNode(), "rgb"), 0);
    for (int mode : {0, 2, 3, 4, 6, 7, 8, 14}) {
        for (int opacity : {0, 1, 37, 50, 99, 100}) {
            ASSERT_EQ(sub->paramContainer()->setIntParam(QStringLiteral("opacity"), opacity), 0);
            ASSERT_EQ(sub->paramContainer()->setListParam(QStringLiteral("blendMode"), mode), 0);
            ASSERT_EQ(h.render(), 0);
            int wrong = 0;
            for (int y = 0; y < 256; ++y) {
                for (int x = 0; x < 256; ++x) {
                    const unsigned int expected
                        = NodeFilteredImage::blendColour(mode, effectColour(x, y), pictureColour(x, y), opacity);
                    wrong += h.rgb(x, y) != expected;
                }
            }
            EXPECT_EQ(wrong, 0) << "mode " << mode << ", opacity " << opacity;
        }
    }
}

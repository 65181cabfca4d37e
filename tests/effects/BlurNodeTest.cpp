#include "ChannelPatternNode.h"
#include "EffectTestSupport.h"

#include "effects/NodeBlur.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <QRect>

#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

using namespace EffectTest;
using namespace KelVyxNodes;

namespace {

// 4 x 3 grey steps, row by row: 10, 20, ..., 120.
unsigned int step(int x, int y)
{
    return unsigned(10 * (y * 4 + x + 1));
}

// red = step, green = step / 10, blue = 0.
QImage stepImage()
{
    QImage image(4, 3, QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x)
            image.setPixel(x, y, 0xFF000000u | (step(x, y) << 16) | ((step(x, y) / 10) << 8));
    }
    return image;
}

// Pseudo-random opaque colours, the same every run.
QImage noiseImage(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    unsigned int state = 12345u;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            state = state * 1103515245u + 12345u;
            image.setPixel(x, y, 0xFF000000u | (state >> 8));
        }
    }
    return image;
}

// The window mean worked out independently of the node: every pixel of the clipped, masked
// box, rounded half up; 0 when nothing is counted.
unsigned int referenceMean(std::function<unsigned int(int, int)> const& value, int w, int h,
                           int px, int py, int r, unsigned char const* mask)
{
    int sum = 0;
    int n = 0;
    for (int y = py - r; y <= py + r; ++y) {
        for (int x = px - r; x <= px + r; ++x) {
            if (x < 0 || y < 0 || x >= w || y >= h || (mask && !mask[y * w + x]))
                continue;
            sum += int(value(x, y));
            ++n;
        }
    }
    return n ? unsigned((sum + n / 2) / n) : 0u;
}

unsigned int referenceColour(QImage const& image, int px, int py, int r, unsigned char const* mask)
{
    unsigned int out = 0;
    for (int shift : {16, 8, 0}) {
        auto channel = [&](int x, int y) { return (image.pixel(x, y) >> shift) & 0xFFu; };
        out |= referenceMean(channel, image.width(), image.height(), px, py, r, mask) << shift;
    }
    return out;
}

struct ColourBlur
{
    explicit ColourBlur(QImage image, int radius) : h(std::move(image))
    {
        blur = h.add<NodeBlur>();
        h.chain(blur, QStringLiteral("in"), QStringLiteral("out"));
        blur->paramContainer()->setIntParam(QStringLiteral("radius"), radius);
    }
    EffectHarness h;
    NodeBlur* blur = nullptr;
};

// pattern.out -> blur.in, blur.out -> destination.alpha: the blur's one-channel path.
struct ChannelBlur
{
    ChannelBlur(QImage image, std::function<unsigned int(int, int)> values, int radius)
        : h(std::move(image))
    {
        pattern = h.add<ChannelPatternNode>();
        pattern->pattern = std::move(values);
        blur = h.add<NodeBlur>();
        EffectHarness::link(pattern, QStringLiteral("out"), blur, QStringLiteral("in"));
        h.outputAlpha(blur, QStringLiteral("out"));
        blur->paramContainer()->setIntParam(QStringLiteral("radius"), radius);
    }
    EffectHarness h;
    ChannelPatternNode* pattern = nullptr;
    NodeBlur* blur = nullptr;
};

} // namespace

TEST(BlurNodeTest, ColourRadiusOneAveragesTheBoxClippedToTheImage)
{
    ColourBlur b(stepImage(), 1);
    ASSERT_EQ(b.h.render(), 0);
    // Corner: 10 + 20 + 50 + 60 over 4 = 35; green 14 / 4 = 3.5 rounds up to 4.
    EXPECT_EQ(b.h.pixel(0, 0), 0xFF230400u);
    // Interior, 9 pixels: 540 / 9 = 60; green 54 / 9 = 6.
    EXPECT_EQ(b.h.rgb(1, 1), 0x3C0600u);
    EXPECT_EQ(b.h.rgb(2, 1), 0x460700u); // 630 / 9 = 70, 63 / 9 = 7
    // Left edge, 6 pixels: 330 / 6 = 55, green 33 / 6 = 5.5 -> 6.
    EXPECT_EQ(b.h.rgb(0, 1), 0x370600u);
    EXPECT_EQ(b.h.rgb(3, 0), 0x370600u); // 220 / 4 = 55, 22 / 4 = 5.5 -> 6
    EXPECT_EQ(b.h.rgb(3, 2), 0x5F0A00u); // 380 / 4 = 95, 38 / 4 = 9.5 -> 10
}

TEST(BlurNodeTest, RadiusZeroPassesThroughAndUnlinkedGivesNeutralValues)
{
    ColourBlur b(stepImage(), 0);
    ASSERT_EQ(b.h.render(), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(b.h.pixel(x, y), b.h.image().pixel(x, y));
    }

    NodeBlur loose(1);
    EXPECT_EQ(loose.getSample(QPoint(0, 0)), 128u);
    EXPECT_EQ(loose.getSample3(QPoint(0, 0)), 0x808080u);
    // Not in a graph with a picture: the render cannot be prepared.
    EXPECT_EQ(loose.onFilterStart(nullptr), -1);
}

TEST(BlurNodeTest, OneChannelPathAtRadiusOneAndTwo)
{
    ChannelBlur b(makeImage(4, 3), step, 1);
    ASSERT_EQ(b.h.render(), 0);
    EXPECT_EQ(b.h.pixel(0, 0) >> 24, 35u);
    EXPECT_EQ(b.h.pixel(1, 1) >> 24, 60u);
    EXPECT_EQ(b.h.pixel(0, 1) >> 24, 55u);
    EXPECT_EQ(b.h.pixel(3, 2) >> 24, 95u);
    // A colour request to a blur fed one channel reads as unlinked.
    EXPECT_EQ(b.blur->getSample3(QPoint(1, 1)), 0x808080u);

    b.blur->paramContainer()->setIntParam(QStringLiteral("radius"), 2);
    ASSERT_EQ(b.h.render(), 0);
    EXPECT_EQ(b.h.pixel(1, 1) >> 24, 65u);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(b.h.pixel(x, y) >> 24, referenceMean(step, 4, 3, x, y, 2, nullptr));
    }
}

TEST(BlurNodeTest, SelectionMaskLeavesUnselectedPixelsOutOfSumAndCount)
{
    ColourBlur b(stepImage(), 1);
    // Column 1 is not selected.
    std::vector<unsigned char> mask(12, 1);
    for (int y = 0; y < 3; ++y)
        mask[y * 4 + 1] = 0;
    ASSERT_EQ(b.h.graph()->setUp(&b.h.image(), mask.data()), 0);
    ASSERT_EQ(b.h.graph()->filter(nullptr), 0);
    QImage const& out = b.h.result();
    EXPECT_EQ(out.pixel(0, 1) & 0xFFFFFFu, 0x320500u); // (10 + 50 + 90) / 3 = 50, 15 / 3 = 5
    EXPECT_EQ(out.pixel(2, 1) & 0xFFFFFFu, 0x4B0800u); // 450 / 6 = 75, 45 / 6 = 7.5 -> 8
    EXPECT_EQ(out.pixel(1, 1), 0x00808080u);           // unselected: not sampled

    // One-channel path reads the same mask.
    ChannelBlur c(makeImage(4, 3), step, 1);
    ASSERT_EQ(c.h.graph()->setUp(&c.h.image(), mask.data()), 0);
    ASSERT_EQ(c.h.graph()->filter(nullptr), 0);
    EXPECT_EQ(c.h.result().pixel(0, 1) >> 24, 50u);
    EXPECT_EQ(c.h.result().pixel(2, 1) >> 24, 75u);
}

TEST(BlurNodeTest, SlidingSumsMatchTheFullWindowEverywhere)
{
    // Rows walked left to right, row starts below row starts, and jumps where the mask leaves
    // pixels out, including rows whose first pixels are not selected.
    const QImage image = noiseImage(9, 7);
    std::vector<unsigned char> mask(9 * 7, 1);
    mask[0] = mask[1] = 0;             // row 0 starts at column 2
    mask[2 * 9 + 4] = 0;               // a hole in row 2
    mask[5 * 9 + 0] = 0;               // row 5 starts at column 1
    for (int x = 0; x < 9; ++x)
        mask[6 * 9 + x] = (x % 2);     // row 6 every other pixel

    for (int radius : {1, 2, 3}) {
        for (bool masked : {false, true}) {
            ColourBlur b(image, radius);
            unsigned char const* m = masked ? mask.data() : nullptr;
            ASSERT_EQ(b.h.graph()->setUp(&b.h.image(), m), 0);
            ASSERT_EQ(b.h.graph()->filter(nullptr), 0);
            for (int y = 0; y < 7; ++y) {
                for (int x = 0; x < 9; ++x) {
                    if (m && !m[y * 9 + x])
                        continue;
                    EXPECT_EQ(b.h.result().pixel(x, y) & 0xFFFFFFu, referenceColour(image, x, y, radius, m))
                        << "radius " << radius << " masked " << masked << " at " << x << "," << y;
                }
            }
        }
    }

    // A render rectangle that does not start at column 0.
    ColourBlur b(image, 2);
    const QRect rect(QPoint(2, 1), QPoint(7, 5));
    ASSERT_EQ(b.h.graph()->setUp(&b.h.image(), nullptr, &rect), 0);
    ASSERT_EQ(b.h.graph()->filter(nullptr), 0);
    for (int y = 1; y <= 5; ++y) {
        for (int x = 2; x <= 7; ++x)
            EXPECT_EQ(b.h.result().pixel(x - 2, y - 1) & 0xFFFFFFu, referenceColour(image, x, y, 2, nullptr));
    }
}

TEST(BlurNodeTest, PointsOutsideTheImageUseTheClippedWindow)
{
    ColourBlur b(stepImage(), 1);
    ASSERT_EQ(b.h.render(), 0);
    EXPECT_EQ(b.blur->getSample3(QPoint(-1, -1)), 0x0A0100u); // only (0, 0) is in the box
    EXPECT_EQ(b.blur->getSample3(QPoint(4, 3)), 0x780C00u);   // only (3, 2)
    EXPECT_EQ(b.blur->getSample3(QPoint(1000, -1000)), 0u);   // nothing in the box
    EXPECT_EQ(b.blur->getSample3(QPoint(2147483647, -2147483647 - 1)), 0u);
    // The memo of the image points is untouched.
    EXPECT_EQ(b.blur->getSample3(QPoint(0, 0)), 0x230400u);
}

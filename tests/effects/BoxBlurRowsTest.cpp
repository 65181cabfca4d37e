#include "SanitizedSweep.h"

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/BoxBlurRows.h"
#include "effects/RowSweepHint.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <algorithm>
#include <atomic>
#include <vector>

using namespace KelVyxNodes;

namespace {

unsigned int boxHashOf(int x, int y)
{
    unsigned int h = unsigned(x) * 73856093u ^ unsigned(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return h ^ (h >> 15);
}

// Pure functions of the point, with a top byte that must be ignored; counting what is read.
class BoxHashColour : public Base3DGenerator
{
public:
    unsigned int getSample3(QPoint const& p) const override
    {
        reads.fetch_add(1, std::memory_order_relaxed);
        return boxHashOf(p.x(), p.y()) | 0xAB000000u;
    }
    mutable std::atomic<long long> reads{0};
};

class BoxHashChannel : public Base1DGenerator
{
public:
    unsigned int getSample(QPoint const& p) const override { return boxHashOf(p.x(), p.y()) >> 7; }
};

std::vector<unsigned char> maskOf(int w, int h)
{
    std::vector<unsigned char> mask(std::size_t(w * h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            mask[std::size_t(y * w + x)] = (boxHashOf(y, x) % 5 == 0) ? 0 : 1;
    }
    return mask;
}

// The window mean worked out naively from the definition.
unsigned int reference(BoxBlurRows::Setup const& s, int px, int py)
{
    long long sums[3] = {0, 0, 0};
    long long n = 0;
    for (int y = py - s.radius; y <= py + s.radius; ++y) {
        for (int x = px - s.radius; x <= px + s.radius; ++x) {
            if (x < 0 || y < 0 || x >= s.width || y >= s.height)
                continue;
            if (s.mask && s.mask[y * s.width + x] == 0)
                continue;
            if (s.colour) {
                const unsigned int c = s.colour->getSample3(QPoint(x, y));
                sums[0] += (c >> 16) & 0xFF;
                sums[1] += (c >> 8) & 0xFF;
                sums[2] += c & 0xFF;
            } else {
                sums[0] += s.channel->getSample(QPoint(x, y)) & 0xFF;
            }
            ++n;
        }
    }
    auto mean = [n](long long sum) { return n ? unsigned((sum + n / 2) / n) : 0u; };
    if (!s.colour)
        return mean(sums[0]);
    return (mean(sums[0]) << 16) | (mean(sums[1]) << 8) | mean(sums[2]);
}

// Orders a downstream node may ask in: the row loop, reversed, by columns, scattered, and
// kernel neighbourhoods.
std::vector<QPoint> accessOrder(int pattern, int w, int h)
{
    std::vector<QPoint> points;
    switch (pattern) {
    case 0:
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                points.emplace_back(x, y);
        break;
    case 1:
        for (int y = h - 1; y >= 0; --y)
            for (int x = w - 1; x >= 0; --x)
                points.emplace_back(x, y);
        break;
    case 2:
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y)
                points.emplace_back(x, y);
        break;
    case 3:
        for (int i = 0; i < w * h; ++i)
            points.emplace_back(int(boxHashOf(i, 1) % unsigned(w)), int(boxHashOf(i, 2) % unsigned(h)));
        break;
    default:
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        points.emplace_back(std::clamp(x + dx, 0, w - 1), std::clamp(y + dy, 0, h - 1));
        break;
    }
    return points;
}

} // namespace

// The running sums give the mean of the window exactly, whatever order the points come in,
// with and without a mask, at the image edges, for colour and one channel.
TEST(BoxBlurRows, EveryAccessOrderGivesTheWindowMean)
{
    BoxHashColour colour;
    BoxHashChannel channel;
    const int w = 41;
    const int h = 29;
    const std::vector<unsigned char> mask = maskOf(w, h);
    int variant = 0;
    for (int radius : {1, 2, 5, 13, 40}) {
        for (bool masked : {false, true}) {
            for (bool isColour : {true, false}) {
                BoxBlurRows::Setup s;
                s.width = w;
                s.height = h;
                s.radius = radius;
                s.mask = masked ? mask.data() : nullptr;
                if (isColour)
                    s.colour = &colour;
                else
                    s.channel = &channel;
                for (int pattern = 0; pattern <= 4; ++pattern) {
                    // Under the sanitizers every third variant: each radius still meets every
                    // pattern, mask and kind.
                    if (!SanitizedSweep::takes(variant++, 3))
                        continue;
                    SCOPED_TRACE(testing::Message() << "radius " << radius << " masked " << masked
                                                    << " colour " << isColour << " pattern " << pattern);
                    BoxBlurRows blur;
                    blur.reset(s);
                    int wrong = 0;
                    for (QPoint p : accessOrder(pattern, w, h)) {
                        if (pattern == 0 && p.x() == 0)
                            RowSweepHint::begin(p.y());
                        if (blur.sample(p.x(), p.y()) != reference(s, p.x(), p.y()) && ++wrong < 5)
                            ADD_FAILURE() << "at " << p.x() << "," << p.y();
                    }
                    RowSweepHint::end();
                }
            }
        }
    }
}

TEST(BoxBlurRows, PointsOutsideTheImageAndEmptyWindows)
{
    BoxHashColour colour;
    BoxBlurRows::Setup s;
    s.width = 9;
    s.height = 7;
    s.radius = 2;
    s.colour = &colour;
    BoxBlurRows blur;
    blur.reset(s);
    for (QPoint p : {QPoint(-1, 3), QPoint(10, 3), QPoint(4, -2), QPoint(-2, -2), QPoint(11, 8)})
        EXPECT_EQ(blur.sample(p.x(), p.y()), reference(s, p.x(), p.y()));
    EXPECT_EQ(blur.sample(-3, 0), 0u); // nothing of the image in the window
    EXPECT_EQ(blur.sample(-2147483647 - 1, 2147483647), 0u);

    // Everything masked out: black, without reading the input.
    std::vector<unsigned char> none(9 * 7, 0);
    s.mask = none.data();
    blur.reset(s);
    colour.reads = 0;
    for (int y = 0; y < 7; ++y) {
        RowSweepHint::begin(y);
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(blur.sample(x, y), 0u);
    }
    RowSweepHint::end();
    EXPECT_EQ(colour.reads.load(), 0);
}

// A new render forgets everything: rows made from the old input are never served again.
TEST(BoxBlurRows, ResetStartsAfresh)
{
    BoxHashColour colour;
    BoxBlurRows::Setup s;
    s.width = 12;
    s.height = 10;
    s.radius = 3;
    s.colour = &colour;
    BoxBlurRows blur;
    blur.reset(s);
    RowSweepHint::begin(4);
    const unsigned int before = blur.sample(5, 4);
    EXPECT_EQ(before, reference(s, 5, 4));

    s.radius = 1;
    blur.reset(s);
    EXPECT_EQ(blur.sample(5, 4), reference(s, 5, 4));
    EXPECT_NE(blur.sample(5, 4), before);
    RowSweepHint::end();
}

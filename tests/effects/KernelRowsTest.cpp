#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/KernelRows.h"
#include "effects/MaskBasedFilter.h"
#include "effects/RowSweepHint.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <atomic>
#include <cmath>
#include <vector>

using namespace KelVyxNodes;

namespace {

unsigned int hashOf(int x, int y)
{
    unsigned int h = unsigned(x) * 2654435761u ^ unsigned(y) * 40503u;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    return h ^ (h >> 12);
}

class HashColour : public Base3DGenerator
{
public:
    unsigned int getSample3(QPoint const& p) const override
    {
        reads.fetch_add(1, std::memory_order_relaxed);
        return hashOf(p.x(), p.y()); // top byte set: must be ignored
    }
    mutable std::atomic<long long> reads{0};
};

class HashChannel : public Base1DGenerator
{
public:
    unsigned int getSample(QPoint const& p) const override { return hashOf(p.x(), p.y()) & 0x1FFu; }
};

} // namespace

// Summed from rows read beforehand or from the input directly, in any order of points, the
// result is MaskBasedFilter's to the bit: same float operations in the same order.
TEST(KernelRows, EveryAccessOrderGivesTheKernelSums)
{
    HashColour colour;
    HashChannel channel;
    std::vector<float> kernel(25);
    for (int i = 0; i < 25; ++i)
        kernel[size_t(i)] = float(int(hashOf(i, 99) % 2001u) - 1000) / 377.0f;
    const int w = 23;
    const int h = 17;
    for (int side : {3, 5}) {
        for (bool isColour : {true, false}) {
            KernelRows::Setup s;
            s.width = w;
            s.height = h;
            s.kernel = kernel.data();
            s.kernelWidth = side;
            s.kernelHeight = side;
            s.factor = 0.83f;
            s.bias = 17.3f;
            if (isColour)
                s.colour = &colour;
            else
                s.channel = &channel;
            auto expected = [&](int x, int y) {
                return isColour ? MaskBasedFilter::filter3(&colour, w, h, QPoint(x, y), side, side,
                                                           kernel.data(), s.factor, s.bias)
                                : MaskBasedFilter::filter1(&channel, w, h, QPoint(x, y), side, side,
                                                           kernel.data(), s.factor, s.bias);
            };
            for (int pattern = 0; pattern < 4; ++pattern) {
                SCOPED_TRACE(testing::Message() << "side " << side << " colour " << isColour
                                                << " pattern " << pattern);
                KernelRows rows;
                rows.reset(s);
                std::vector<QPoint> points;
                for (int y = 0; y < h; ++y) {
                    for (int x = 0; x < w; ++x) {
                        if (pattern == 0)
                            points.emplace_back(x, y); // the row loop
                        else if (pattern == 1)
                            points.emplace_back(y % w, x % h); // by columns
                        else if (pattern == 2)
                            points.emplace_back(int(hashOf(x, y) % unsigned(w)), int(hashOf(y, x) % unsigned(h)));
                        else
                            for (int d = -2; d <= 2; ++d) // a 5 x 5 kernel downstream, wrapping
                                points.emplace_back((x + d + w) % w, (y + d + h) % h);
                    }
                }
                int wrong = 0;
                for (QPoint p : points) {
                    if (pattern == 0 && p.x() == 0)
                        RowSweepHint::begin(p.y());
                    if (rows.sample(p.x(), p.y()) != expected(p.x(), p.y()) && ++wrong < 5)
                        ADD_FAILURE() << "at " << p.x() << "," << p.y();
                }
                RowSweepHint::end();
            }
        }
    }
}

// Runs of a row, summed four points side by side where the kernel lies in the image, give the
// kernel sums of their points to the bit, whatever factor and bias make of the sums (clamped,
// beyond the float range, NaN).
TEST(KernelRows, SpansGiveTheKernelSumsOfTheirPoints)
{
    HashColour colour;
    HashChannel channel;
    std::vector<float> kernel(25);
    for (int i = 0; i < 25; ++i)
        kernel[size_t(i)] = float(int(hashOf(i, 7) % 2001u) - 1000) / 311.0f;
    const int w = 23;
    const int h = 17;
    const float scales[][2] = {{0.83f, 17.3f}, {1e30f, 0.0f}, {-1e30f, 1.0f}, {NAN, 0.0f}, {1.0f, -300.0f}};
    struct Run
    {
        int x;
        int count;
    };
    const Run runs[] = {{-2, 27}, {0, 23}, {5, 9}, {19, 4}, {1, 1}};
    for (int side : {3, 5}) {
        for (bool isColour : {true, false}) {
            for (auto const& scale : scales) {
                KernelRows::Setup s;
                s.width = w;
                s.height = h;
                s.kernel = kernel.data();
                s.kernelWidth = side;
                s.kernelHeight = side;
                s.factor = scale[0];
                s.bias = scale[1];
                if (isColour)
                    s.colour = &colour;
                else
                    s.channel = &channel;
                for (int y : {0, 8, 16}) {
                    for (Run const& run : runs) {
                        SCOPED_TRACE(testing::Message() << "side " << side << " colour " << isColour << " factor "
                                                        << s.factor << " bias " << s.bias << " row " << y
                                                        << " from " << run.x);
                        KernelRows rows;
                        rows.reset(s);
                        std::vector<unsigned int> span(size_t(run.count));
                        RowSweepHint::begin(y);
                        rows.sampleSpan(y, run.x, run.count, span.data());
                        RowSweepHint::end();
                        for (int i = 0; i < run.count; ++i) {
                            const QPoint p(run.x + i, y);
                            const unsigned int expected =
                                isColour ? MaskBasedFilter::filter3(&colour, w, h, p, side, side, kernel.data(), s.factor, s.bias)
                                         : MaskBasedFilter::filter1(&channel, w, h, p, side, side, kernel.data(), s.factor, s.bias);
                            ASSERT_EQ(span[size_t(i)], expected) << "at " << p.x();
                        }
                    }
                }
            }
        }
    }
}

// Walking rows in order reads each input pixel about once instead of once per kernel entry.
TEST(KernelRows, RowOrderReadsEachInputRowOnce)
{
    HashColour colour;
    const float kernel[9] = {-1, -1, -1, -1, 9, -1, -1, -1, -1};
    KernelRows::Setup s;
    s.width = 200;
    s.height = 100;
    s.kernel = kernel;
    s.kernelWidth = 3;
    s.kernelHeight = 3;
    s.colour = &colour;
    KernelRows rows;
    rows.reset(s);
    for (int y = 0; y < s.height; ++y) {
        RowSweepHint::begin(y);
        for (int x = 0; x < s.width; ++x)
            rows.sample(x, y);
    }
    RowSweepHint::end();
    EXPECT_EQ(colour.reads.load(), 200ll * 100);

    // Points outside the image are summed directly and not kept.
    EXPECT_EQ(rows.sample(-1, -1), MaskBasedFilter::filter3(&colour, 200, 100, QPoint(-1, -1), 3, 3,
                                                            kernel, 1.0f, 0.0f));
}

#include "effects/math/NodeFlip.h"

#include "effects/EffectTestSupport.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using EffectTest::EffectHarness;
using EffectTest::gradientPixel;

namespace {

struct FlipHarness : EffectHarness
{
    FlipHarness(int w, int h) : EffectHarness(EffectTest::makeGradientImage(w, h)), node(add<NodeFlip>())
    {
        chain(node, QStringLiteral("rgbIn"), QStringLiteral("rgbOut"));
    }
    void set(char const* key, int v) { ASSERT_EQ(node->paramContainer()->setIntParam(QString::fromLatin1(key), v), 0); }
    // Every output pixel against the source pixel the mapping names.
    template <class Map>
    void expectMapping(Map map)
    {
        ASSERT_EQ(render(), 0);
        const QImage& image = result();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QPoint s = map(x, y);
                EXPECT_EQ(rgb(x, y), gradientPixel(s.x(), s.y()) & 0xFFFFFFu)
                    << "(" << x << ", " << y << ") should read (" << s.x() << ", " << s.y() << ")";
            }
        }
    }
    NodeFlip* node;
};

} // namespace

TEST(FlipNode, FlipAxes)
{
    FlipHarness h(5, 4);
    // A new node turns the picture by half a turn.
    h.expectMapping([](int x, int y) { return QPoint(4 - x, 3 - y); });
    h.set("flipVert", 0);
    h.expectMapping([](int x, int y) { return QPoint(4 - x, y); });
    h.set("flipHor", 0);
    h.set("flipVert", 1);
    h.expectMapping([](int x, int y) { return QPoint(x, 3 - y); });
    h.set("flipVert", 0);
    h.expectMapping([](int x, int y) { return QPoint(x, y); });
}

TEST(FlipNode, ShiftsInPixels)
{
    // 49.5 either way: halves up across, rounded down along the rows; a negative percentage counts
    // as its size.
    const struct { int side, percent, across, along; } cases[] = {
        {100, 50, 50, 49}, {10, 50, 5, 4}, {10, 100, 9, 9}, {1, 100, 0, 0}, {10, -50, 5, 4}, {100, -50, 50, 49}};
    for (auto const& c : cases) {
        EXPECT_EQ(NodeFlip::horizontalShift(c.side, c.percent), c.across) << c.side << " " << c.percent;
        EXPECT_EQ(NodeFlip::verticalShift(c.side, c.percent), c.along) << c.side << " " << c.percent;
    }
}

TEST(FlipNode, ShiftWithoutFlipMirrorsTheUncoveredStrip)
{
    FlipHarness h(10, 3);
    h.set("flipHor", 0);
    h.set("flipVert", 0);
    h.set("shiftHor", 50); // 5 pixels
    // Output column 5 - k shows source column k; from column 5 on the picture moved right.
    h.expectMapping([](int x, int y) { return QPoint(x > 5 ? x - 5 : 5 - x, y); });
    // A full shift alone mirrors the picture.
    h.set("shiftHor", 100);
    h.expectMapping([](int x, int y) { return QPoint(9 - x, y); });
}

TEST(FlipNode, ShiftWithFlipRepeatsTheSeam)
{
    FlipHarness h(10, 3);
    h.set("flipVert", 0);
    h.set("shiftHor", 50);
    // Columns 4 and 5 both show the last source column.
    h.expectMapping([](int x, int y) { return QPoint(x < 5 ? 5 + x : 14 - x, y); });
    h.set("shiftHor", 100);
    h.expectMapping([](int x, int y) { return QPoint(x < 9 ? x + 1 : 9, y); });

    // Rows: 3 rows, shift 100 -> 2 rows; the last row keeps the last source row.
    h.set("shiftHor", 0);
    h.set("flipHor", 0);
    h.set("flipVert", 1);
    h.set("shiftVer", 100);
    h.expectMapping([](int x, int y) { return QPoint(x, y < 2 ? y + 1 : 2); });
}

TEST(FlipNode, OnePixelWideImage)
{
    FlipHarness line(1, 6);
    line.set("shiftHor", 100);
    line.set("shiftVer", 30); // floor(5 x 0.3) = 1
    line.expectMapping([](int, int y) { return QPoint(0, y < 1 ? 6 + y - 1 : 5 - y + 1); });
}

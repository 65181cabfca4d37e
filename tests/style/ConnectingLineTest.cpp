#include "style/ConnectingLine.h"
#include "style/ConnectingLineItem.h"
#include "style/KelStyleConfig.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPathStroker>
#include <QVariant>

namespace {

class ConnectingLineTest : public ::testing::Test
{
protected:
    void SetUp() override { KelStyleConfig::instance()->clear(); }
    void TearDown() override
    {
        KelStyleConfig::instance()->clear();
        ConnectingLine::setAntialiasing(true);
    }

    static ConnectingLine curve(QPointF b, QPointF e, bool topBottom = false, bool bump = false, bool straight = false)
    {
        ConnectingLine line(b, e, bump, straight);
        line.setTopBottom(topBottom);
        return line;
    }

    // Whether `point` lies on the stroke of `path` (within half a pixel).
    static bool onPath(QPainterPath const& path, QPointF point)
    {
        QPainterPathStroker stroker;
        stroker.setWidth(1.0);
        return stroker.createStroke(path).contains(point);
    }

    // The arrow path as its two strokes: tip, end of the first, end of the second.
    static void expectArrow(ConnectingLine const& line, QPointF tip, QPointF first, QPointF second)
    {
        QPainterPath const& arrow = line.arrowPath();
        ASSERT_EQ(arrow.elementCount(), 4);
        EXPECT_TRUE(arrow.elementAt(0).isMoveTo());
        EXPECT_EQ(QPointF(arrow.elementAt(0)), tip);
        EXPECT_EQ(QPointF(arrow.elementAt(1)), first);
        EXPECT_EQ(QPointF(arrow.elementAt(2)), tip);
        EXPECT_EQ(QPointF(arrow.elementAt(3)), second);
    }

    static constexpr double D = 0.49999999999999994 * 15.0 / 2.0; // arrow depth / 2
};

} // namespace

TEST_F(ConnectingLineTest, ConstructionBuildsNothingAndReadsTheAntialiasingKey)
{
    ConnectingLine::setAntialiasing(true);
    const ConnectingLine line(QPointF(0, 0), QPointF(100, 50), false, false);
    EXPECT_TRUE(line.linePath().isEmpty());
    EXPECT_TRUE(line.arrowPath().isEmpty());
    EXPECT_FALSE(ConnectingLine::getAntialiasing());

    KelStyleConfig::instance()->add(ConnectingLine::ID_TAG_ANTIALIASING, true);
    const ConnectingLine other;
    EXPECT_TRUE(ConnectingLine::getAntialiasing());
    EXPECT_EQ(other.begin(), QPointF(0, 0));
    EXPECT_EQ(other.arcRadius(), 20.0);
    EXPECT_EQ(other.arrowLength(), 15.0);
    EXPECT_FALSE(other.isTopBottom());

    // A copy carries the paths as they are.
    ConnectingLine built = curve(QPointF(0, 0), QPointF(100, 50));
    const ConnectingLine copy = built;
    EXPECT_EQ(copy.linePath(), built.linePath());
    EXPECT_EQ(copy.arrowPath(), built.arrowPath());
    const QVariant stored = QVariant::fromValue(built);
    EXPECT_EQ(stored.value<ConnectingLine>().linePath(), built.linePath());
}

TEST_F(ConnectingLineTest, LeftRightRouteTurnsOnALegBesideTheRightPoint)
{
    const ConnectingLine down = curve(QPointF(0, 0), QPointF(100, 50));
    QPainterPath const& path = down.linePath();
    EXPECT_EQ(path.elementAt(0).isMoveTo(), true);
    EXPECT_EQ(QPointF(path.elementAt(0)), QPointF(0, 0));
    EXPECT_EQ(path.currentPosition(), QPointF(100, 50));
    EXPECT_EQ(path.boundingRect(), QRectF(0, 0, 100, 50));
    // r = min(20, 50, 25): run to x 60, corner of radius 20, leg at x 80, corner into the point.
    EXPECT_TRUE(onPath(path, QPointF(59, 0)));
    EXPECT_TRUE(onPath(path, QPointF(60 + 14.142, 20 - 14.142)));
    EXPECT_TRUE(onPath(path, QPointF(80, 25)));
    EXPECT_TRUE(onPath(path, QPointF(100 - 14.142, 30 + 14.142)));
    EXPECT_FALSE(onPath(path, QPointF(50, 25)));
    EXPECT_FALSE(onPath(path, QPointF(80, 5)));

    const ConnectingLine up = curve(QPointF(0, 50), QPointF(100, 0));
    EXPECT_TRUE(onPath(up.linePath(), QPointF(59, 50)));
    EXPECT_TRUE(onPath(up.linePath(), QPointF(80, 25)));
    EXPECT_EQ(up.linePath().currentPosition(), QPointF(100, 0));

    // Small vertical distance: the corner radius shrinks to dy / 2.
    const ConnectingLine shallow = curve(QPointF(0, 0), QPointF(100, 10));
    EXPECT_TRUE(onPath(shallow.linePath(), QPointF(89, 0)));
    EXPECT_TRUE(onPath(shallow.linePath(), QPointF(95, 5)));

    // Level points: radius 0, a plain segment.
    const ConnectingLine level = curve(QPointF(0, 30), QPointF(100, 30));
    EXPECT_EQ(level.linePath().boundingRect(), QRectF(0, 30, 100, 0));
}

TEST_F(ConnectingLineTest, LeftRightFromTheRightGivesTheSamePathButAReversedArrow)
{
    const ConnectingLine forward = curve(QPointF(0, 0), QPointF(200, 20));
    const ConnectingLine backward = curve(QPointF(200, 20), QPointF(0, 0));
    EXPECT_EQ(forward.linePath(), backward.linePath());

    // dx > dy and dx > 4r: horizontal, on the first run at the middle x.
    expectArrow(forward, QPointF(100 + D, 0), QPointF(100 - D, 7.5), QPointF(100 - D, -7.5));
    expectArrow(backward, QPointF(100 - D, 0), QPointF(100 + D, 7.5), QPointF(100 + D, -7.5));
}

TEST_F(ConnectingLineTest, LeftRightArrowSitsOnTheLegWhenTheWireIsSteep)
{
    // dy >= dx: centre on the leg (right.x - r), vertical, pointing down.
    const ConnectingLine steep = curve(QPointF(0, 0), QPointF(40, 200));
    expectArrow(steep, QPointF(20, 100 + D), QPointF(12.5, 100 - D), QPointF(27.5, 100 - D));

    const ConnectingLine steepUp = curve(QPointF(40, 200), QPointF(0, 0));
    expectArrow(steepUp, QPointF(20, 100 - D), QPointF(12.5, 100 + D), QPointF(27.5, 100 + D));

    // Close to level (A >= dy): horizontal even on the leg.
    const ConnectingLine flat = curve(QPointF(0, 0), QPointF(10, 10));
    EXPECT_EQ(flat.arrowPath().elementAt(0).y, flat.arrowPath().elementAt(2).y);
}

TEST_F(ConnectingLineTest, TopBottomLevelRouteDipsOrArches)
{
    const ConnectingLine dip = curve(QPointF(0, 0), QPointF(100, 0), true, false);
    EXPECT_EQ(dip.linePath().boundingRect(), QRectF(0, 0, 100, 20));
    EXPECT_TRUE(onPath(dip.linePath(), QPointF(50, 20)));
    EXPECT_TRUE(onPath(dip.linePath(), QPointF(20 - 14.142, 14.142)));
    EXPECT_EQ(dip.linePath().currentPosition(), QPointF(100, 0));
    expectArrow(dip, QPointF(50 + D, 20), QPointF(50 - D, 27.5), QPointF(50 - D, 12.5));

    ConnectingLine arch = curve(QPointF(100, 0), QPointF(0, 0), true, true);
    EXPECT_EQ(arch.linePath().boundingRect(), QRectF(0, -20, 100, 20));
    EXPECT_TRUE(onPath(arch.linePath(), QPointF(50, -20)));
    expectArrow(arch, QPointF(50 - D, -20), QPointF(50 + D, -12.5), QPointF(50 + D, -27.5));

    // Slightly uneven points: the radii are R and R - dy.
    const ConnectingLine uneven = curve(QPointF(0, 0), QPointF(100, 5), true, false);
    EXPECT_TRUE(onPath(uneven.linePath(), QPointF(50, 20)));
    EXPECT_TRUE(onPath(uneven.linePath(), QPointF(100 - 15 + 10.607, 5 + 10.607)));
}

TEST_F(ConnectingLineTest, TopBottomZRouteCrossesAtMidHeight)
{
    // dy = 200, dx = 10: r = 5, vertical arrow at the midpoint since A > dx.
    const ConnectingLine tall = curve(QPointF(0, 0), QPointF(10, 200), true);
    QPainterPath const& path = tall.linePath();
    EXPECT_EQ(QPointF(path.elementAt(0)), QPointF(0, 0));
    EXPECT_EQ(path.currentPosition(), QPointF(10, 200));
    EXPECT_EQ(path.boundingRect(), QRectF(0, 0, 10, 200));
    EXPECT_TRUE(onPath(path, QPointF(0, 50)));
    EXPECT_TRUE(onPath(path, QPointF(5, 100)));
    EXPECT_TRUE(onPath(path, QPointF(10, 150)));
    expectArrow(tall, QPointF(5, 100 + D), QPointF(-2.5, 100 - D), QPointF(12.5, 100 - D));

    // Leftwards and upwards from begin: the path starts at the upper point.
    const ConnectingLine back = curve(QPointF(100, 200), QPointF(0, 0), true);
    EXPECT_EQ(QPointF(back.linePath().elementAt(0)), QPointF(0, 0));
    EXPECT_TRUE(onPath(back.linePath(), QPointF(50, 100)));
    EXPECT_TRUE(onPath(back.linePath(), QPointF(0, 70)));
    EXPECT_TRUE(onPath(back.linePath(), QPointF(100, 130)));
    // dx > A: horizontal, pointing left.
    expectArrow(back, QPointF(50 - D, 100), QPointF(50 + D, 107.5), QPointF(50 + D, 92.5));

    // Close horizontally (R > dx / 2) though level: still the Z route.
    const ConnectingLine close = curve(QPointF(0, 0), QPointF(30, 10), true);
    EXPECT_EQ(close.linePath().boundingRect(), QRectF(0, 0, 30, 10));
}

TEST_F(ConnectingLineTest, DegenerateAndStraightCurves)
{
    const ConnectingLine point = curve(QPointF(5, 5), QPointF(5, 5));
    EXPECT_EQ(point.linePath().boundingRect(), QRectF(5, 5, 0, 0));
    const ConnectingLine pointTB = curve(QPointF(5, 5), QPointF(5, 5), true);
    EXPECT_EQ(pointTB.linePath().boundingRect(), QRectF(5, 5, 0, 0));

    ConnectingLine straight(QPointF(0, 0), QPointF(100, 0), false, true);
    straight.setArcRadius(20);
    EXPECT_EQ(straight.linePath().elementCount(), 2);
    EXPECT_FALSE(straight.arrowPath().isEmpty());
    EXPECT_EQ(straight.path().boundingRect(), QRectF(0, 0, 100, 0));
    // Not straight: the arrow widens the shape.
    const ConnectingLine wired = curve(QPointF(0, 0), QPointF(100, 0));
    EXPECT_EQ(wired.path().boundingRect(), QRectF(0, -7.5, 100, 15));

    // Lengths that make no sense count as 0 instead of producing invalid geometry.
    ConnectingLine odd = curve(QPointF(0, 0), QPointF(100, 50));
    odd.setArcRadius(-5);
    odd.setArrowLength(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(odd.arcRadius(), 0.0);
    EXPECT_EQ(odd.arrowLength(), 0.0);
    EXPECT_EQ(odd.linePath().boundingRect(), QRectF(0, 0, 100, 50));
}

TEST_F(ConnectingLineTest, DrawPaintsTheTwoPensWithoutFillAndRestoresThePainter)
{
    ConnectingLine line = curve(QPointF(10, 10), QPointF(110, 70));
    line.setPenLine(QPen(QColor(255, 0, 0), 3));
    line.setPenArrow(QPen(QColor(0, 0, 255), 3));
    ConnectingLine::setAntialiasing(false);

    QImage image(130, 90, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPen pen(QColor(1, 2, 3), 7);
    painter.setPen(pen);
    painter.setBrush(Qt::green);
    line.draw(painter);
    EXPECT_EQ(painter.pen(), pen);
    EXPECT_EQ(painter.brush(), QBrush(Qt::green));
    EXPECT_TRUE(painter.testRenderHint(QPainter::Antialiasing));
    painter.end();

    const QRgb red = qRgb(255, 0, 0);
    const QRgb blue = qRgb(0, 0, 255);
    EXPECT_EQ(image.pixel(30, 10), red);  // first run
    EXPECT_EQ(image.pixel(90, 40), red);  // leg at 110 - 20
    EXPECT_EQ(image.pixel(110, 69), red); // into the end point
    // Arrowhead centred on the first run at x 60, pointing right.
    EXPECT_EQ(image.pixel(60, 14), blue);
    EXPECT_EQ(image.pixel(60, 6), blue);
    EXPECT_EQ(image.pixel(63, 10), blue);
    // No fill between the curve and its chord, nothing off the wire.
    EXPECT_EQ(image.pixel(85, 35), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(40, 50), qRgb(255, 255, 255));
}

TEST_F(ConnectingLineTest, AntialiasingFlagDecidesEdgePixels)
{
    auto render = [](bool antialiased) {
        ConnectingLine line(QPointF(0, 0), QPointF(0, 0), false, true);
        line.setLinePosition(QPointF(2, 3), QPointF(60, 40));
        line.setPenLine(QPen(Qt::black, 2));
        ConnectingLine::setAntialiasing(antialiased);
        QImage image(64, 44, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        line.draw(painter);
        painter.end();
        int greys = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                greys += (p != qRgb(0, 0, 0) && p != qRgb(255, 255, 255)) ? 1 : 0;
            }
        return greys;
    };
    EXPECT_EQ(render(false), 0);
    EXPECT_GT(render(true), 20);
}

TEST_F(ConnectingLineTest, ItemBoundsAndPaintsItsCurve)
{
    ConnectingLine line = curve(QPointF(10, 10), QPointF(60, 40));
    line.setPenLine(QPen(QColor(255, 0, 0), 3));
    ConnectingLineItem empty;
    EXPECT_TRUE(empty.boundingRect().isNull());

    ConnectingLineItem item(line);
    EXPECT_EQ(item.boundingRect(), line.path().boundingRect());
    item.setConnectingLine(curve(QPointF(0, 0), QPointF(20, 0)));
    EXPECT_EQ(item.boundingRect(), QRectF(0, -7.5, 20, 15));
    item.connectingLine().setEnd(QPointF(40, 0));
    EXPECT_EQ(item.boundingRect(), QRectF(0, -7.5, 40, 15));

    ConnectingLine::setAntialiasing(false);
    ConnectingLine red = curve(QPointF(2, 5), QPointF(40, 5));
    red.setPenLine(QPen(QColor(255, 0, 0), 1));
    item.setConnectingLine(red);
    QImage image(50, 12, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    item.paint(&painter, nullptr, nullptr);
    painter.end();
    EXPECT_EQ(image.pixel(10, 5), qRgb(255, 0, 0));
}

#include "style/ConnectingLine.h"
#include "style/ConnectingLineItem.h"
#include "style/KelStyleConfig.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPathStroker>

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

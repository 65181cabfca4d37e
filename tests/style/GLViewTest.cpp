#include "style/KelGLScene.h"
#include "style/KelGLWidget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include <climits>

namespace {

class CountingScene : public KelGLScene
{
public:
    explicit CountingScene(bool* destroyed)
        : m_destroyed(destroyed)
    {
    }
    ~CountingScene() override { *m_destroyed = true; }
    void draw() override {}

private:
    bool* m_destroyed;
};

// The definition itself: whole turns added or taken away one at a time.
int stepwise(long long angle)
{
    while (angle < 0)
        angle += 5760;
    while (angle > 5760)
        angle -= 5760;
    return int(angle);
}

void drag(KelGLWidget& widget, QPoint from, QPoint to, Qt::MouseButton button)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(from), QPointF(from), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(to), Qt::NoButton, button,
                     Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

TEST(GLViewTest, AnglesAreNormalisedToOneTurnInclusive)
{
    EXPECT_EQ(KelGLWidget::normalizedAngle(-16), 5744);
    EXPECT_EQ(KelGLWidget::normalizedAngle(0), 0);
    EXPECT_EQ(KelGLWidget::normalizedAngle(5760), 5760);
    EXPECT_EQ(KelGLWidget::normalizedAngle(5761), 1);
    EXPECT_EQ(KelGLWidget::normalizedAngle(-5760), 0);
    EXPECT_EQ(KelGLWidget::normalizedAngle(11520), 5760);
    for (int angle = -20000; angle <= 20000; angle += 7)
        ASSERT_EQ(KelGLWidget::normalizedAngle(angle), stepwise(angle)) << angle;
    for (int angle : {INT_MIN, INT_MIN + 1, INT_MAX, INT_MAX - 1})
        EXPECT_EQ(KelGLWidget::normalizedAngle(angle), stepwise(angle)) << angle;
}

TEST(GLViewTest, LeftDragTurnsAboutXAndYRightDragAboutXAndZ)
{
    KelGLWidget widget(nullptr);
    drag(widget, QPoint(100, 100), QPoint(110, 100), Qt::LeftButton);
    EXPECT_EQ(widget.yRotation(), 80);
    EXPECT_EQ(widget.xRotation(), 0);

    drag(widget, QPoint(50, 50), QPoint(47, 52), Qt::RightButton);
    EXPECT_EQ(widget.xRotation(), 16);
    EXPECT_EQ(widget.zRotation(), 5760 - 24);
    EXPECT_EQ(widget.yRotation(), 80);

    // A move without buttons (seen only while tracking) only follows the pointer.
    widget.setMouseTracking(true);
    QMouseEvent move(QEvent::MouseMove, QPointF(90, 90), QPointF(90, 90), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
    QMouseEvent next(QEvent::MouseMove, QPointF(91, 90), QPointF(91, 90), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &next);
    EXPECT_EQ(widget.yRotation(), 88);
}

} // namespace

#include "style/KelTitleBar.h"
#include "style/KelTitleBarButton.h"

#include "WidgetTestHelpers.h"

#include <gtest/gtest.h>

#include <QLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace WidgetTestHelpers;

namespace {

class TitleBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        store()->add(QStringLiteral("titleBarButtonNormal"), solidPixmap(16, 16, QColor(10, 10, 10)));
        store()->add(QStringLiteral("titleBarButtonHover"), solidPixmap(16, 16, QColor(20, 20, 20)));
        store()->add(QStringLiteral("titleBarButtonPressed"), solidPixmap(16, 16, QColor(30, 30, 30)));
    }
    void TearDown() override { store()->clear(); }
};

} // namespace

TEST_F(TitleBarTest, BarPaintsTopBorderGradientBodyAndDoubleBottomBorder)
{
    const QColor top(200, 0, 0);
    const QColor from(0, 100, 0);
    const QColor to(0, 0, 100);
    const QColor bottom(0, 0, 250);
    store()->add(QStringLiteral("KelTitleBar.borderTopPen"), pen(top));
    store()->add(QStringLiteral("KelTitleBar.backgroundGradient"), gradient(from, to));
    store()->add(QStringLiteral("KelTitleBar.borderBottomPen"), pen(bottom));

    QWidget parent;
    KelTitleBar bar(&parent);
    bar.resize(200, 27);
    const QImage image = renderWidget(bar);

    for (int x : {0, 100, 199}) {
        EXPECT_EQ(pixel(image, x, 0), top) << x;
        EXPECT_EQ(pixel(image, x, 25), bottom) << x;
        EXPECT_EQ(pixel(image, x, 26), bottom) << x;
    }
    // The gradient runs from row 1 to row h - 3.
    const QColor first = pixel(image, 50, 1);
    const QColor last = pixel(image, 50, 24);
    EXPECT_LE(std::abs(first.green() - from.green()), 6);
    EXPECT_LE(std::abs(last.blue() - to.blue()), 6);
    EXPECT_GT(pixel(image, 50, 12).blue(), 30);
    EXPECT_GT(pixel(image, 50, 12).green(), 30);
}

TEST_F(TitleBarTest, ReleaseFarOutsideAfterPressStillClicks)
{
    QWidget parent;
    KelTitleBarButton button(QStringLiteral("titleBarClose"), &parent);
    button.setGeometry(10, 10, 16, 16);
    parent.resize(300, 300);
    parent.show();
    QSignalSpy clicked(&button, &QAbstractButton::clicked);

    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(button.isDown());
    QMouseEvent move(QEvent::MouseMove, QPointF(250, 250), button.mapToGlobal(QPointF(250, 250)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &move);
    EXPECT_TRUE(button.isDown());
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(250, 250));
    EXPECT_EQ(clicked.count(), 1);
}

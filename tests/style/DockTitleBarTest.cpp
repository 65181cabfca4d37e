#include "style/DockWidgetTitleBar.h"
#include "style/KelTitleBarButton.h"

#include "WidgetTestHelpers.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QDockWidget>
#include <QMainWindow>
#include <QMouseEvent>

using namespace WidgetTestHelpers;

namespace {

const int CLOSE = Qt::WindowCloseButtonHint;
const int MAXIMIZE = Qt::WindowMaximizeButtonHint;
const int MINIMIZE = Qt::WindowMinimizeButtonHint;
const int HELP = Qt::WindowContextHelpButtonHint;

class DockTitleBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        store()->add(QStringLiteral("titleBarButtonNormal"), solidPixmap(16, 16, Qt::gray));
    }
    void TearDown() override { store()->clear(); }

    // A plain child of `parent` sized like a title bar.
    static QWidget* barOf(QWidget* parent, int w = 100, int h = 25)
    {
        auto* bar = new QWidget(parent);
        bar->resize(w, h);
        return bar;
    }

    static int slotOf(const QWidget* bar, int button)
    {
        const QRect r = titleBarButtonRect(bar, button);
        if (r.isNull())
            return -1;
        for (int slot = 0; slot < 4; ++slot) {
            if (titleBarButtonRectFromPos(bar, slot) == r)
                return slot;
        }
        return -2;
    }
};

} // namespace

TEST_F(DockTitleBarTest, SlotGeometryFollowsPixmapSizeFromTheRightEdge)
{
    QWidget window;
    QWidget* bar = barOf(&window);
    // (25 - 16) / 2 = 4.5 rounds up to 5.
    EXPECT_EQ(titleBarButtonRectFromPos(bar, 0), QRect(79, 5, 16, 16));
    EXPECT_EQ(titleBarButtonRectFromPos(bar, 1), QRect(57, 5, 16, 16));
    EXPECT_EQ(titleBarButtonRectFromPos(bar, 2), QRect(35, 5, 16, 16));

    // A sixth of the top margin moves the buttons left: top 12 takes 2 more pixels.
    bar->resize(100, 40);
    EXPECT_EQ(titleBarButtonRectFromPos(bar, 0), QRect(77, 12, 16, 16));

    // Halves round up also below zero: (11 - 16) / 2 = -2.5 gives -2.
    bar->resize(100, 11);
    EXPECT_EQ(titleBarButtonRectFromPos(bar, 0).top(), -2);
}

TEST_F(DockTitleBarTest, DockWidgetHasCloseAndMaximiseOnlyDockedOrFloating)
{
    QDockWidget dock;
    QWidget* bar = barOf(&dock);
    for (bool floating : {false, true}) {
        dock.setFloating(floating);
        EXPECT_EQ(slotOf(bar, CLOSE), 0) << floating;
        EXPECT_EQ(slotOf(bar, MAXIMIZE), 1) << floating;
        EXPECT_EQ(slotOf(bar, MINIMIZE), -1) << floating;
        EXPECT_EQ(slotOf(bar, HELP), -1) << floating;
    }
}

TEST_F(DockTitleBarTest, BarWithoutParentHasNoButtonsNoTitleAndNoDrag)
{
    const QColor font(255, 0, 0);
    store()->add(QStringLiteral("DockWidgetTitleBar.floating.fontColor"), font);
    store()->add(QStringLiteral("DockWidgetTitleBar.floating.backgroundGradient"),
                 gradient(QColor(40, 40, 40), QColor(60, 60, 60)));

    DockWidgetTitleBar bar(nullptr);
    bar.setWindowTitle(QStringLiteral("WWWWWWWWWW"));
    bar.move(10, 10);
    bar.resize(200, 25);
    for (KelTitleBarButton* button :
         {bar.buttonClose(), bar.buttonRestore(), bar.buttonMinimize(), bar.buttonHelp()})
        EXPECT_TRUE(button->isHidden());

    const QImage image = renderWidget(bar);
    bool anyFontPixel = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            anyFontPixel = anyFontPixel || pixel(image, x, y).red() > 150;
    }
    EXPECT_FALSE(anyFontPixel);
    EXPECT_EQ(pixel(image, 100, 0), QColor(40, 40, 40));

    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 5), QPointF(20, 15), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 45), QPointF(160, 145), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &move);
    EXPECT_EQ(bar.pos(), QPoint(10, 10));

    // The buttons act on nothing.
    bar.buttonClose()->click();
    bar.buttonRestore()->click();

    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(15, 15));
    QApplication::sendEvent(&bar, &menuEvent);
    EXPECT_FALSE(menuEvent.isAccepted());
}

TEST_F(DockTitleBarTest, DockedLookPaintsBordersArrowAndTitle)
{
    store()->add(QStringLiteral("DockWidgetTitleBar.backgroundColor"), QColor(50, 50, 50));
    store()->add(QStringLiteral("DockWidgetTitleBar.bottomBorderColor"), QColor(10, 10, 10));
    store()->add(QStringLiteral("DockWidgetTitleBar.bottomBorderColor2"), QColor(90, 90, 90));
    store()->add(QStringLiteral("DockWidgetTitleBar.backgroundGradient"),
                 gradient(QColor(70, 70, 70), QColor(70, 70, 70)));
    store()->add(QStringLiteral("DockWidgetTitleBar.fontColor"), QColor(0, 255, 0));
    store()->add(QStringLiteral("doubleArrowRight"), solidPixmap(8, 8, QColor(0, 0, 255)));
    store()->add(QStringLiteral("doubleArrowLeft"), solidPixmap(8, 8, QColor(255, 0, 255)));

    QMainWindow main;
    auto* dock = new QDockWidget(QStringLiteral("WWWWWWWW"), &main);
    main.addDockWidget(Qt::LeftDockWidgetArea, dock);
    auto* bar = new DockWidgetTitleBar(dock);
    bar->resize(200, 20);

    QImage image = renderWidget(*bar);
    EXPECT_EQ(pixel(image, 0, 5), QColor(50, 50, 50));
    EXPECT_EQ(pixel(image, 100, 18), QColor(10, 10, 10));
    EXPECT_EQ(pixel(image, 100, 19), QColor(90, 90, 90));
    EXPECT_EQ(pixel(image, 199, 19), QColor(50, 50, 50)); // the border lines stop at w - 2
    EXPECT_EQ(pixel(image, 1, 1), QColor(70, 70, 70));
    // Arrow: left (26 - 8) / 2 = 9, top (20 - 8) / 2 - 1 = 5.
    EXPECT_EQ(pixel(image, 9, 5), QColor(0, 0, 255));
    EXPECT_EQ(pixel(image, 16, 12), QColor(0, 0, 255));
    EXPECT_EQ(pixel(image, 8, 5), QColor(70, 70, 70));
    int titlePixels = 0;
    for (int y = 0; y < 18; ++y) {
        for (int x = 26; x < 192; ++x)
            titlePixels += pixel(image, x, y).green() > 150 ? 1 : 0;
    }
    EXPECT_GT(titlePixels, 20);

    // The property mirrors the arrow to the right side.
    dock->setProperty("doubleArrowOnRightSide", true);
    image = renderWidget(*bar);
    EXPECT_EQ(pixel(image, 200 - 1 - 9, 5), QColor(255, 0, 255));
    EXPECT_NE(pixel(image, 9, 5), QColor(0, 0, 255));
}

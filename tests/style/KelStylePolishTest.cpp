#include "style/KelStyle.h"
#include "style/KelToolBox.h"
#include "style/KelToolBoxButton.h"

#include "KelStyleTestSupport.h"

#include <gtest/gtest.h>

#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QScrollArea>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>

using namespace KelStyleTest;

namespace {

const QColor kWindow(10, 11, 12);
const QColor kScrollChildWindow(13, 14, 15);
const QColor kWindowText(200, 201, 202);
const QColor kDisabledWindowText(100, 101, 102);
const QColor kScrollBase(20, 21, 22);
const QColor kScrollText(220, 221, 222);
const QColor kItemBase(30, 31, 32);
const QColor kPolishItemText(230, 231, 232);
const QColor kLabelText(180, 181, 182);
const QColor kFrameText(170, 171, 172);

class KelStylePolishTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        store()->add(QStringLiteral("AppPalette.active.windowColor"), kWindow);
        store()->add(QStringLiteral("AppPalette.scrollareaChild.windowColor"), kScrollChildWindow);
        store()->add(QStringLiteral("AppPalette.active.windowTextColor"), kWindowText);
        store()->add(QStringLiteral("AppPalette.disabled.windowTextColor"), kDisabledWindowText);
        store()->add(QStringLiteral("AppPalette.active.highlightedColor"), QColor(40, 90, 160));
        store()->add(QStringLiteral("AppPalette.ScrollArea.baseColor"), kScrollBase);
        store()->add(QStringLiteral("AppPalette.ScrollArea.textColor"), kScrollText);
        store()->add(QStringLiteral("AppPalette.ItemView.baseColor"), kItemBase);
        store()->add(QStringLiteral("AppPalette.ItemView.textColor"), kPolishItemText);
        store()->add(QStringLiteral("AppPalette.Label.windowTextColor"), kLabelText);
        store()->add(QStringLiteral("AppPalette.Frame.windowTextColor"), kFrameText);
        store()->add(QStringLiteral("AppPalette.SpinBox.textColor"), QColor(1, 2, 3));
        store()->add(QStringLiteral("AppPalette.MenuBar.buttonTextColor"), QColor(4, 5, 6));
        store()->add(QStringLiteral("AppPalette.MenuBar.buttonColor"), QColor(7, 8, 9));
        store()->add(QStringLiteral("AppPalette.ToolBarButton.buttonTextColor"), QColor(50, 51, 52));
        store()->add(QStringLiteral("AppPalette.ToolButton.buttonTextColor"), QColor(60, 61, 62));
        store()->add(QStringLiteral("AppPalette.ToolTip.textColor"), QColor(70, 71, 72));
    }
    void TearDown() override { store()->clear(); }

    static QColor role(const QWidget& w, QPalette::ColorRole r,
                       QPalette::ColorGroup g = QPalette::Active)
    {
        return w.palette().color(g, r);
    }

    KelStyle style;
};

TEST_F(KelStylePolishTest, FirstMatchingClassDecides)
{
    QLabel label;
    style.polish(&label);
    EXPECT_EQ(role(label, QPalette::WindowText), kLabelText);

    QFrame frame;
    style.polish(&frame);
    EXPECT_EQ(role(frame, QPalette::WindowText), kFrameText);

    QTreeView view;
    style.polish(&view);
    EXPECT_EQ(role(view, QPalette::Base), kItemBase);
    EXPECT_EQ(role(view, QPalette::Text), kPolishItemText);

    QScrollArea area;
    style.polish(&area);
    EXPECT_EQ(role(area, QPalette::Base), kScrollBase);
}

TEST_F(KelStylePolishTest, MenuBarTabBarAndToolButtons)
{
    QMenuBar bar;
    style.polish(&bar);
    EXPECT_TRUE(bar.testAttribute(Qt::WA_NoSystemBackground));
    EXPECT_TRUE(bar.hasMouseTracking());
    EXPECT_EQ(bar.font().pixelSize(), 12);
    EXPECT_DOUBLE_EQ(bar.font().letterSpacing(), 1.0);
    EXPECT_EQ(role(bar, QPalette::ButtonText), QColor(4, 5, 6));
    EXPECT_EQ(role(bar, QPalette::Button), QColor(7, 8, 9));

    QTabBar tabs;
    style.polish(&tabs);
    EXPECT_EQ(tabs.font().pixelSize(), 12);
    EXPECT_EQ(tabs.font().weight(), QFont::Bold);
    EXPECT_TRUE(tabs.hasMouseTracking());

    QToolBar toolBar;
    auto* inBar = new QToolButton(&toolBar);
    style.polish(inBar);
    EXPECT_EQ(role(*inBar, QPalette::ButtonText), QColor(50, 51, 52));
    QToolButton loose;
    style.polish(&loose);
    EXPECT_EQ(role(loose, QPalette::ButtonText), QColor(60, 61, 62));
    EXPECT_TRUE(loose.hasMouseTracking());
}

TEST_F(KelStylePolishTest, MainWindowGetsATopToolBarWithASpacerPerPolish)
{
    style.setCornerPixmap(solidPixmap(40, 20, Qt::blue));
    QMainWindow window;
    EXPECT_TRUE(window.findChildren<QToolBar*>().isEmpty());

    style.polish(&window);
    const QList<QToolBar*> toolBars = window.findChildren<QToolBar*>();
    ASSERT_EQ(toolBars.size(), 1);
    QToolBar* top = toolBars.first();
    EXPECT_EQ(window.toolBarArea(top), Qt::TopToolBarArea);
    EXPECT_FALSE(top->isMovable());
    EXPECT_EQ(top->toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_EQ(top->minimumHeight(), 44);
    EXPECT_EQ(top->maximumHeight(), 44);
    ASSERT_EQ(top->actions().size(), 1);
    QWidget* first = top->widgetForAction(top->actions().first());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->minimumSize(), QSize(50, 30));

    // A new corner pixmap does not resize what was polished before; each polish adds a spacer.
    style.setCornerPixmap(solidPixmap(80, 40, Qt::blue));
    EXPECT_EQ(first->minimumSize(), QSize(50, 30));
    style.polish(&window);
    EXPECT_EQ(window.findChildren<QToolBar*>().size(), 1);
    ASSERT_EQ(top->actions().size(), 2);
    EXPECT_EQ(top->widgetForAction(top->actions().first())->minimumSize(), QSize(90, 50));
}

} // namespace

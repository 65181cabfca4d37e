#include "mainwindow/PseudoDockWidget.h"
#include "mainwindow/PseudoDockWidgetArea.h"
#include "style/KelStyleConfig.h"
#include "style/RealStyleFile.h"

#include <QLabel>
#include <QMainWindow>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

TEST(PseudoDockTest, ContentSitsBelowTheTitleStripAndFollowsResizes)
{
    PseudoDockWidget dock;
    dock.resize(300, 200);
    dock.show();
    auto* first = new QLabel(QStringLiteral("first"));
    dock.setWidget(first);
    EXPECT_EQ(first->parentWidget(), &dock);
    EXPECT_EQ(first->geometry(), QRect(0, 22, 300, 178));
    dock.resize(500, 100);
    EXPECT_EQ(first->geometry(), QRect(0, 22, 500, 78));

    // A new content widget replaces the old one, which is hidden and let go.
    QLabel second(QStringLiteral("second"));
    dock.setWidget(&second);
    EXPECT_EQ(first->parentWidget(), nullptr);
    EXPECT_TRUE(first->isHidden());
    EXPECT_EQ(second.geometry(), QRect(0, 22, 500, 78));
    delete first;

    // Content destroyed elsewhere: the dock holds nothing and takes a new one later.
    auto* third = new QLabel;
    dock.setWidget(third);
    second.setParent(nullptr);
    delete third;
    EXPECT_EQ(dock.widget(), nullptr);
    dock.resize(400, 100);
    QLabel fourth;
    dock.setWidget(&fourth);
    EXPECT_EQ(fourth.geometry(), QRect(0, 22, 400, 78));
    dock.setWidget(nullptr);
}

TEST(PseudoDockTest, AreaAppendsDocksInCallOrderAndRemovesThemUnparented)
{
    PseudoDockWidgetArea area(Qt::Vertical, nullptr);
    EXPECT_EQ(area.splitter()->orientation(), Qt::Vertical);
    auto* a = new PseudoDockWidget;
    auto* b = new PseudoDockWidget;
    area.addDockWidget(Qt::RightDockWidgetArea, a, Qt::Horizontal);
    area.addDockWidget(Qt::LeftDockWidgetArea, b, Qt::Vertical);
    ASSERT_EQ(area.splitter()->count(), 2);
    EXPECT_EQ(area.splitter()->widget(0), a);
    EXPECT_EQ(area.splitter()->widget(1), b);
    area.removeDockWidget(a);
    EXPECT_EQ(a->parentWidget(), nullptr);
    EXPECT_TRUE(a->isHidden());
    EXPECT_EQ(area.splitter()->count(), 1);
    delete a;
    EXPECT_EQ(PseudoDockWidgetArea(nullptr).splitter()->orientation(), Qt::Horizontal);
}

TEST(PseudoDockTest, StripStartsOnePixelHigherRightBelowAToolBar)
{
    KelStyleConfig* style = KelStyleConfig::instance();
    style->add(QStringLiteral("TwPseudoDockWidget.backgroundColor"), QColor(Qt::red));
    QLinearGradient gradient;
    gradient.setColorAt(0, Qt::blue);
    gradient.setColorAt(1, Qt::blue);
    style->add(QStringLiteral("TwPseudoDockWidget.backgroundGradient"), QVariant::fromValue(gradient));

    QMainWindow window;
    window.addToolBar(QStringLiteral("tools"))->addAction(QStringLiteral("x"));
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    auto* underBar = new PseudoDockWidget;
    auto* lower = new PseudoDockWidget;
    layout->addWidget(underBar);
    layout->addWidget(lower);
    window.setCentralWidget(central);
    window.resize(400, 300);
    window.show();

    // Row 0 is the gradient below the tool bar, the plain background colour elsewhere.
    EXPECT_EQ(underBar->grab().toImage().pixel(5, 0), QColor(Qt::blue).rgb());
    EXPECT_EQ(lower->grab().toImage().pixel(5, 0), QColor(Qt::red).rgb());
    EXPECT_EQ(lower->grab().toImage().pixel(5, 1), QColor(Qt::blue).rgb());
    RealStyleFile::load();
}

} // namespace

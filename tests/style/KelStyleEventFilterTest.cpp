#include "style/KelStyle.h"
#include "style/DockWidgetTitleBar.h"
#include "style/KelToolBox.h"
#include "style/TitleBarButtonRect.h"

#include "KelStyleTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QDockWidget>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPen>
#include <QScreen>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <memory>

using namespace KelStyleTest;

namespace {

class TabHost : public QWidget
{
    Q_OBJECT

public:
    int requests = 0;

public slots:
    void addTabRequested() { ++requests; }
};

class ClosingWindow : public QWidget
{
public:
    int closes = 0;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++closes;
        QWidget::closeEvent(event);
    }
};

bool sendMouse(QWidget* widget, QEvent::Type type, const QPoint& pos,
               Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons buttons = Qt::NoButton)
{
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
        buttons |= button;
    QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    return QApplication::sendEvent(widget, &event) && event.isAccepted();
}

// Closes whatever pop-up is still open, so that a wrongly opened menu cannot hang a test.
void closePopupsSoon()
{
    QTimer::singleShot(500, [] {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
}

QRect screenGeometry()
{
    return QGuiApplication::primaryScreen()->geometry();
}

class KelStyleEventFilterTest : public ::testing::Test
{
protected:
    void SetUp() override { store()->clear(); }
    void TearDown() override
    {
        QCursor::setPos(QPoint(0, 0));
        store()->clear();
    }

    KelStyle style;
};

struct TabFixture
{
    TabHost host;
    QTabBar* tabBar;
    QRect strip;

    explicit TabFixture(KelStyle& style)
    {
        host.setProperty("addTabButtonVisible", true);
        host.resize(500, 40);
        tabBar = new QTabBar(&host);
        tabBar->addTab(QStringLiteral("First"));
        tabBar->addTab(QStringLiteral("Second"));
        tabBar->setGeometry(0, 0, 500, 30);
        tabBar->installEventFilter(&style);
        strip = addTabButtonRect(tabBar);
    }

    void pointAt(const QPoint& local) { QCursor::setPos(tabBar->mapToGlobal(local)); }
};

TEST_F(KelStyleEventFilterTest, ClickOnTheAddTabButtonRequestsATabOnce)
{
    TabFixture f(style);
    ASSERT_FALSE(f.strip.isNull());
    const QPoint centre = f.strip.center();
    f.pointAt(centre);

    sendMouse(f.tabBar, QEvent::MouseButtonPress, centre);
    EXPECT_EQ(f.host.requests, 0);
    sendMouse(f.tabBar, QEvent::MouseButtonRelease, centre);
    EXPECT_EQ(f.host.requests, 1);

    // A double click never reaches the tab bar and requests nothing by itself.
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(centre),
                    QPointF(f.tabBar->mapToGlobal(centre)), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    EXPECT_TRUE(style.eventFilter(f.tabBar, &dbl));
    EXPECT_EQ(f.host.requests, 1);

    // A release with no press before it requests nothing either.
    sendMouse(f.tabBar, QEvent::MouseButtonRelease, centre);
    EXPECT_EQ(f.host.requests, 1);
}

TEST_F(KelStyleEventFilterTest, PressInTheButtonThenReleaseOutsideRequestsNothing)
{
    TabFixture f(style);
    const QPoint centre = f.strip.center();
    f.pointAt(centre);
    sendMouse(f.tabBar, QEvent::MouseButtonPress, centre);

    const QPoint outside = f.tabBar->tabRect(0).center();
    f.pointAt(outside);
    sendMouse(f.tabBar, QEvent::MouseButtonRelease, outside);
    // The release elsewhere ended the gesture: a later release over the button does nothing.
    f.pointAt(centre);
    sendMouse(f.tabBar, QEvent::MouseButtonRelease, centre);
    EXPECT_EQ(f.host.requests, 0);
}

TEST_F(KelStyleEventFilterTest, RightClickOnTheAddTabButtonIsSwallowed)
{
    TabFixture f(style);
    const QPoint centre = f.strip.center();
    f.pointAt(centre);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(centre),
                      QPointF(f.tabBar->mapToGlobal(centre)), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    EXPECT_TRUE(style.eventFilter(f.tabBar, &press));
    sendMouse(f.tabBar, QEvent::MouseButtonRelease, centre, Qt::RightButton);
    EXPECT_EQ(f.host.requests, 0);

    // Without the property the strip is an ordinary part of the tab.
    f.host.setProperty("addTabButtonVisible", false);
    QMouseEvent again(QEvent::MouseButtonPress, QPointF(centre),
                      QPointF(f.tabBar->mapToGlobal(centre)), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    EXPECT_FALSE(style.eventFilter(f.tabBar, &again));
}

struct HeaderFixture
{
    QStandardItemModel model{2, 3};
    QTableView view;

    explicit HeaderFixture(KelStyle& style)
    {
        model.setHorizontalHeaderLabels(
            {QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Date")});
        view.setModel(&model);
        view.resize(400, 200);
        view.horizontalHeader()->viewport()->installEventFilter(&style);
        view.verticalHeader()->viewport()->installEventFilter(&style);
        view.show();
    }
    QHeaderView* header() { return view.horizontalHeader(); }
};

TEST_F(KelStyleEventFilterTest, ColumnMenuListsAllButTheFirstColumnAndToggles)
{
    HeaderFixture f(style);
    QHeaderView* header = f.header();
    const QPoint press(header->sectionViewportPosition(1) + header->sectionSize(1) - 5,
                       header->height() / 2);

    QStringList texts;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                texts << action->text();
        }
        for (QAction* action : menu->actions()) {
            if (action->text() == QStringLiteral("Date"))
                menu->setActiveAction(action);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
    closePopupsSoon();
    EXPECT_TRUE(sendMouse(header->viewport(), QEvent::MouseButtonPress, press));
    EXPECT_EQ(texts, QStringList({QStringLiteral("Size"), QStringLiteral("Date")}));
    EXPECT_TRUE(header->isSectionHidden(2));
    EXPECT_FALSE(header->isSectionHidden(1));
}

TEST_F(KelStyleEventFilterTest, ColumnMenuNeedsTheLast20PixelsOfAHorizontalSection)
{
    HeaderFixture f(style);
    QHeaderView* header = f.header();
    closePopupsSoon();

    const QPoint early(header->sectionViewportPosition(1) + header->sectionSize(1) - 25,
                       header->height() / 2);
    QMouseEvent pressEarly(QEvent::MouseButtonPress, QPointF(early), QPointF(early),
                           Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(style.eventFilter(header->viewport(), &pressEarly));

    QHeaderView* vertical = f.view.verticalHeader();
    const QPoint bottom(vertical->width() / 2,
                        vertical->sectionViewportPosition(0) + vertical->sectionSize(0) - 3);
    QMouseEvent pressVertical(QEvent::MouseButtonPress, QPointF(bottom), QPointF(bottom),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(style.eventFilter(vertical->viewport(), &pressVertical));
}

TEST_F(KelStyleEventFilterTest, RollOutMenuOpensUnderTheRightEndOfItsItem)
{
    QWidget window;
    window.setGeometry(100, 100, 400, 200);
    auto* bar = new QMenuBar(&window);
    bar->setGeometry(0, 0, 400, 30);
    QMenu* rollOut = bar->addMenu(QStringLiteral("{Effects}"));
    rollOut->addAction(QStringLiteral("Blur"));
    QMenu* plain = bar->addMenu(QStringLiteral("{Plain"));
    plain->addAction(QStringLiteral("Sharpen"));
    rollOut->installEventFilter(&style);
    plain->installEventFilter(&style);
    window.show();

    const QRect item = bar->actionGeometry(rollOut->menuAction());
    rollOut->popup(QPoint(0, 0));
    const QRect screen = screenGeometry();
    const QSize size = rollOut->sizeHint();
    QPoint expected = bar->mapToGlobal(QPoint(item.right() - 25, item.bottom()));
    expected.setX(qMin(expected.x() + size.width(), screen.right()) - size.width());
    EXPECT_EQ(rollOut->pos(), expected);
    rollOut->close();

    // A title without its closing brace is left where Qt puts it.
    plain->popup(QPoint(150, 160));
    EXPECT_EQ(plain->pos(), QPoint(150, 160));
    plain->close();
}

TEST_F(KelStyleEventFilterTest, RollOutMenuNeverLeavesTheScreenOnTheRight)
{
    const QRect screen = screenGeometry();
    QWidget window;
    window.setGeometry(screen.right() - 120, 100, 120, 100);
    auto* bar = new QMenuBar(&window);
    bar->setGeometry(0, 0, 120, 30);
    QMenu* rollOut = bar->addMenu(QStringLiteral("{Effects}"));
    rollOut->addAction(QStringLiteral("A rather long entry of the roll-out"));
    rollOut->installEventFilter(&style);
    window.show();

    rollOut->popup(QPoint(0, 0));
    EXPECT_EQ(rollOut->pos().x() + rollOut->sizeHint().width(), screen.right());
    rollOut->close();
}

TEST_F(KelStyleEventFilterTest, RollOutToolButtonPlacesItsMenuAndShowsItsTooltip)
{
    QWidget panel;
    panel.setGeometry(50, 50, 300, 200);
    auto* button = new QToolButton(&panel);
    button->setText(QStringLiteral("{Tools}"));
    button->setGeometry(100, 40, 60, 24);
    auto* menu = new QMenu(&panel);
    menu->addAction(QStringLiteral("Brush"));
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->installEventFilter(&style);
    menu->installEventFilter(&style);
    panel.show();

    QPoint shownAt(-1, -1);
    QTimer::singleShot(0, [&] {
        shownAt = menu->pos();
        menu->close();
    });
    closePopupsSoon();
    sendMouse(button, QEvent::MouseButtonPress, QPoint(10, 10));

    const QRect rect = button->geometry().adjusted(0, 0, 6, 0);
    EXPECT_EQ(shownAt, panel.mapToGlobal(QPoint(rect.right() - 25, rect.bottom())));

    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    EXPECT_TRUE(style.eventFilter(button, &help));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Tools"));
    QToolTip::hideText();

    button->setText(QStringLiteral("Tools"));
    EXPECT_FALSE(style.eventFilter(button, &help));
}

struct TitleBarFixture
{
    ClosingWindow window;
    QMenuBar* bar;

    explicit TitleBarFixture(KelStyle& style)
    {
        addPixmap(QStringLiteral("titleBarButtonNormal"), 16, 16);
        window.setGeometry(100, 100, 400, 300);
        bar = new QMenuBar(&window);
        bar->setGeometry(0, 0, 400, 30);
        bar->addAction(QStringLiteral("File"));
        bar->installEventFilter(&style);
        window.show();
    }

    QPoint centreOf(int hint) const { return titleBarButtonRect(bar, hint).center(); }
};

TEST_F(KelStyleEventFilterTest, TitleBarButtonsActOnReleaseOverThePressedButton)
{
    TitleBarFixture f(style);
    const QPoint maximize = f.centreOf(Qt::WindowMaximizeButtonHint);
    const QPoint close = f.centreOf(Qt::WindowCloseButtonHint);
    ASSERT_FALSE(titleBarButtonRect(f.bar, Qt::WindowMaximizeButtonHint).isNull());

    sendMouse(f.bar, QEvent::MouseButtonPress, maximize);
    sendMouse(f.bar, QEvent::MouseButtonRelease, maximize);
    EXPECT_TRUE(f.window.isMaximized());
    sendMouse(f.bar, QEvent::MouseButtonPress, maximize);
    sendMouse(f.bar, QEvent::MouseButtonRelease, maximize);
    EXPECT_FALSE(f.window.isMaximized());

    // Released over another button than the pressed one: nothing happens.
    sendMouse(f.bar, QEvent::MouseButtonPress, close);
    sendMouse(f.bar, QEvent::MouseButtonRelease, maximize);
    EXPECT_FALSE(f.window.isMaximized());
    EXPECT_EQ(f.window.closes, 0);

    sendMouse(f.bar, QEvent::MouseButtonPress, close);
    sendMouse(f.bar, QEvent::MouseButtonRelease, close);
    EXPECT_EQ(f.window.closes, 1);
    EXPECT_FALSE(f.window.isVisible());
}

TEST_F(KelStyleEventFilterTest, DraggingTheMenuBarMovesItsWindow)
{
    TitleBarFixture f(style);
    const QPoint start(200, 12);
    ASSERT_EQ(f.bar->actionAt(start), nullptr);
    sendMouse(f.bar, QEvent::MouseButtonPress, start);

    const QPoint to(230, 20);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(f.bar->mapToGlobal(to)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    const QPoint global = f.bar->mapToGlobal(to);
    EXPECT_TRUE(style.eventFilter(f.bar, &move));
    EXPECT_EQ(f.window.pos(), global - start);

    // After the release moves no longer drag.
    sendMouse(f.bar, QEvent::MouseButtonRelease, to);
    const QPoint before = f.window.pos();
    QMouseEvent later(QEvent::MouseMove, QPointF(start), QPointF(f.bar->mapToGlobal(start)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(style.eventFilter(f.bar, &later));
    EXPECT_EQ(f.window.pos(), before);
}

TEST_F(KelStyleEventFilterTest, PressOnATitleBarButtonDoesNotDrag)
{
    TitleBarFixture f(style);
    const QPoint minimize = f.centreOf(Qt::WindowMinimizeButtonHint);
    sendMouse(f.bar, QEvent::MouseButtonPress, minimize);
    const QPoint before = f.window.pos();
    QMouseEvent move(QEvent::MouseMove, QPointF(minimize + QPoint(-40, 3)),
                     QPointF(f.bar->mapToGlobal(minimize + QPoint(-40, 3))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(style.eventFilter(f.bar, &move));
    EXPECT_EQ(f.window.pos(), before);
}

TEST_F(KelStyleEventFilterTest, MenuBarWithoutParentNeitherDragsNorCrashes)
{
    addPixmap(QStringLiteral("titleBarButtonNormal"), 16, 16);
    QMenuBar bar;
    bar.resize(300, 30);
    bar.installEventFilter(&style);
    const QPoint start(150, 10);
    sendMouse(&bar, QEvent::MouseButtonPress, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(170, 15), QPointF(bar.mapToGlobal(QPoint(170, 15))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(style.eventFilter(&bar, &move));
    const QPoint corner(295, 15);
    sendMouse(&bar, QEvent::MouseButtonPress, corner);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(corner),
                        QPointF(bar.mapToGlobal(corner)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    EXPECT_FALSE(style.eventFilter(&bar, &release));
}

QVariant solidGradient(const QColor& color)
{
    QLinearGradient gradient;
    gradient.setColorAt(0.0, color);
    gradient.setColorAt(1.0, color);
    return QVariant::fromValue(gradient);
}

QColor at(const QPixmap& grabbed, int x, int y)
{
    return grabbed.toImage().pixelColor(x, y);
}

TEST_F(KelStyleEventFilterTest, DialogFrameAndTitleBarPlacement)
{
    store()->add(QStringLiteral("Dialog.borderColor"), QColor(255, 0, 0));
    store()->add(QStringLiteral("Dialog.borderColor2"), QColor(0, 255, 0));
    QDialog dialog;
    QPalette palette = dialog.palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 255));
    dialog.setPalette(palette);
    auto* titleBar = new DockWidgetTitleBar(&dialog);
    dialog.installEventFilter(&style);
    dialog.resize(60, 50);
    QResizeEvent resize(QSize(60, 50), QSize(10, 10));
    QApplication::sendEvent(&dialog, &resize);
    EXPECT_EQ(titleBar->geometry(), QRect(3, 3, 54, 25));

    titleBar->hide();
    const QPixmap grabbed = dialog.grab();
    EXPECT_EQ(at(grabbed, 0, 0), QColor(255, 0, 0));
    EXPECT_EQ(at(grabbed, 59, 49), QColor(255, 0, 0));
    EXPECT_EQ(at(grabbed, 1, 1), QColor(0, 255, 0));
    EXPECT_EQ(at(grabbed, 3, 27), QColor(0, 255, 0));
    EXPECT_EQ(at(grabbed, 3, 28), QColor(0, 0, 255));
    EXPECT_EQ(at(grabbed, 56, 46), QColor(0, 0, 255));
    EXPECT_EQ(at(grabbed, 57, 46), QColor(0, 255, 0));
}

TEST_F(KelStyleEventFilterTest, DockedDockWidgetFrame)
{
    store()->add(QStringLiteral("DockWidget.borderColor"), QColor(255, 0, 0));
    store()->add(QStringLiteral("DockWidget.backgroundGradient"), solidGradient(QColor(0, 255, 0)));
    QMainWindow window;
    auto* dock = new QDockWidget(&window);
    auto* title = new QWidget;
    title->setFixedHeight(12);
    dock->setTitleBarWidget(title);
    window.addDockWidget(Qt::LeftDockWidgetArea, dock);
    dock->installEventFilter(&style);
    window.resize(300, 200);
    window.show();
    title->hide();

    const QPixmap grabbed = dock->grab();
    const int top = title->height();
    EXPECT_EQ(at(grabbed, 5, top), QColor(0, 255, 0));
    EXPECT_EQ(at(grabbed, 5, top + 7), QColor(0, 255, 0));
    EXPECT_EQ(at(grabbed, 5, top + 8), QColor(255, 0, 0));
}

TEST_F(KelStyleEventFilterTest, ToolBoxPagesGetABorderAndAShadeOnTop)
{
    store()->add(QStringLiteral("ToolBox.borderPen"), QPen(QColor(255, 0, 0)));
    store()->add(QStringLiteral("ToolBox.borderPen2"), QPen(QColor(0, 255, 0)));
    store()->add(QStringLiteral("ToolBox.backgroundGradient"), solidGradient(QColor(0, 0, 255)));
    KelToolBox toolBox;
    auto* page = new QWidget;
    toolBox.addItem(page, QStringLiteral("Section"));
    toolBox.setExpanded(0, true);
    style.polish(page);
    page->setMinimumHeight(30);
    toolBox.resize(80, 120);
    toolBox.show();

    const QPixmap grabbed = page->grab();
    EXPECT_EQ(at(grabbed, 10, 0), QColor(255, 0, 0));
    EXPECT_EQ(at(grabbed, 10, 1), QColor(0, 255, 0));
    EXPECT_EQ(at(grabbed, 10, 2), QColor(0, 0, 255));
    EXPECT_EQ(at(grabbed, 10, 9), QColor(0, 0, 255));
    EXPECT_NE(at(grabbed, 10, 10), QColor(0, 0, 255));
}

TEST_F(KelStyleEventFilterTest, IconModeListsGetABandBehindTheIcons)
{
    store()->add(QStringLiteral("ListView.backgroundGradient"), solidGradient(QColor(255, 0, 0)));
    QListView list;
    list.setViewMode(QListView::IconMode);
    list.setIconSize(QSize(20, 20));
    list.resize(100, 80);
    style.polish(&list);

    const QPoint origin = list.viewport()->geometry().topLeft();
    const QPixmap grabbed = list.grab();
    EXPECT_EQ(at(grabbed, origin.x() + 10, origin.y() + 5), QColor(255, 0, 0));
    EXPECT_EQ(at(grabbed, origin.x() + 10, origin.y() + 22), QColor(255, 0, 0));
    EXPECT_NE(at(grabbed, origin.x() + 10, origin.y() + 23), QColor(255, 0, 0));
    EXPECT_NE(at(grabbed, origin.x() + 10, origin.y() + 4), QColor(255, 0, 0));
}

TEST_F(KelStyleEventFilterTest, ForgetsADestroyedTabBar)
{
    auto f = std::make_unique<TabFixture>(style);
    const QPoint centre = f->strip.center();
    f->pointAt(centre);
    sendMouse(f->tabBar, QEvent::MouseButtonPress, centre);
    f.reset();

    // A fresh tab bar's release must not reach a host of the destroyed one.
    TabFixture g(style);
    g.pointAt(g.strip.center());
    sendMouse(g.tabBar, QEvent::MouseButtonRelease, g.strip.center());
    EXPECT_EQ(g.host.requests, 0);
}

} // namespace

#include "KelStyleEventFilterTest.moc"

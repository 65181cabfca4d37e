#include "style/KelStyle.h"
#include "style/TitleBarButtonRect.h"

#include "KelStyleTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

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

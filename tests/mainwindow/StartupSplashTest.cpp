// The splash screen stays on top of every window: a box that start-up opens must find it gone,
// or it waits unseen for its answer. The main window and the Welcome screen leave it its time.

#include "CoreSteps.h"

#include "app/TwCore.h"
#include "dialogs/CSplashScreen.h"
#include "dialogs/WelcomeScreen.h"
#include "mainwindow/SplashBeforeBoxes.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/VyxApplication.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Watches for message boxes from a timer (they run their own event loop), notes whether the
// splash stood visible as each came up, and closes them.
class BoxWatch
{
public:
    explicit BoxWatch(QPointer<CSplashScreen> const& splash) : m_splash(splash)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            texts << box->text();
            splashVisibleUnderBox << (m_splash && m_splash->isVisible());
            box->done(QMessageBox::Ok);
        });
        m_timer.start();
    }

    QStringList texts;
    QList<bool> splashVisibleUnderBox;

private:
    QPointer<CSplashScreen> m_splash;
    QTimer m_timer;
};

CSplashScreen* shownSplash()
{
    QPixmap pixmap(60, 40);
    pixmap.fill(Qt::darkBlue);
    auto* splash = new CSplashScreen(pixmap);
    splash->show();
    QCoreApplication::processEvents();
    return splash;
}

VyxApplication* application()
{
    return qobject_cast<VyxApplication*>(QCoreApplication::instance());
}

// A project named at start-up that is no file: the warning comes up inside the window's
// construction, with the splash already gone.
TEST(StartupSplash, AWarningAtStartUpFindsTheSplashGone)
{
    ASSERT_NE(application(), nullptr);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    application()->setPendingProjectPath(dir.filePath(QStringLiteral("no-such-project.vyxsg")));
    QPointer<CSplashScreen> splash = shownSplash();
    BoxWatch boxes(splash);
    auto window = std::make_unique<TwMainWindow>(splash.data());
    CoreSteps::settle(window->core());
    application()->setPendingProjectPath(QString());

    ASSERT_EQ(boxes.texts.size(), 1) << boxes.texts.join('|').toStdString();
    EXPECT_TRUE(boxes.texts.first().contains(QStringLiteral("could not be opened"))) << boxes.texts.first().toStdString();
    EXPECT_EQ(boxes.splashVisibleUnderBox, QList<bool>{false});
    EXPECT_TRUE(splash.isNull()) << "the splash is gone, not hidden";
    window.reset();
}

// The main window and the Welcome screen, shown as start-up shows them, leave the splash
// standing; the first box takes it away before it shows, and only once; a splash gone by its
// time is not asked for again.
TEST(StartupSplash, OnlyABoxTakesTheSplashAwayAndOnlyOnce)
{
    QPointer<CSplashScreen> splash = shownSplash();
    int finished = 0;
    QList<bool> boxVisibleAtFinish;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vyx-Solenne"), QStringLiteral("A box"));
    auto* watch = new SplashBeforeBoxes(splash.data(), [&] {
        ++finished;
        // The box's window, not the widget, which counts as visible while its show event runs.
        boxVisibleAtFinish << (box.windowHandle() && box.windowHandle()->isVisible());
        delete splash.data();
    }, nullptr);
    QMainWindow window;
    window.show();
    WelcomeScreen welcome(nullptr);
    welcome.setWindowModality(Qt::ApplicationModal);
    welcome.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(finished, 0);
    ASSERT_FALSE(splash.isNull());
    EXPECT_TRUE(splash->isVisible());
    welcome.hide();

    box.show();
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(boxVisibleAtFinish, QList<bool>{false}) << "the splash goes before the box shows";
    EXPECT_TRUE(splash.isNull());
    box.hide();
    box.show();
    EXPECT_EQ(finished, 1);
    box.hide();
    delete watch;

    // Gone by its time: a later box finds nothing to take away.
    splash = shownSplash();
    watch = new SplashBeforeBoxes(splash.data(), [&] { ++finished; }, nullptr);
    delete splash.data();
    box.show();
    EXPECT_EQ(finished, 1);
    box.hide();
    delete watch;
}

} // namespace

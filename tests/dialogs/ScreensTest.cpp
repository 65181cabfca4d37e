#include "ui_About.h"
#include "ui_WelcomeScreen.h"

#include "dialogs/About.h"
#include "dialogs/CSplashScreen.h"
#include "dialogs/WelcomeScreen.h"
#include "style/KelStyleConfig.h"

#include <QPainter>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString welcomeKey = QStringLiteral("DontShowWelcomeScreen");

TEST(AboutTest, ShowsTheNamesVersionAndIcon)
{
    About about;
    EXPECT_EQ(about.ui()->versionLabel->text(), "Marrowind Vyx-Solenne v1.0");
    ASSERT_FALSE(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("icon")).isNull());
    EXPECT_FALSE(about.ui()->iconLabel->pixmap().isNull());
    QTimer::singleShot(0, &about, &QDialog::accept);
    EXPECT_EQ(about.exec(), QDialog::Accepted);
}

TEST(SplashScreenTest, FramelessWindowOfThePixmapsSize)
{
    QPixmap pixmap(64, 40);
    pixmap.fill(QColor(0, 0, 255));
    CSplashScreen splash(pixmap);
    EXPECT_EQ(splash.size(), QSize(64, 40));
    EXPECT_EQ(splash.minimumSize(), splash.maximumSize());
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(splash.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(splash.parent(), nullptr);

    QImage plain = splash.grab().toImage();
    EXPECT_EQ(plain.pixel(32, 20), qRgb(0, 0, 255));
    splash.showMessage(QStringLiteral("\u2588\u2588\u2588\u2588"), Qt::AlignCenter, Qt::red);
    EXPECT_EQ(splash.message(), QStringLiteral("\u2588\u2588\u2588\u2588"));
    const QImage withText = splash.grab().toImage();
    int red = 0;
    for (int y = 0; y < withText.height(); ++y)
        for (int x = 0; x < withText.width(); ++x)
            red += withText.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
    EXPECT_GT(red, 0);
    splash.clearMessage();
    EXPECT_EQ(splash.grab().toImage(), plain);

    CSplashScreen empty{QPixmap()};
    EXPECT_EQ(empty.size(), QSize(0, 0));
}

class WelcomeScreenTest : public ::testing::Test
{
protected:
    void SetUp() override { QSettings().remove(welcomeKey); }
    void TearDown() override { QSettings().remove(welcomeKey); }
};

TEST_F(WelcomeScreenTest, ShowsThePicture)
{
    WelcomeScreen welcome;
    ASSERT_FALSE(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("welcome_screen")).isNull());
    EXPECT_FALSE(welcome.ui()->lbImage->pixmap().isNull());
}

TEST_F(WelcomeScreenTest, CloseRequestsTheCheckAndStoresTheChoice)
{
    struct Case {
        bool checkTemplates;
        bool showAgain;
    };
    for (Case c : {Case{true, true}, Case{true, false}, Case{false, true}, Case{false, false}}) {
        SCOPED_TRACE(testing::Message() << c.checkTemplates << c.showAgain);
        QSettings().remove(welcomeKey);
        WelcomeScreen welcome;
        QSignalSpy requested(&welcome, &WelcomeScreen::checkTemplatesRequested);
        welcome.ui()->cbCheckTemplates->setChecked(c.checkTemplates);
        welcome.ui()->cbShowDialog->setChecked(c.showAgain);
        QTimer::singleShot(0, welcome.ui()->btClose, &QPushButton::click);
        welcome.exec();
        EXPECT_EQ(requested.count(), c.checkTemplates ? 1 : 0);
        ASSERT_TRUE(QSettings().contains(welcomeKey));
        EXPECT_EQ(QSettings().value(welcomeKey).toBool(), !c.showAgain);
    }
}

TEST_F(WelcomeScreenTest, EscapeWritesNothing)
{
    WelcomeScreen welcome;
    QSignalSpy requested(&welcome, &WelcomeScreen::checkTemplatesRequested);
    QTimer::singleShot(0, &welcome, [&welcome] { QTest::keyClick(&welcome, Qt::Key_Escape); });
    EXPECT_EQ(welcome.exec(), QDialog::Rejected);
    EXPECT_EQ(requested.count(), 0);
    EXPECT_FALSE(QSettings().contains(welcomeKey));
}

} // namespace

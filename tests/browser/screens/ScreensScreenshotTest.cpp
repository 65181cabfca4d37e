// The image browser's thumbnail strip, the help window and the splash screen in a real X
// server, photographed from the screen and checked by pixel.

#include "io/picture/PictureFile.h"
#include "browser/ImageBrowser.h"
#include "browser/VyxBrowserFileSystemModel.h"
#include "dialogs/CSplashScreen.h"
#include "help/TwHelp.h"
#include "help/TwHelpBrowser.h"
#include "style/RealStyleFile.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImageReader>
#include <QListView>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QWindow>

namespace {

QImage screenShot(char const* name)
{
    QTest::qWait(300);
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    shot.save(QStringLiteral(VYX_SCREENS_DIR "/") + QLatin1String(name));
    return shot;
}

class ScreensTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")); }
};

TEST_F(ScreensTest, ThumbnailStripShowsEachColourInItsItem)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QList<QColor> colours{QColor(220, 30, 30), QColor(30, 200, 60), QColor(40, 60, 230), QColor(240, 220, 20)};
    for (int i = 0; i < colours.size(); ++i) {
        QImage image(240, 160, QImage::Format_RGB32);
        image.fill(colours.at(i));
        ASSERT_TRUE(image.save(folder.filePath(QStringLiteral("%1.png").arg(i))));
    }
    QSettings().setValue(QStringLiteral("BrowserLocation"), folder.path());

    ImageBrowser browser;
    browser.setGeometry(40, 40, 700, 200);
    browser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser));
    auto* strip = browser.findChild<QListView*>(QStringLiteral("imageThumbnailsView"));
    ASSERT_NE(strip, nullptr);
    VyxBrowserFileSystemModel* model = browser.fileModel();

    // Every row listed and every thumbnail made.
    QElapsedTimer timer;
    timer.start();
    auto ready = [&] {
        if (model->rowCount(strip->rootIndex()) != colours.size())
            return false;
        for (int i = 0; i < colours.size(); ++i) {
            if (!model->loader()->hasThumbnail(folder.filePath(QStringLiteral("%1.png").arg(i))))
                return false;
        }
        return true;
    };
    while (!ready() && timer.elapsed() < 20000) {
        strip->viewport()->update();
        QTest::qWait(50);
    }
    ASSERT_TRUE(ready());
    const QImage shot = screenShot("strip.png");

    for (int i = 0; i < colours.size(); ++i) {
        const QModelIndex index = model->index(folder.filePath(QStringLiteral("%1.png").arg(i)));
        const QRect item = strip->visualRect(index);
        ASSERT_TRUE(item.isValid());
        // The thumbnail sits at the top of the grid cell, moved 5 pixels down by the delegate.
        const QPoint centre(item.center().x(), item.top() + 5 + 40);
        const QColor seen = shot.pixelColor(strip->viewport()->mapToGlobal(centre));
        EXPECT_EQ(seen.rgb(), colours.at(i).rgb()) << "item " << i << ": " << seen.name().toStdString();
    }
}

TEST_F(ScreensTest, HelpWindowShowsItsPageImage)
{
    TwHelp help(nullptr, QStringLiteral("Introduction"));
    help.setGeometry(60, 60, 1000, 560);
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    const QImage shot = screenShot("help.png");
    const QRect page(help.browser()->viewport()->mapToGlobal(QPoint(0, 0)), help.browser()->viewport()->size());
    // The introduction's picture, drawn at its own size: the start of its middle row appears on
    // the screen.
    const QImage picture = help.browser()->document()
                               ->resource(QTextDocument::ImageResource,
                                          QUrl(QStringLiteral("qthelp://org.marrowind.vyx-solenne/doc/images/main-window.png")))
                               .value<QImage>()
                               .convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(picture.isNull());
    const int row = picture.height() / 2;
    const QImage wanted = picture.copy(0, row, 200, 1);
    bool found = false;
    for (int y = page.top(); y <= page.bottom() && !found; ++y) {
        for (int x = page.left(); x + wanted.width() <= page.right() + 1 && !found; ++x) {
            found = shot.pixel(x, y) == wanted.pixel(0, 0) && shot.copy(x, y, wanted.width(), 1) == wanted;
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(ScreensTest, SplashWindowHasItsPixmapsSize)
{
    const QPixmap pixmap = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("splash"));
    ASSERT_FALSE(pixmap.isNull());
    CSplashScreen splash(pixmap);
    splash.move(80, 80);
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    const QImage shot = screenShot("splash.png");
    EXPECT_EQ(splash.windowHandle()->geometry().size(), pixmap.size());
    EXPECT_EQ(splash.frameGeometry().size(), pixmap.size());
    const QImage picture = pixmap.toImage();
    const QPoint middle(picture.width() / 2, picture.height() / 2);
    if (qAlpha(picture.pixel(middle)) == 255) {
        EXPECT_EQ(shot.pixel(splash.mapToGlobal(middle)), picture.pixel(middle) | 0xff000000u);
    }
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // A home of its own: the browser writes settings and reads the standard folders.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toUtf8());
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Marrowind"));
    QCoreApplication::setApplicationName(QStringLiteral("Vyx-Solenne"));
    QImageReader::setAllocationLimit(PictureFile::readerAllocationLimit());
    if (!RealStyleFile::load())
        return 1;
    const int result = RUN_ALL_TESTS();
    // Pixmaps must not outlive the application object.
    KelStyleConfig::instance()->clear();
    return result;
}

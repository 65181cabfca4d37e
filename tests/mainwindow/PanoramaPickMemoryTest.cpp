// A small photo picked in the browser after a panorama (16384 x 8192, as HDRI sites and stitching
// programs write them) holds, once its render is shown, what it holds picked first: nothing of
// the panorama's picture or of its render stays behind.

#include "HeldMemory.h"
#include "MainWindowFixture.h"

#include "app/TwCore.h"
#include "browser/ImageBrowser.h"
#include "browser/ImageView.h"
#include "browser/VyxBrowserFileSystemModel.h"
#include "mainwindow/TwMainWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using namespace MainWindowTest;

const QSize panoramaSize(16384, 8192);
const QSize photoSize(640, 427);

// A quarter of the panorama's picture: far above what the heap moves by between two renders of
// the photo, far below one picture of the panorama's size.
constexpr qint64 heldMargin = qint64(128) << 20;

// What this process holds of its own and of shared memory resident, and the pictures' shared
// memory it keeps open without mapping it.
qint64 heldBytes()
{
    return heldBy(::getpid()).total();
}

class PanoramaPickMemoryTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        // A sky-like ramp and a small checkered photo, in one run of oiiotool, 8-bit JPEG.
        panorama = dir.filePath(QStringLiteral("panorama.jpg"));
        photo = dir.filePath(QStringLiteral("photo.jpg"));
        QProcess oiiotool;
        oiiotool.start(QStringLiteral("oiiotool"),
                       {QStringLiteral("--pattern:type=uint8"),
                        QStringLiteral("fill:top=0.2,0.4,0.9:bottom=0.9,0.7,0.4"),
                        QStringLiteral("%1x%2").arg(panoramaSize.width()).arg(panoramaSize.height()),
                        QStringLiteral("3"), QStringLiteral("-o"), panorama,
                        QStringLiteral("--pattern:type=uint8"), QStringLiteral("checker:width=40:height=40"),
                        QStringLiteral("%1x%2").arg(photoSize.width()).arg(photoSize.height()),
                        QStringLiteral("3"), QStringLiteral("-o"), photo});
        ASSERT_TRUE(oiiotool.waitForStarted()) << "oiiotool (openimageio-tools) is not installed";
        ASSERT_TRUE(oiiotool.waitForFinished(-1));
        ASSERT_EQ(oiiotool.exitCode(), 0) << oiiotool.readAllStandardError().toStdString();
        showWindow();
        browser = window->findChild<ImageBrowser*>();
        ASSERT_NE(browser, nullptr);
        strip = browser->findChild<QListView*>(QStringLiteral("imageThumbnailsView"));
        ASSERT_NE(strip, nullptr);
        browser->navigateTo(browser->fileModel()->index(dir.path()));
    }

    // Clicks the file's thumbnail as a user does and waits until the view shows its render.
    void pick(const QString& path, const QSize& size)
    {
        QModelIndex item;
        for (int i = 0; i < 1000 && !(item = browser->fileModel()->index(path)).isValid(); ++i)
            QTest::qWait(10);
        ASSERT_TRUE(item.isValid()) << qPrintable(path);
        strip->scrollTo(item);
        QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, strip->visualRect(item).center());
        ASSERT_EQ(core()->sourceImage()->size(), size) << qPrintable(path);
        auto* view = window->findChild<ImageView*>();
        for (int i = 0; i < 100 && (view->image().size() != size || !view->message().isEmpty()); ++i)
            settle();
        ASSERT_EQ(view->image().size(), size);
        ASSERT_TRUE(view->message().isEmpty()) << qPrintable(view->message());
    }

    QString panorama;
    QString photo;
    ImageBrowser* browser = nullptr;
    QListView* strip = nullptr;
};

} // namespace

TEST_F(PanoramaPickMemoryTest, APhotoPickedAfterAPanoramaHoldsWhatItHoldsPickedFirst)
{
    pick(photo, photoSize);
    const qint64 photoFirst = heldBytes();
    ASSERT_GT(photoFirst, 0);

    pick(panorama, panoramaSize);
    // The panorama itself is held while it is shown.
    EXPECT_GT(heldBytes() - photoFirst, qint64(panoramaSize.width()) * panoramaSize.height() * 4 - heldMargin);

    pick(photo, photoSize);
    const qint64 photoAfter = heldBytes();
    EXPECT_LT(photoAfter - photoFirst, heldMargin)
        << (photoFirst >> 20) << " MB with the photo picked first, " << (photoAfter >> 20)
        << " MB with the photo picked after the panorama";
}

// Picture files whose headers were written over every field of their format, each picked as the
// source picture in the browser, shown as a thumbnail and dropped on the image view, in a child
// so that a reader that crashes is seen as the signal it dies of: each is shown, or refused with
// a box, and a header the format does not allow never reaches the image library's reader.

#include "AddressSanitizer.h"
#include "MainWindowFixture.h"
#include "MessageBoxes.h"
#include "PictureDrop.h"

#include "app/AddressSpaceLimit.h"
#include "app/LibraryFormatHeaders.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "browser/ImageView.h"
#include "browser/ThumbnailLoader.h"
#include "mainwindow/TwMainWindow.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>


namespace {

using namespace MainWindowTest;

class PictureHeadersTest : public MainWindowFixture
{
protected:
    // Reads every case in the three places; the number of cases that went otherwise than their
    // verdict says. Each case is named before it is read, so that a crash names its file.
    int readEach(QList<PictureHeaders::Case> const& cases)
    {
        MessageBoxes boxes({}, QMessageBox::Ok, true);
        int wrong = 0;
        for (PictureHeaders::Case const& c : cases) {
            const QString path = dir.filePath(c.name);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(c.bytes) != c.bytes.size())
                return -1;
            file.close();
            fprintf(stderr, "reading %s\n", qPrintable(c.name));

            // Picked in the browser: shown as the source, or refused with a box saying why.
            const qsizetype before = boxes.texts.size();
            const qint64 previous = core()->sourceImage()->cacheKey();
            window->imageChangedInBrowser(path);
            QCoreApplication::processEvents();
            const bool shown = core()->sourceImage()->cacheKey() != previous;
            const QString box = boxes.texts.size() > before ? boxes.texts.last() : QString();
            bool right = shown != !box.isEmpty();
            if (c.verdict == PictureHeaders::Case::Shown)
                right = right && shown;
            if (c.verdict == PictureHeaders::Case::Unread)
                right = right && !shown;
            if (c.verdict == PictureHeaders::Case::Refused)
                right = right && (box.contains(QStringLiteral("Damaged ")) || box.contains(QStringLiteral("Unsupported "))
                                  || box.contains(QStringLiteral("Image too large")));
            // Every refusal names its reason after the sentence, and none is memory the file took.
            if (!box.isEmpty())
                right = right && box.contains(QStringLiteral("\n\n")) && !box.contains(QStringLiteral("Not enough memory"));

            ThumbnailLoader loader;
            loader.getThumbnail(path);
            while (!loader.hasThumbnail(path))
                QThread::msleep(1);
            const bool thumbnail = loader.imageSize(path).isValid();
            const bool everywhere = c.verdict == PictureHeaders::Case::Shown && c.shownEverywhere;
            if (everywhere)
                right = right && thumbnail;

            const bool dropped = dropOnView(window->imageView(), path);
            QCoreApplication::processEvents();
            if (everywhere)
                right = right && dropped;
            if (!right) {
                ++wrong;
                fprintf(stderr, "%s: source %d (%s), thumbnail %d, drop %d\n", qPrintable(c.name), int(shown),
                        qPrintable(box), int(thumbnail), int(dropped));
            }
            QFile::remove(path);
        }
        // The child ends with std::exit, which frees the render threads' pool: no render of
        // the window may still be running then.
        core()->setRenderBlocked(true);
        core()->cancelRender();
        core()->renderer()->wait();
        return wrong;
    }

    // readEach() under an address-space limit of what the window holds and room for a picture at
    // the cap with its render: a reader that asks for the gigabytes a forged header claims fails,
    // and its refusal says so. (The sanitizers reserve address space of their own.)
    int readBounded(QList<PictureHeaders::Case> const& cases)
    {
#if !defined(VYX_ADDRESS_SANITIZER)
        if (!AppTest::limitAddressSpace(qint64(3) << 29))
            return -1;
#endif
        return readEach(cases);
    }
};

} // namespace

TEST_F(PictureHeadersTest, EveryBitmapHeaderIsShownOrRefusedWhereverItIsRead)
{
    const QList<PictureHeaders::Case> cases = PictureHeaders::bitmaps();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(readBounded(cases) == 0 ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

// Every other format the program offers, the files of the formats it no longer offers, and sound
// pictures under other formats' names.
TEST_F(PictureHeadersTest, EveryHeaderOfEveryOfferedFormatIsShownOrRefusedWhereverItIsRead)
{
    const QList<QList<PictureHeaders::Case>> groups = {
        PictureHeaders::targas() + PictureHeaders::pnms() + PictureHeaders::hdrs(),
        PictureHeaders::pngs() + PictureHeaders::jpegs() + PictureHeaders::gifs() + PictureHeaders::webps(),
        PictureHeaders::tiffs() + PictureHeaders::exrs() + PictureHeaders::photoshops(),
        PictureHeaders::formerReaders() + PictureHeaders::underOtherNames()};
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (QList<PictureHeaders::Case> const& cases : groups) {
        SCOPED_TRACE(cases.first().name.toStdString());
        EXPECT_EXIT(std::exit(readBounded(cases) == 0 ? 0 : 1), ::testing::ExitedWithCode(0), "");
    }
}

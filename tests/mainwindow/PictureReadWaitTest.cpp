// A picture picked in the browser is read by the reader process while the window waits as it
// waits for a render: timers run, Esc ends the wait and the read, and a reader past its time is
// stopped; the source picture stays as it was and a box says why. No reader holds the window or
// the thumbnails for good: not one the kill does not end (the kernel holds it), nor one that
// closes its socket and lives on. A window without its reader says so.

#include "MainWindowFixture.h"
#include "MessageBoxes.h"
#include "PictureDrop.h"

#include "io/picture/ReadWatchdog.h"
#include "io/picture/StandInShare.h"
#include "io/picture/UnendingKill.h"

#include "app/TwCore.h"
#include "browser/ImageBrowser.h"
#include "browser/ImageView.h"
#include "browser/ThumbnailLoader.h"
#include "browser/VyxBrowserFileSystemModel.h"
#include "io/picture/PictureReader.h"
#include "io/picture/PictureReaderProcess.h"
#include "mainwindow/TwMainWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QListView>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace MainWindowTest;

class PictureReadWaitTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        PictureReader::setProgram(QFileInfo(self).absolutePath() + QStringLiteral("/vyx-picture-reader-standin"));
        hanging = dir.filePath(QStringLiteral("photo.hang"));
        QFile file(hanging);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("any bytes");
    }
    void TearDown() override
    {
        PictureReader::setProgram(QString());
        PictureReader::setTimeLimit(0);
        MainWindowFixture::TearDown();
    }

    // Presses Esc on the window once the wait has let a few of the window's timers run.
    void escapeSoon()
    {
        m_ticks = 0;
        m_tick.setInterval(10);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            if (++m_ticks == 5)
                QCoreApplication::postEvent(window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        });
        m_tick.start();
    }
    QString file(const char* name, const QByteArray& bytes = "any bytes")
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return path;
    }
    ImageView* view() const { return window->findChild<ImageView*>(); }

    QString hanging;
    QTimer m_tick;
    int m_ticks = 0;
};

TEST_F(PictureReadWaitTest, EscEndsAPickTheReaderHangsOnAndTheWindowWentOnMeanwhile)
{
    MessageBoxes boxes({}, QMessageBox::Ok, true);
    const qint64 before = core()->sourceImage()->cacheKey();
    int ticks = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        // The window's timers run during the wait; after a few the user presses Esc.
        if (++ticks == 5)
            QCoreApplication::postEvent(window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    tick.start();
    window->imageChangedInBrowser(hanging);
    tick.stop();
    EXPECT_GE(ticks, 5);
    EXPECT_EQ(core()->sourceImage()->cacheKey(), before);
    ASSERT_FALSE(boxes.texts.isEmpty());
    EXPECT_TRUE(boxes.texts.last().contains(QStringLiteral("the read was canceled"))) << qPrintable(boxes.texts.last());
}

TEST_F(PictureReadWaitTest, AReaderPastItsTimeIsRefusedWithThatReasonAndTheNextPickReads)
{
    MessageBoxes boxes({}, QMessageBox::Ok, true);
    PictureReader::setTimeLimit(150);
    const qint64 before = core()->sourceImage()->cacheKey();
    window->imageChangedInBrowser(hanging);
    EXPECT_EQ(core()->sourceImage()->cacheKey(), before);
    ASSERT_FALSE(boxes.texts.isEmpty());
    EXPECT_TRUE(boxes.texts.last().contains(QStringLiteral("The picture's reader took longer than 1 s.")))
        << qPrintable(boxes.texts.last());

    PictureReader::setTimeLimit(0);
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(qRgb(10, 200, 30));
    const QString sound = dir.filePath(QStringLiteral("sound.png"));
    ASSERT_TRUE(picture.save(sound));
    window->imageChangedInBrowser(sound);
    EXPECT_EQ(core()->sourceImage()->size(), QSize(4, 3));
    EXPECT_EQ(core()->sourceImage()->pixel(2, 1), qRgb(10, 200, 30));
}

TEST_F(PictureReadWaitTest, EscEndsAPickAndADropWhoseReaderTheKillDoesNotEnd)
{
    const UnendingKill unending;
    // The dropped file on another mount: its read starts a reader of its own, which Esc ends.
    const StandInShare share(dir.path());
    MessageBoxes boxes({}, QMessageBox::Ok, true);
    const qint64 before = core()->sourceImage()->cacheKey();
    bool dropped = true;
    {
        ReadWatchdog watchdog;
        escapeSoon();
        window->imageChangedInBrowser(hanging);
        escapeSoon();
        dropped = dropOnView(view(), file("share/dropped.hang"));
        m_tick.stop();
        EXPECT_FALSE(watchdog.fired()) << "Esc did not end the wait";
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(dropped);
    EXPECT_EQ(core()->sourceImage()->cacheKey(), before);
    ASSERT_EQ(boxes.texts.size(), 2) << qPrintable(boxes.texts.join('|'));
    for (const QString& text : std::as_const(boxes.texts))
        EXPECT_TRUE(text.contains(QStringLiteral("the read was canceled"))) << qPrintable(text);
}

TEST_F(PictureReadWaitTest, APickPastItsTimeWhoseReaderTheKillDoesNotEndIsRefusedAtItsLimit)
{
    const UnendingKill unending;
    MessageBoxes boxes({}, QMessageBox::Ok, true);
    PictureReader::setTimeLimit(150);
    {
        ReadWatchdog watchdog;
        window->imageChangedInBrowser(hanging);
        EXPECT_FALSE(watchdog.fired()) << "the pick waited for a reader the kill did not end";
    }
    ASSERT_FALSE(boxes.texts.isEmpty());
    EXPECT_TRUE(boxes.texts.last().contains(QStringLiteral("The picture's reader took longer than 1 s.")))
        << qPrintable(boxes.texts.last());
    EXPECT_FALSE(UnendingKill::killed().empty());
}

TEST_F(PictureReadWaitTest, APickAndADropWhoseReaderClosesItsSocketAndLivesOnAreRefusedAsAStop)
{
    MessageBoxes boxes({}, QMessageBox::Ok, true);
    bool dropped = true;
    {
        ReadWatchdog watchdog;
        window->imageChangedInBrowser(file("picked.close"));
        dropped = dropOnView(view(), file("dropped.close"));
        EXPECT_FALSE(watchdog.fired()) << "a read waited for a reader that closed its socket";
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(dropped);
    ASSERT_EQ(boxes.texts.size(), 2) << qPrintable(boxes.texts.join('|'));
    for (const QString& text : std::as_const(boxes.texts))
        EXPECT_TRUE(text.endsWith(QStringLiteral("\n\nThe picture's reader stopped."))) << qPrintable(text);
}

// The browser keeps a file current after Esc ended its pick: a click on it reads it again, and
// the click that made it current reads it once.
TEST_F(PictureReadWaitTest, AClickOnAThumbnailWhosePickWasCanceledReadsItAgain)
{
    showWindow();
    MessageBoxes boxes({}, QMessageBox::Ok, true);
    const QString slow = file("slow.hang.png");
    auto* browser = window->findChild<ImageBrowser*>();
    ASSERT_NE(browser, nullptr);
    auto* strip = browser->findChild<QListView*>(QStringLiteral("imageThumbnailsView"));
    ASSERT_NE(strip, nullptr);
    browser->navigateTo(browser->fileModel()->index(dir.path()));
    QModelIndex item;
    {
        ReadWatchdog watchdog;
        while (!(item = browser->fileModel()->index(slow)).isValid() && !watchdog.fired())
            QTest::qWait(10);
    }
    ASSERT_TRUE(item.isValid());
    strip->scrollTo(item);
    const auto clickIt = [&] {
        escapeSoon();
        QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, strip->visualRect(item).center());
        m_tick.stop();
        QCoreApplication::processEvents();
    };

    clickIt();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts.last().contains(QStringLiteral("the read was canceled"))) << qPrintable(boxes.texts.last());
    ASSERT_EQ(strip->currentIndex(), item);

    clickIt();
    ASSERT_EQ(boxes.texts.size(), 2) << "a click on the file whose pick was canceled read nothing";
    EXPECT_TRUE(boxes.texts.last().contains(QStringLiteral("the read was canceled"))) << qPrintable(boxes.texts.last());
}

TEST_F(PictureReadWaitTest, AFoldersThumbnailsAllComePastReadersThatDoNotEnd)
{
    const UnendingKill unending;
    // The file whose reader hangs is on a share: a held reader holds no read of another mount.
    const StandInShare share(dir.path());
    PictureReader::setTimeLimit(300);
    QImage picture(6, 4, QImage::Format_RGB32);
    picture.fill(qRgb(30, 60, 90));
    const QStringList folder{file("share/a.hang"), dir.filePath(QStringLiteral("b.png")), file("c.close"),
                             dir.filePath(QStringLiteral("d.png"))};
    ASSERT_TRUE(picture.save(folder[1]));
    ASSERT_TRUE(picture.save(folder[3]));
    ThumbnailLoader loader;
    for (const QString& path : folder)
        loader.getThumbnail(path);
    // Two readers: the file asked for last is not the last read.
    const auto allThere = [&] {
        return std::all_of(folder.cbegin(), folder.cend(), [&](const QString& path) { return loader.hasThumbnail(path); });
    };
    {
        ReadWatchdog watchdog;
        while (!allThere() && !watchdog.fired())
            QThread::msleep(5);
        EXPECT_FALSE(watchdog.fired()) << "the folder's thumbnails stopped at a reader without end";
    }
    for (const QString& path : folder)
        EXPECT_TRUE(loader.hasThumbnail(path)) << qPrintable(path);
}

// A file whose reader passed its time and is still held by the kernel (a mount that stopped
// answering) would hold any other reader too: picked again, once the reader has outlived the time
// it may take to end, it is refused without one, saying what was seen.
TEST_F(PictureReadWaitTest, AFileWhoseLastReaderIsStillHeldIsRefusedWithoutAnotherReader)
{
    const UnendingKill unending;
    MessageBoxes boxes({}, QMessageBox::Ok, true);
    PictureReader::setTimeLimit(150);
    const qint64 before = core()->sourceImage()->cacheKey();
    // The readers of the program kept from before are let go of (and counted) by the first pick.
    size_t held = 0;
    {
        ReadWatchdog watchdog;
        window->imageChangedInBrowser(hanging);
        held = UnendingKill::killed().size();
        ASSERT_GE(held, 1u);
        window->imageChangedInBrowser(hanging);
        EXPECT_FALSE(watchdog.fired()) << "the pick waited for a reader the kill did not end";
    }
    EXPECT_EQ(UnendingKill::killed().size(), held) << "a second reader was held by the same file";
    EXPECT_EQ(core()->sourceImage()->cacheKey(), before);
    ASSERT_EQ(boxes.texts.size(), 2) << qPrintable(boxes.texts.join('|'));
    EXPECT_TRUE(boxes.texts.last().contains(QStringLiteral("while it read \"%1\" has still not ended").arg(hanging)))
        << qPrintable(boxes.texts.last());
}

// Esc on a pick whose reader hangs lets that reader go as its time limit would: the file picked
// and given up on again and again costs one held reader.
TEST_F(PictureReadWaitTest, ThreePicksEndedByEscOnAFileThatHoldsItsReaderHoldOneReader)
{
    // Readers of the program kept from before are let go of here, not counted below.
    ASSERT_FALSE(PictureReader::readFile(file("x.stamp")).isNull());
    const UnendingKill unending;
    MessageBoxes boxes({}, QMessageBox::Ok, true);
    const quint64 before = PictureReaderProcess::requestsSent();
    {
        ReadWatchdog watchdog;
        for (int i = 0; i < 3; ++i) {
            escapeSoon();
            window->imageChangedInBrowser(hanging);
            m_tick.stop();
        }
        // The first pick's reader is stopped on the read's own thread.
        while (UnendingKill::killed().empty() && !watchdog.fired())
            QTest::qWait(10);
        EXPECT_FALSE(watchdog.fired()) << "Esc did not end the wait";
    }
    ASSERT_EQ(boxes.texts.size(), 3) << qPrintable(boxes.texts.join('|'));
    for (const QString& text : std::as_const(boxes.texts))
        EXPECT_TRUE(text.contains(QStringLiteral("the read was canceled"))) << qPrintable(text);
    EXPECT_LE(PictureReaderProcess::requestsSent() - before, 1u);
    EXPECT_EQ(UnendingKill::killed().size(), 1u);
}

class ReaderMissingTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        missing = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath()
                  + QStringLiteral("/no-such-picture-reader");
        PictureReader::setProgram(missing);
        boxes = std::make_unique<MessageBoxes>(QList<QMessageBox::StandardButton>(), QMessageBox::Ok, true);
        MainWindowFixture::SetUp();
    }
    void TearDown() override
    {
        MainWindowFixture::TearDown();
        boxes.reset();
        PictureReader::setProgram(QString());
    }

    QString missing;
    std::unique_ptr<MessageBoxes> boxes;
};

TEST_F(ReaderMissingTest, AWindowWithoutItsReaderSaysSoOnceNamingTheMissingFile)
{
    for (int i = 0; i < 20 && boxes->texts.isEmpty(); ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    ASSERT_EQ(boxes->texts.size(), 1) << qPrintable(boxes->texts.join('|'));
    EXPECT_TRUE(boxes->texts.first().contains(missing)) << qPrintable(boxes->texts.first());
    EXPECT_TRUE(boxes->texts.first().contains(QStringLiteral("is missing"))) << qPrintable(boxes->texts.first());
}

} // namespace

// A folder on a mount that stopped answering (a laptop that left the network with the browser
// open on a share): its files hold every read, each read lasts its whole time limit, and the
// reader the limit stops stays held by the kernel. However often the view repaints, each file
// costs one read and one reader; a file whose reader is held is not read again, even once it
// changed; and the folder shown next waits for no more than the reads under way in the one left.

#include "browser/TestHome.h"

#include "browser/ImageBrowser.h"
#include "browser/ThumbnailLoader.h"
#include "browser/VyxBrowserFileSystemModel.h"
#include "io/picture/PictureReader.h"
#include "io/picture/PictureReaderProcess.h"
#include "io/picture/ReadWatchdog.h"
#include "io/picture/UnendingKill.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QListView>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

// A stand-in reader whose files named "*.held.*" hold their read until the test ends it, as the
// time limit ends a read from a mount that stopped answering; the others give a small picture.
// It counts the reads of each file and keeps the order they began in.
class HeldReads
{
public:
    static ThumbnailLoader::Reader reader(std::shared_ptr<HeldReads> const& reads)
    {
        return [reads](QString const& path, QSize, QSize* fullSize) { return reads->read(path, fullSize); };
    }

    // Waits until `count` reads are held at once; false when the watchdog fired first.
    bool waitForHeld(int count, ReadWatchdog& watchdog)
    {
        std::unique_lock lock(m_mutex);
        while (m_held < count && !watchdog.fired())
            m_changed.wait_for(lock, std::chrono::milliseconds(20));
        return m_held >= count;
    }
    // Ends the `count` reads held longest, as their limits run out; endAll ends every read held
    // now and later.
    void end(int count)
    {
        std::lock_guard lock(m_mutex);
        m_endBelow += count;
        m_changed.notify_all();
    }
    void endAll()
    {
        std::lock_guard lock(m_mutex);
        m_endAll = true;
        m_changed.notify_all();
    }
    int reads(QString const& path)
    {
        std::lock_guard lock(m_mutex);
        return m_reads.value(path);
    }
    QStringList begun()
    {
        std::lock_guard lock(m_mutex);
        return m_begun;
    }

private:
    QImage read(QString const& path, QSize* fullSize)
    {
        std::unique_lock lock(m_mutex);
        ++m_reads[path];
        m_begun.append(path);
        *fullSize = QSize();
        if (path.contains(QLatin1String(".held."))) {
            const int ticket = m_heldSoFar++;
            ++m_held;
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return ticket < m_endBelow || m_endAll; });
            --m_held;
            return QImage();
        }
        *fullSize = QSize(4, 3);
        QImage picture(4, 3, QImage::Format_RGB32);
        picture.fill(qRgb(40, 160, 90));
        return picture;
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    QHash<QString, int> m_reads;
    QStringList m_begun;
    int m_held = 0;
    int m_heldSoFar = 0;
    int m_endBelow = 0;
    bool m_endAll = false;
};

QString write(QDir const& folder, QString const& name, QByteArray const& bytes = "held")
{
    const QString path = folder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(path);
    file.write(bytes);
    return path;
}

bool allThere(ThumbnailLoader const& loader, QStringList const& files)
{
    for (QString const& file : files) {
        if (!loader.hasThumbnail(QFileInfo(file)))
            return false;
    }
    return true;
}

bool isBlank(QImage const& thumbnail)
{
    return thumbnail.convertToFormat(QImage::Format_ARGB32_Premultiplied) == ThumbnailLoader::blankImage();
}

class UnansweringFolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    // As a view asks on each repaint: every file's thumbnail, the cached one or a request.
    static void repaint(ThumbnailLoader& loader, QStringList const& files)
    {
        for (QString const& file : files)
            loader.getThumbnail(QFileInfo(file));
    }

    QTemporaryDir m_dir;
};

TEST_F(UnansweringFolderTest, EachFileIsReadOnceHoweverOftenTheViewRepaints)
{
    const QDir folder(m_dir.path());
    QStringList files{write(folder, QStringLiteral("a.held.png")), write(folder, QStringLiteral("b.held.png"))};
    for (int i = 0; i < 10; ++i)
        files << write(folder, QStringLiteral("p%1.jpg").arg(i));
    auto reads = std::make_shared<HeldReads>();
    ThumbnailLoader loader(HeldReads::reader(reads), 2);
    {
        ReadWatchdog watchdog([reads] { reads->endAll(); }, std::chrono::seconds(20));
        repaint(loader, files);
        // Both readers hold a file; the view repaints meanwhile, and once their limits ran out.
        EXPECT_TRUE(reads->waitForHeld(2, watchdog));
        for (int i = 0; i < 20; ++i)
            repaint(loader, files);
        reads->end(2);
        while (!allThere(loader, files) && !watchdog.fired()) {
            repaint(loader, files);
            QThread::msleep(5);
        }
        for (int i = 0; i < 20; ++i)
            repaint(loader, files);
        EXPECT_FALSE(watchdog.fired()) << "a file that holds its read was read again";
    }
    reads->endAll();
    for (QString const& file : std::as_const(files)) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_EQ(reads->reads(file), 1);
        ASSERT_TRUE(loader.hasThumbnail(QFileInfo(file)));
    }
    // Nothing was read: the blank thumbnail, no size; the view stops asking.
    for (QString const& held : {files[0], files[1]}) {
        EXPECT_TRUE(isBlank(loader.getThumbnail(QFileInfo(held)).toImage())) << held.toStdString();
        EXPECT_FALSE(loader.imageSize(QFileInfo(held)).isValid());
    }
    EXPECT_EQ(loader.imageSize(QFileInfo(files[2])), QSize(4, 3));
}

TEST_F(UnansweringFolderTest, TheFolderShownNextWaitsOnlyForTheReadsUnderWayInTheFolderLeft)
{
    const QDir left(m_dir.path());
    QStringList leftFiles;
    for (int i = 0; i < 6; ++i)
        leftFiles << write(left, QStringLiteral("o%1.held.png").arg(i));
    ASSERT_TRUE(left.mkdir(QStringLiteral("sub")));
    const QDir shown(left.filePath(QStringLiteral("sub")));
    QStringList shownFiles;
    for (int i = 0; i < 4; ++i)
        shownFiles << write(shown, QStringLiteral("n%1.png").arg(i));
    auto reads = std::make_shared<HeldReads>();
    ThumbnailLoader loader(HeldReads::reader(reads), 2);
    {
        ReadWatchdog watchdog([reads] { reads->endAll(); }, std::chrono::seconds(20));
        repaint(loader, leftFiles);
        EXPECT_TRUE(reads->waitForHeld(2, watchdog));
        // The browser goes to the sub-folder while both readers hold a file of the folder left;
        // then their limits run out.
        repaint(loader, shownFiles);
        repaint(loader, shownFiles);
        reads->end(2);
        while (!allThere(loader, shownFiles) && !watchdog.fired()) {
            repaint(loader, shownFiles);
            QThread::msleep(5);
        }
        EXPECT_FALSE(watchdog.fired()) << "the folder shown waited for more reads of the folder left";
    }
    reads->endAll();
    // Every file shown was taken before any read of the folder left past the two under way. A
    // read is logged as it begins, after its take: while one reader starts the last file shown,
    // the other may take and log the next of the folder left, which holds it. So one such read
    // may come first, never two (served in the order asked, all six would).
    const QStringList begun = reads->begun();
    for (QString const& file : std::as_const(shownFiles)) {
        const qsizetype at = begun.indexOf(file);
        ASSERT_GE(at, 0) << file.toStdString();
        qsizetype leftBefore = 0;
        for (qsizetype i = 0; i < at; ++i)
            leftBefore += leftFiles.contains(begun[i]) ? 1 : 0;
        EXPECT_GE(leftBefore, 2) << file.toStdString();
        EXPECT_LE(leftBefore, 3) << file.toStdString() << " came after " << begun.mid(0, at).join(' ').toStdString();
    }
}

// Through the browser, its strip repainted as the user's screen does, and the program's own
// reader processes, which hold their reads of "*.hang.*" files past their limit and which the
// program's kill does not end (the kernel holds them).
class UnansweringShareTest : public UnansweringFolderTest
{
protected:
    void SetUp() override
    {
        UnansweringFolderTest::SetUp();
        const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        const QString standIn = QFileInfo(self).absolutePath() + QStringLiteral("/vyx-picture-reader-standin");
        ASSERT_TRUE(QFileInfo(standIn).isExecutable());
        PictureReader::setProgram(standIn);
        // Readers of the program kept from before are let go of here, not counted by the test.
        const QString stamp = m_dir.filePath(QStringLiteral("x.stamp"));
        QFile(stamp).open(QIODevice::WriteOnly);
        QString reason;
        ASSERT_FALSE(PictureReader::readFile(stamp, QSize(), nullptr, &reason).isNull()) << qPrintable(reason);
        ASSERT_TRUE(QFile::remove(stamp));
        QSettings().remove(QStringLiteral("BrowserLocation"));
        browser = std::make_unique<ImageBrowser>();
        browser->resize(1400, 900);
        browser->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(browser.get()));
    }
    void TearDown() override
    {
        browser.reset();
        PictureReader::setProgram(QString());
        PictureReader::setTimeLimit(0);
        QSettings().remove(QStringLiteral("BrowserLocation"));
    }

    QListView* strip() const { return browser->findChild<QListView*>(QStringLiteral("imageThumbnailsView")); }
    ThumbnailLoader& loader() const { return *browser->fileModel()->loader(); }

    // Shows the folder and waits until every file is listed and in sight.
    void show(QString const& folder, QStringList const& files)
    {
        VyxBrowserFileSystemModel* model = browser->fileModel();
        browser->navigateTo(model->index(folder));
        ReadWatchdog watchdog;
        const auto inSight = [&] {
            for (QString const& file : files) {
                const QModelIndex item = model->index(file);
                if (!item.isValid() || !strip()->viewport()->rect().intersects(strip()->visualRect(item)))
                    return false;
            }
            return true;
        };
        while (!inSight() && !watchdog.fired())
            QTest::qWait(10);
        ASSERT_TRUE(inSight()) << "the folder's files are not all in sight";
    }
    // Repaints the strip until every file has its thumbnail, and some rounds more.
    void repaintUntilThere(QStringList const& files)
    {
        {
            ReadWatchdog watchdog;
            while (!allThere(loader(), files) && !watchdog.fired()) {
                strip()->viewport()->repaint();
                QTest::qWait(10);
            }
            EXPECT_FALSE(watchdog.fired()) << "the folder's thumbnails did not all come";
        }
        for (int i = 0; i < 20; ++i) {
            strip()->viewport()->repaint();
            QTest::qWait(10);
        }
    }

    std::unique_ptr<ImageBrowser> browser;
};

TEST_F(UnansweringShareTest, EachFileCostsOneReadAndOneHeldReaderAndAChangedFileIsNotReadWhileItsReaderIsHeld)
{
    const UnendingKill unending;
    const QDir folder(m_dir.path());
    QStringList files;
    QImage photo(64, 48, QImage::Format_RGB32);
    photo.fill(qRgb(200, 120, 40));
    for (int i = 0; i < 10; ++i) {
        files << folder.filePath(QStringLiteral("photo%1.jpg").arg(i));
        ASSERT_TRUE(photo.save(files.last(), "JPG"));
    }
    const quint64 before = PictureReaderProcess::requestsSent();
    // The photos are read at the program's own limit before the share stops answering: a reader
    // started after a held one may take seconds to start on a busy machine, and a sound file
    // read at the short limit below could be cut for that alone.
    show(m_dir.path(), files);
    repaintUntilThere(files);
    ASSERT_EQ(loader().imageSize(QFileInfo(files.last())), QSize(64, 48));
    PictureReader::setTimeLimit(3000);
    const QStringList holding{write(folder, QStringLiteral("a.hang.png")), write(folder, QStringLiteral("b.hang.png"))};
    files << holding;
    show(m_dir.path(), files);
    repaintUntilThere(files);
    EXPECT_EQ(PictureReaderProcess::requestsSent() - before, quint64(files.size())) << "a file was read twice";
    EXPECT_EQ(UnendingKill::killed().size(), size_t(holding.size())) << "readers held";
    for (QString const& file : holding)
        EXPECT_TRUE(isBlank(loader().getThumbnail(QFileInfo(file)).toImage())) << file.toStdString();
    for (QString const& file : files.mid(0, 10))
        EXPECT_EQ(loader().imageSize(QFileInfo(file)), QSize(64, 48)) << file.toStdString();

    // Written again while its reader is still held (a new file put in its place, as editors
    // save): answered without another reader.
    write(folder, QStringLiteral("a.hang.png.part"), "held, and longer");
    ASSERT_TRUE(QFile::remove(holding[0]));
    ASSERT_TRUE(QFile::rename(holding[0] + QStringLiteral(".part"), holding[0]));
    repaintUntilThere(files);
    EXPECT_EQ(UnendingKill::killed().size(), size_t(holding.size())) << "another reader was held by the same file";
    EXPECT_EQ(PictureReaderProcess::requestsSent() - before, quint64(files.size()));
    EXPECT_TRUE(isBlank(loader().getThumbnail(QFileInfo(holding[0])).toImage()));
    // Gone before the held readers end, or it would read their files again (which hold for good).
    browser.reset();
}

} // namespace

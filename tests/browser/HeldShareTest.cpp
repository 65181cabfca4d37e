// A share that stops answering after the browser showed it (a laptop that left the network): the
// two thumbnails being read are held past their limit, and the readers the program stops then are
// held by the system. Whatever the share holds and wherever the user goes, that costs two readers:
// no reader starts for another file of the share while they are held; its files get blank
// thumbnails for now, the folder the user goes to comes at once, and once the share answers again
// its thumbnails come.

#include "browser/TestHome.h"

#include "browser/ImageBrowser.h"
#include "browser/ThumbnailLoader.h"
#include "browser/VyxBrowserFileSystemModel.h"
#include "io/picture/PictureReader.h"
#include "io/picture/PictureReaderProcess.h"
#include "io/picture/ReadWatchdog.h"
#include "io/picture/ReaderReaper.h"
#include "io/picture/StandInShare.h"
#include "io/picture/UnendingKill.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QListView>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

class HeldShareTest : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        PictureReader::setProgram(QFileInfo(self).absolutePath() + QStringLiteral("/vyx-picture-reader-standin"));
        // Readers of the program kept from before are let go of here, not counted by the test.
        const QString stamp = m_dir.filePath(QStringLiteral("x.stamp"));
        QString reason;
        ASSERT_FALSE(PictureReader::readFile(stamp, QSize(), nullptr, &reason).isNull()) << qPrintable(reason);
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

    static QStringList photos(const QString& folder, int count, QRgb colour)
    {
        QDir().mkpath(folder);
        QImage photo(64, 48, QImage::Format_RGB32);
        photo.fill(colour);
        QStringList files;
        for (int i = 0; i < count; ++i) {
            files << QDir(folder).filePath(QStringLiteral("photo%1.png").arg(i, 3, 10, QLatin1Char('0')));
            EXPECT_TRUE(photo.save(files.last())) << qPrintable(files.last());
        }
        return files;
    }
    // Repaints the strip (as the screen does) until `done`, within the watchdog's time.
    bool repaintUntil(const std::function<bool()>& done)
    {
        ReadWatchdog watchdog;
        while (!done() && !watchdog.fired()) {
            strip()->viewport()->repaint();
            QTest::qWait(10);
        }
        return done();
    }
    // Shows the folder and scrolls through it, as a user looking for a photo does: the strip
    // asks for every file's thumbnail.
    void showAndScroll(const QString& folder, const QStringList& files)
    {
        VyxBrowserFileSystemModel* model = browser->fileModel();
        browser->navigateTo(model->index(folder));
        ASSERT_TRUE(repaintUntil([&] {
            return std::all_of(files.cbegin(), files.cend(), [&](const QString& file) {
                return model->index(file).isValid() && model->index(file).parent() == model->index(folder);
            });
        })) << "the folder's files are not all listed";
        for (const QString& file : files) {
            strip()->scrollTo(model->index(file));
            strip()->viewport()->repaint();
        }
    }
    bool allThere(const QStringList& files, QSize size = QSize())
    {
        return std::all_of(files.cbegin(), files.cend(), [&](const QString& file) {
            return loader().hasThumbnail(QFileInfo(file))
                   && (!size.isValid() || loader().imageSize(QFileInfo(file)) == size);
        });
    }

    QTemporaryDir m_dir;
    std::unique_ptr<ImageBrowser> browser;
};

TEST_P(HeldShareTest, CostsTwoHeldReadersWhereverTheUserGoesAndItsThumbnailsComeWhenItAnswersAgain)
{
    const UnendingKill unending;
    StandInShare share(m_dir.path());
    const QStringList shared = photos(share.folder(), GetParam(), qRgb(200, 120, 40));
    const QStringList local = photos(m_dir.filePath(QStringLiteral("local")), 4, qRgb(40, 120, 200));
    share.stopAnswering();
    PictureReader::setTimeLimit(3000);
    const quint64 before = PictureReaderProcess::requestsSent();
    showAndScroll(share.folder(), shared);
    ASSERT_TRUE(repaintUntil([&] { return PictureReaderProcess::requestsSent() - before >= 2; }));
    // Reads from here on have the program's own limit: a sound file is never cut for a busy machine.
    PictureReader::setTimeLimit(0);

    // The user goes to a local folder: it waits only for the two reads held on the share.
    browser->navigateTo(browser->fileModel()->index(m_dir.filePath(QStringLiteral("local"))));
    EXPECT_TRUE(repaintUntil([&] { return allThere(local, QSize(64, 48)); })) << "the local thumbnails did not come";
    EXPECT_EQ(PictureReaderProcess::requestsSent() - before, quint64(2 + local.size()))
        << "the local thumbnails waited for more reads of the share";

    // The share's files asked for get blank thumbnails, without a reader of their own.
    EXPECT_TRUE(repaintUntil([&] { return allThere(shared); })) << "the share's files were read one by one";
    EXPECT_EQ(PictureReaderProcess::requestsSent() - before, quint64(2 + local.size()));
    EXPECT_LE(UnendingKill::killed().size(), 2u);
    for (const QString& file : shared)
        EXPECT_FALSE(loader().imageSize(QFileInfo(file)).isValid()) << qPrintable(file);

    // The share answers again: the held readers end, and its thumbnails come.
    share.answerAgain();
    EXPECT_TRUE(repaintUntil([&] { return allThere(shared, QSize(64, 48)); })) << "the share's thumbnails did not come";
    EXPECT_LE(UnendingKill::killed().size(), 2u);
    EXPECT_TRUE(repaintUntil([] { return ReaderReaper::waiting() == 0; })) << "a held reader was not reaped";

    browser.reset();
    EXPECT_LE(UnendingKill::killed().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Photos, HeldShareTest, ::testing::Values(12, 200));

} // namespace

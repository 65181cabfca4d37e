// A thumbnail costs one request to the reader process, whichever reader reads its file: a file
// Qt's readers refuse (a Photoshop file) is read by the image library in the same request, and a
// reader that stops answering is given up at one time limit, not one for each reader. A folder's
// files are read two at a time, each by a reader of its own.

#include "browser/ThumbnailLoader.h"
#include "io/picture/PictureReader.h"
#include "io/picture/PictureReaderProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <thread>

namespace {

std::atomic<int> s_kills{0};

void countedKill(pid_t pid)
{
    ++s_kills;
    ::kill(pid, SIGKILL);
}

// Ends this process's readers that run `program`, as if each had crashed.
void killReadersOf(QString const& program)
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + QStringLiteral("/children")));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : children.readAll().split(' ')) {
            QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(QString::fromLatin1(pid.trimmed())));
            if (!pid.trimmed().isEmpty() && commandLine.open(QIODevice::ReadOnly)
                && commandLine.readAll().startsWith(QFile::encodeName(program)))
                ::kill(pid.trimmed().toInt(), SIGKILL);
        }
    }
}

bool waitForThumbnail(QSignalSpy& ready)
{
    for (int i = 0; i < 600 && ready.isEmpty(); ++i)
        ready.wait(100);
    return !ready.isEmpty();
}

class ThumbnailRequestsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    void TearDown() override
    {
        PictureReaderProcess::setKill(nullptr);
        PictureReader::setProgram(QString());
        PictureReader::setTimeLimit(0);
    }

    QString file(QString const& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

TEST_F(ThumbnailRequestsTest, AFileOnlyTheImageLibraryReadsCostsOneRequest)
{
    const QString photoshop = file(QStringLiteral("flat.psd"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VYX_TEST_DATA_DIR "/flat.psd"), photoshop));
    ThumbnailLoader loader;
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    const quint64 before = PictureReaderProcess::requestsSent();
    loader.getThumbnail(photoshop);
    ASSERT_TRUE(waitForThumbnail(ready));
    EXPECT_EQ(PictureReaderProcess::requestsSent() - before, 1u);
    EXPECT_EQ(loader.imageSize(photoshop), QSize(8, 6));
}

TEST_F(ThumbnailRequestsTest, AReaderThatStopsAnsweringIsGivenUpAtOneTimeLimit)
{
    // The stand-in reader never answers for this name.
    const QString standIn = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath()
                            + QStringLiteral("/vyx-picture-reader-standin");
    ASSERT_TRUE(QFileInfo(standIn).isExecutable());
    PictureReader::setProgram(standIn);
    const QString stalled = file(QStringLiteral("x.hang"));
    const QString stamp = file(QStringLiteral("x.stamp"));
    for (const QString& name : {stalled, stamp}) {
        QFile out(name);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    }
    // Readers of the program kept from before are let go of here, not counted below.
    QString reason;
    ASSERT_FALSE(PictureReader::readFile(stamp, QSize(), nullptr, &reason).isNull()) << qPrintable(reason);
    PictureReader::setTimeLimit(200);
    PictureReaderProcess::setKill(&countedKill);
    ThumbnailLoader loader;
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    const quint64 before = PictureReaderProcess::requestsSent();
    s_kills = 0;
    loader.getThumbnail(stalled);
    ASSERT_TRUE(waitForThumbnail(ready));
    // One request, one reader stopped at its limit: the thumbnail waited one limit.
    EXPECT_EQ(PictureReaderProcess::requestsSent() - before, 1u);
    EXPECT_EQ(s_kills, 1);
    EXPECT_FALSE(loader.imageSize(stalled).isValid());
}

TEST_F(ThumbnailRequestsTest, AFoldersFilesAreReadTwoAtATime)
{
    // The stand-in reader never answers for these names: the second is asked while the first is
    // still read, before any time limit stops a reader.
    const QString standIn = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath()
                            + QStringLiteral("/vyx-picture-reader-standin");
    ASSERT_TRUE(QFileInfo(standIn).isExecutable());
    PictureReader::setProgram(standIn);
    PictureReader::setTimeLimit(20000);
    const QStringList folder{file(QStringLiteral("a.hang")), file(QStringLiteral("b.hang"))};
    const QString stamp = file(QStringLiteral("x.stamp"));
    for (const QString& name : folder + QStringList{stamp}) {
        QFile out(name);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    }
    // Readers of the program kept from before (earlier tests' thumbnails) are let go of here,
    // not counted below.
    QString reason;
    ASSERT_FALSE(PictureReader::readFile(stamp, QSize(), nullptr, &reason).isNull()) << qPrintable(reason);
    PictureReaderProcess::setKill(&countedKill);
    ThumbnailLoader loader;
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    const quint64 before = PictureReaderProcess::requestsSent();
    s_kills = 0;
    for (const QString& name : folder)
        loader.getThumbnail(name);
    // Generous: a loader that reads one at a time passes the limit first and fails below.
    for (int i = 0; i < 600 && PictureReaderProcess::requestsSent() - before < 2 && s_kills == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(PictureReaderProcess::requestsSent() - before, 2u);
    EXPECT_EQ(s_kills, 0) << "the second file waited for the first";

    killReadersOf(standIn);
    // Each file waited for: either reader may end first.
    const auto allThere = [&] {
        return std::all_of(folder.cbegin(), folder.cend(), [&](QString const& name) { return loader.hasThumbnail(name); });
    };
    for (int i = 0; i < 600 && !allThere(); ++i)
        ready.wait(100);
    for (const QString& name : folder)
        EXPECT_TRUE(loader.hasThumbnail(name)) << qPrintable(name);
}

} // namespace

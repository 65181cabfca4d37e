// A reader stopped in the middle of a file (at its time limit) is killed; it may take a while to
// end (a large one on a busy machine), and the next read of a file on its mount waits for it and
// then reads. One that does not end is held by the system, as a reader of a share whose server
// went away is: no new reader starts for a file on that mount until it has ended, and the refusal
// says what the program knows, whatever the mount is. Files elsewhere are read meanwhile.

#include "ReadWatchdog.h"
#include "StandInShare.h"
#include "UnendingKill.h"

#include "io/picture/PictureReader.h"
#include "io/picture/PictureReaderProcess.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

// While one lives, a killed reader ends only a while after its kill, as a reader that gives back
// a large picture's memory on a busy machine does.
class SlowEndingKill
{
public:
    SlowEndingKill() { PictureReaderProcess::setKill(&killLater); }
    ~SlowEndingKill() { PictureReaderProcess::setKill(nullptr); }
    SlowEndingKill(const SlowEndingKill&) = delete;
    SlowEndingKill& operator=(const SlowEndingKill&) = delete;

private:
    static void killLater(pid_t pid)
    {
        std::thread([pid] {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            ::kill(pid, SIGKILL);
        }).detach();
    }
};

class HeldReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        PictureReader::setProgram(QFileInfo(self).absolutePath() + QStringLiteral("/vyx-picture-reader-standin"));
        PictureReader::setTimeLimit(0);
        // Readers of the real program that earlier tests left waiting are let go of here, not
        // under a test's kill.
        (void)PictureReader::readFile(m_dir.filePath(QStringLiteral("x.stamp")));
    }
    void TearDown() override
    {
        PictureReader::setProgram(QString());
        PictureReader::setTimeLimit(0);
    }

    // A small photo as a camera's folder holds them, each of its own colour.
    QString photo(const QString& path, QRgb colour)
    {
        QImage picture(8, 6, QImage::Format_RGB32);
        picture.fill(colour);
        EXPECT_TRUE(picture.save(path, "PNG")) << qPrintable(path);
        return path;
    }
    static QImage read(const QString& path, QString* reason)
    {
        reason->clear();
        return PictureReader::readFile(path, QSize(), nullptr, reason);
    }

    QTemporaryDir m_dir;
};

TEST_F(HeldReaderTest, AReaderSlowToEndIsWaitedForAndTheFileIsReadAtOnceAfter)
{
    const SlowEndingKill slowEnd;
    const QString path = photo(m_dir.filePath(QStringLiteral("large.slow.png")), qRgb(120, 30, 200));
    QString reason;
    {
        ReadWatchdog watchdog;
        PictureReader::setTimeLimit(200);
        EXPECT_TRUE(read(path, &reason).isNull());
        EXPECT_EQ(reason, QStringLiteral("The picture's reader took longer than 1 s."));
        PictureReader::setTimeLimit(0);
        const QImage again = read(path, &reason);
        EXPECT_FALSE(watchdog.fired());
        ASSERT_EQ(again.size(), QSize(8, 6)) << qPrintable(reason);
        EXPECT_EQ(again.pixel(3, 2), qRgb(120, 30, 200));
    }
}

TEST_F(HeldReaderTest, AReaderThatDoesNotEndHoldsNoNewReaderOfItsMountAndTheRefusalSaysWhatIsKnown)
{
    const UnendingKill unending;
    const StandInShare share(m_dir.path());
    const QString hanging = share.filePath(QStringLiteral("first.hang"));
    const QString sound = photo(share.filePath(QStringLiteral("second.png")), qRgb(10, 200, 30));
    const QString elsewhere = photo(m_dir.filePath(QStringLiteral("local.png")), qRgb(200, 10, 30));
    QString reason;
    {
        ReadWatchdog watchdog;
        PictureReader::setTimeLimit(200);
        EXPECT_TRUE(read(hanging, &reason).isNull());
        PictureReader::setTimeLimit(0);
        const quint64 sent = PictureReaderProcess::requestsSent();
        EXPECT_TRUE(read(sound, &reason).isNull());
        EXPECT_EQ(PictureReaderProcess::requestsSent(), sent) << "a reader started on the mount of a held one";
        EXPECT_EQ(UnendingKill::killed().size(), 1u);
        // The words name what was seen, and hold for a local disk as for a share.
        EXPECT_TRUE(reason.contains(QStringLiteral("has still not ended"))) << qPrintable(reason);
        EXPECT_TRUE(reason.contains(hanging)) << qPrintable(reason);
        EXPECT_TRUE(reason.contains(QStringLiteral("\"%1\"").arg(share.folder()))) << qPrintable(reason);

        // Elsewhere a file is read meanwhile.
        EXPECT_EQ(read(elsewhere, &reason).pixel(0, 0), qRgb(200, 10, 30)) << qPrintable(reason);
        // Once the held reader has ended, the share's files are read again.
        ASSERT_TRUE(UnendingKill::endAll());
        EXPECT_EQ(read(sound, &reason).pixel(0, 0), qRgb(10, 200, 30)) << qPrintable(reason);
        EXPECT_FALSE(watchdog.fired());
    }
}

} // namespace

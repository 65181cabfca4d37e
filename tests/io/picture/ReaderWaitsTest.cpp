// No read waits without a limit: a reader the kill does not end (the kernel holds it), one that
// closes its socket and lives on, and one that takes no request hold a read no longer than its
// limits; what was let go of is reaped when it ends.

#include "ReadWatchdog.h"
#include "StandInShare.h"
#include "UnendingKill.h"

#include "io/picture/PictureReader.h"
#include "io/picture/PictureReaderProcess.h"
#include "io/picture/ReaderChannel.h"

#include <QFileInfo>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>

#include <sys/socket.h>
#include <unistd.h>

namespace {

QString standIn()
{
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath()
           + QStringLiteral("/vyx-picture-reader-standin");
}

// The stamp picture's colour: the process id of the reader that drew it.
pid_t stampedProcess(const QImage& image)
{
    return image.isNull() ? -1 : pid_t(image.pixel(0, 0) & 0xFFFFFF);
}

bool reaped(pid_t pid)
{
    for (int i = 0; i < 2000; ++i) {
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class ReaderWaitsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        PictureReader::setProgram(standIn());
        PictureReader::setTimeLimit(0);
        // Readers of the real program that earlier tests left waiting are let go of here, not
        // under a test's kill, which counts the readers it ends.
        (void)PictureReader::readFile(file(QStringLiteral("x.stamp")));
    }
    void TearDown() override
    {
        PictureReader::setProgram(QString());
        PictureReader::setTimeLimit(0);
    }

    QString file(const QString& name) const { return m_dir.filePath(name); }
    QImage read(const QString& name, QString* reason = nullptr)
    {
        return PictureReader::readFile(file(name), QSize(), nullptr, reason);
    }

    QTemporaryDir m_dir;
};

// Held on a share, as the kernel holds such a reader: a file elsewhere is read at once.
TEST_F(ReaderWaitsTest, AReaderTheKillDoesNotEndHoldsNoReadAndIsReapedOnceItEnds)
{
    const UnendingKill unending;
    const StandInShare share(m_dir.path());
    QString reason;
    QImage next;
    {
        ReadWatchdog watchdog;
        PictureReader::setTimeLimit(200);
        EXPECT_TRUE(PictureReader::readFile(share.filePath(QStringLiteral("x.hang")), QSize(), nullptr, &reason)
                        .isNull());
        PictureReader::setTimeLimit(0);
        // The next picture comes from a new reader.
        next = read(QStringLiteral("x.stamp"));
        EXPECT_FALSE(watchdog.fired()) << "a read waited for a reader the kill did not end";
    }
    EXPECT_EQ(reason, QStringLiteral("The picture's reader took longer than 1 s."));
    ASSERT_EQ(UnendingKill::killed().size(), 1u);
    EXPECT_FALSE(next.isNull());
    EXPECT_NE(stampedProcess(next), UnendingKill::killed().front());
    // Once the kernel lets it go, the program reaps it: no reader is left behind as a zombie.
    EXPECT_TRUE(UnendingKill::endAll());
}

TEST_F(ReaderWaitsTest, AFolderReadOnItsOwnThreadGoesOnPastReadersThatDoNotEnd)
{
    // As the thumbnails of a folder are read: one file after another on a thread of their own;
    // the one that hangs is on a share.
    const UnendingKill unending;
    const StandInShare share(m_dir.path());
    QImage picture(6, 4, QImage::Format_RGB32);
    picture.fill(qRgb(30, 60, 90));
    ASSERT_TRUE(picture.save(file(QStringLiteral("b.png"))));
    ASSERT_TRUE(picture.save(file(QStringLiteral("d.png"))));
    const QStringList folder{share.filePath(QStringLiteral("a.hang")), file(QStringLiteral("b.png")),
                             file(QStringLiteral("c.close")), file(QStringLiteral("d.png"))};
    QList<QImage> thumbnails;
    QStringList reasons;
    {
        ReadWatchdog watchdog;
        std::thread([&] {
            for (const QString& name : folder) {
                // A small limit where the reader hangs; the others' readers start in their time.
                PictureReader::setTimeLimit(name.endsWith(QLatin1String(".hang")) ? 200 : 0);
                QString reason;
                thumbnails.append(PictureReader::readFile(name, QSize(), nullptr, &reason));
                reasons.append(reason);
            }
        }).join();
        EXPECT_FALSE(watchdog.fired()) << "a thumbnail waited for a reader without end";
    }
    ASSERT_EQ(thumbnails.size(), 4);
    EXPECT_EQ(reasons[0], QStringLiteral("The picture's reader took longer than 1 s."));
    EXPECT_EQ(thumbnails[1].size(), QSize(6, 4)) << qPrintable(reasons[1]);
    EXPECT_EQ(reasons[2], QStringLiteral("The picture's reader stopped."));
    EXPECT_EQ(thumbnails[3].size(), QSize(6, 4)) << qPrintable(reasons[3]);
    EXPECT_TRUE(UnendingKill::endAll());
}

TEST_F(ReaderWaitsTest, AReaderThatClosesItsSocketAndLivesOnIsStopped)
{
    const pid_t reader = stampedProcess(read(QStringLiteral("x.stamp")));
    ASSERT_GT(reader, 0);
    QString reason;
    {
        ReadWatchdog watchdog;
        EXPECT_TRUE(read(QStringLiteral("x.close"), &reason).isNull());
        EXPECT_FALSE(watchdog.fired()) << "the read waited for a reader that closed its socket";
    }
    EXPECT_EQ(reason, QStringLiteral("The picture's reader stopped."));
    EXPECT_TRUE(reaped(reader));
    EXPECT_NE(stampedProcess(read(QStringLiteral("x.stamp"))), reader);
}

TEST_F(ReaderWaitsTest, AWaitThatLeavesOnCancelEndsTheReadAndTheReadGoesOnAlone)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    // The window's thread is the application's: one is made where the run has none.
    std::unique_ptr<QCoreApplication> application;
    if (!QCoreApplication::instance())
        application = std::make_unique<QCoreApplication>(argc, argv);
    const UnendingKill unending;
    // As Esc ends the window's wait: the wait leaves at once, the read is never joined.
    std::atomic<bool> workReturned{false};
    PictureReader::setWait([&workReturned](const std::function<void()>& work, const std::function<void()>& cancel) {
        std::thread([work, &workReturned] {
            work();
            workReturned = true;
        }).detach();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        cancel();
    });
    QString reason;
    {
        const PictureReader::WindowWait windowWait;
        EXPECT_TRUE(read(QStringLiteral("x.hang"), &reason).isNull());
    }
    PictureReader::setWait({});
    EXPECT_EQ(reason, QStringLiteral("The picture was not read: the read was canceled."));
    for (int i = 0; i < 2000 && !workReturned; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(workReturned);
    EXPECT_TRUE(UnendingKill::endAll());
    EXPECT_GT(stampedProcess(read(QStringLiteral("x.stamp"))), 0);
}

// The time limit follows the pixels the picture's header claims, as the data limit does: a
// picture at the cap that its reader takes past the base limit to decode (a slow or busy machine)
// is read; a reader that claims it again and again and never answers still ends at its limit.
TEST_F(ReaderWaitsTest, TheTimeLimitFollowsThePicturesClaimedSize)
{
    QString reason;
    PictureReader::setTimeLimit(2000);
    EXPECT_GT(stampedProcess(read(QStringLiteral("x.claimthenwait"), &reason)), 0) << qPrintable(reason);
    PictureReader::setTimeLimit(200);
    PictureReaderProcess::setMsPerMegapixel(1);
    {
        ReadWatchdog watchdog;
        EXPECT_TRUE(read(QStringLiteral("x.claimthenhang"), &reason).isNull());
        EXPECT_FALSE(watchdog.fired()) << "a reader's claims held the read past its limit";
    }
    PictureReaderProcess::setMsPerMegapixel(0);
    PictureReader::setTimeLimit(0);
    // 200 ms and 1 ms for each of at most twice the cap's megapixels.
    EXPECT_EQ(reason, QStringLiteral("The picture's reader took longer than 1 s."));
    EXPECT_EQ(PictureReaderProcess::timeLimitFor(20000, 0), 20000);
    EXPECT_EQ(PictureReaderProcess::timeLimitFor(20000, 24000000),
              20000 + 24 * PictureReaderProcess::defaultMsPerMegapixel);
}

// Esc handled once the read it meant had ended (the wait returns Escaped after the read's own
// end): the reader goes back to the pool as it was, and the next read on any thread reads.
TEST_F(ReaderWaitsTest, ACancelAfterItsReadEndedChangesNothing)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> application;
    if (!QCoreApplication::instance())
        application = std::make_unique<QCoreApplication>(argc, argv);
    PictureReader::setWait([](const std::function<void()>& work, const std::function<void()>& cancel) {
        work();
        cancel();
    });
    QImage picked;
    {
        const PictureReader::WindowWait windowWait;
        picked = read(QStringLiteral("x.stamp"));
    }
    PictureReader::setWait({});
    ASSERT_GT(stampedProcess(picked), 0);
    for (const bool ownThread : {false, true}) {
        SCOPED_TRACE(ownThread ? "a thumbnail's thread" : "the window's thread");
        QString reason;
        QImage next;
        if (ownThread)
            std::thread([&] { next = read(QStringLiteral("x.stamp"), &reason); }).join();
        else
            next = read(QStringLiteral("x.stamp"), &reason);
        EXPECT_EQ(stampedProcess(next), stampedProcess(picked)) << qPrintable(reason);
    }
}

TEST_F(ReaderWaitsTest, AReaderOfAnotherBuildIsRefusedWithWordsToRestart)
{
    const pid_t first = stampedProcess(read(QStringLiteral("x.stamp")));
    QString reason;
    EXPECT_TRUE(read(QStringLiteral("x.otherversion"), &reason).isNull());
    EXPECT_EQ(reason, QStringLiteral("The picture's reader is from another version of Vyx-Solenne. "
                                     "Restart Vyx-Solenne to read pictures again."));
    // It is not kept for the next picture.
    const pid_t next = stampedProcess(read(QStringLiteral("x.stamp")));
    EXPECT_GT(next, 0);
    EXPECT_NE(next, first);
}

TEST(ReaderChannelTest, ASendToAReaderThatDoesNotReadEndsAtItsLimitOrItsCancel)
{
    int sockets[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets), 0);
    // Far more than a socket's buffer holds, and nobody reads it.
    const QByteArray frame(8 << 20, 'x');
    ReaderChannel channel(sockets[0]);
    ReaderChannel::Result timed = ReaderChannel::Result::Done;
    ReaderChannel::Result canceled = ReaderChannel::Result::Done;
    {
        ReadWatchdog watchdog([&sockets] { ::shutdown(sockets[1], SHUT_RDWR); });
        timed = channel.send(frame, -1, 100);
        const std::atomic<bool> cancel{true};
        canceled = channel.send(frame, -1, -1, &cancel);
        EXPECT_FALSE(watchdog.fired()) << "a send waited without end";
    }
    EXPECT_EQ(timed, ReaderChannel::Result::TimedOut);
    EXPECT_EQ(canceled, ReaderChannel::Result::Canceled);
    ::close(sockets[0]);
    ::close(sockets[1]);
}

} // namespace

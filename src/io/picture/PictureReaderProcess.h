#pragma once

#include "io/picture/PictureRequest.h"
#include "io/picture/ReaderChannel.h"

#include <QImage>
#include <QList>
#include <QString>

#include <atomic>

#include <sys/types.h>

// The program's side of one picture reader process: started on first use, kept for the next
// picture, started again after it ends. A reader that crashes, runs out of its memory or of its
// time gives a refusal that says so; the program goes on as it was. No step waits without a
// limit: a reader that is stopped is killed and let go of, and reaped whenever it ends.
class PictureReaderProcess
{
public:
    // `program` is the reader's path (in messages, and as its own name); `file`, when not
    // negative, a descriptor of the reader's file held open (not taken over), run in its place.
    explicit PictureReaderProcess(QString program, int file = -1);
    ~PictureReaderProcess();

    PictureReaderProcess(const PictureReaderProcess&) = delete;
    PictureReaderProcess& operator=(const PictureReaderProcess&) = delete;

    // Asks the reader; false with *reason when it refused, failed, or did not answer within
    // `timeLimitMs`, raised by the pixels the picture's header claims (see timeLimitFor). The
    // pictures come in shared memory the images keep mapped.
    bool run(const PictureRequest& request, int timeLimitMs, PictureReply* reply, QList<QImage>* images,
             QString* reason);
    // Ends the read under way (any thread): the reader is stopped and run() returns false.
    void cancel();
    // Drops a cancel that came after the read it meant had ended (not while a read runs).
    void forgetCancel() { m_cancel = false; }
    bool wasCanceled() const { return m_canceled; }

    const QString& program() const { return m_program; }
    // The reader's process id, -1 while none runs (tests).
    pid_t processId() const { return m_pid; }

    // The time a read of a picture whose header claims `pixels` may take: `baseMs` (the header,
    // starting the reader) and a time a megapixel, which a picture at the cap read on one busy
    // core needs. A reader's claims count up to the pixels of a read at the cap.
    static constexpr int defaultMsPerMegapixel = 1000;
    static int timeLimitFor(int baseMs, qint64 pixels);
    // Tests set a small time a megapixel (0 puts it back).
    static void setMsPerMegapixel(int milliseconds);
    // The time a killed reader whose picture claimed `pixels` may take to end on a busy machine,
    // giving back its memory: past it, the system holds it (see ReaderReaper).
    static int endingTimeFor(qint64 pixels);

    // How a reader is stopped: SIGKILL (null puts it back). Tests give one that leaves the reader
    // running, as the kernel holds a reader stuck in a read from a mount that stopped answering.
    using Kill = void (*)(pid_t pid);
    static void setKill(Kill kill);
    // The requests sent to readers so far, by every reader of the process (tests).
    static quint64 requestsSent();
    // Why a reader of another build is refused.
    static QString otherVersionReason();

private:
    bool start(QString* reason);
    // `stalledOn`: the file the read was on when its time ran out or it was canceled, if it was;
    // `claimedPixels`, what its picture claimed so far.
    void stop(const QString& stalledOn = QString(), qint64 claimedPixels = 0);
    void closeChannel();

    QString m_program;
    int m_file = -1;
    std::atomic<pid_t> m_pid{-1};
    // Which start of the reader this is, unique for the program's life.
    quint64 m_serial = 0;
    ReaderChannel m_channel;
    std::atomic<bool> m_cancel{false};
    bool m_canceled = false;
};

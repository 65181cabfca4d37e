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
// time gives a refusal that says so; the program goes on as it was.
class PictureReaderProcess
{
public:
    explicit PictureReaderProcess(QString program);
    ~PictureReaderProcess();

    PictureReaderProcess(const PictureReaderProcess&) = delete;
    PictureReaderProcess& operator=(const PictureReaderProcess&) = delete;

    // Asks the reader; false with *reason when it refused, failed, or did not answer within
    // `timeLimitMs`. The pictures come in shared memory the images keep mapped.
    bool run(const PictureRequest& request, int timeLimitMs, PictureReply* reply, QList<QImage>* images,
             QString* reason);
    // Ends the read under way (any thread): the reader is stopped and run() returns false.
    void cancel();
    bool wasCanceled() const { return m_canceled; }

    const QString& program() const { return m_program; }
    // The reader's process id, -1 while none runs (tests).
    pid_t processId() const { return m_pid; }

private:
    bool start(QString* reason);
    void stop();

    QString m_program;
    std::atomic<pid_t> m_pid{-1};
    ReaderChannel m_channel;
    std::atomic<bool> m_cancel{false};
    bool m_canceled = false;
};

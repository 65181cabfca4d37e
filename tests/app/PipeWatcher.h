#pragma once

// A named pipe put where a hostile name points, and a watch on whether the program ever opens it
// for reading. The watch never lets a reader block: a thread keeps opening the write end without
// blocking, which succeeds only while a reader holds or waits on the read end; it counts that and
// closes at once, so the reader's open returns and its read ends. A test that lets the program
// open the pipe fails instead of hanging.

#include <QString>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class PipeWatcher
{
public:
    explicit PipeWatcher(QString const& path) : m_path(path)
    {
        const QByteArray local = path.toLocal8Bit();
        m_valid = ::mkfifo(local.constData(), 0600) == 0;
        if (m_valid)
            m_thread = std::thread([this, local] { watch(local); });
    }

    ~PipeWatcher()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

    PipeWatcher(PipeWatcher const&) = delete;
    PipeWatcher& operator=(PipeWatcher const&) = delete;

    bool isValid() const { return m_valid; }
    QString path() const { return m_path; }
    // How often a reader was found on the pipe.
    int readerOpens() const { return m_opens; }

private:
    void watch(QByteArray const& local)
    {
        while (!m_stop) {
            const int fd = ::open(local.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ++m_opens;
                ::close(fd);
            }
            ::usleep(500);
        }
    }

    QString m_path;
    bool m_valid = false;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_opens{0};
    std::thread m_thread;
};

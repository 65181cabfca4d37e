#pragma once

// Ends a test's wait that never returns: after a generous time it records that it fired and
// releases what the wait hangs on (by default, kills every stand-in reader this process started),
// again every second until the test is past it, so that the test goes on to fail instead of
// hanging the run.

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <functional>
#include <mutex>
#include <thread>

#include <unistd.h>

class ReadWatchdog
{
public:
    explicit ReadWatchdog(std::function<void()> release = &killStandIns,
                          std::chrono::seconds limit = std::chrono::seconds(30))
        : m_thread([this, release = std::move(release), limit] {
              std::unique_lock lock(m_mutex);
              if (m_ended.wait_for(lock, limit, [this] { return m_done; }))
                  return;
              m_fired = true;
              do {
                  lock.unlock();
                  release();
                  lock.lock();
              } while (!m_ended.wait_for(lock, std::chrono::seconds(1), [this] { return m_done; }));
          })
    {
    }
    ~ReadWatchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_ended.notify_all();
        m_thread.join();
    }
    ReadWatchdog(const ReadWatchdog&) = delete;
    ReadWatchdog& operator=(const ReadWatchdog&) = delete;

    bool fired()
    {
        std::lock_guard lock(m_mutex);
        return m_fired;
    }

    static void killStandIns()
    {
        const QByteArray self = QByteArray::number(qint64(::getpid()));
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString& entry : entries) {
            bool number = false;
            const qint64 pid = entry.toLongLong(&number);
            if (!number)
                continue;
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            QFile command(QStringLiteral("/proc/%1/cmdline").arg(entry));
            if (!stat.open(QIODevice::ReadOnly) || !command.open(QIODevice::ReadOnly))
                continue;
            // "pid (name) state ppid ...": the name may hold spaces, so count from its end.
            const QByteArray line = stat.readAll();
            const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 1 && fields[1] == self && command.readAll().contains("standin"))
                ::kill(pid_t(pid), SIGKILL);
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_done = false;
    bool m_fired = false;
    std::thread m_thread;
};

#pragma once

// Counts how often anyone opens a file, by any name (a link, /proc/self/fd/N), through inotify:
// a test learns whether a reader opened a file it was only meant to name. HeldFile keeps a file
// open under a descriptor number, for names of the form /proc/self/fd/N.
// A watch on a folder counts the opens of the files in it.

#include <QFile>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

class OpenWatcher
{
public:
    explicit OpenWatcher(QString const& path)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        m_valid = m_fd >= 0 && inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_OPEN) >= 0;
    }

    ~OpenWatcher()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    OpenWatcher(OpenWatcher const&) = delete;
    OpenWatcher& operator=(OpenWatcher const&) = delete;

    bool isValid() const { return m_valid; }

    // The opens since the last call.
    int opens()
    {
        int count = 0;
        drain([&](inotify_event const&) { ++count; });
        return count;
    }

    // For a watched folder: the names of the files in it opened since the last call, the
    // folder's own opens (a listing) left out.
    QStringList openedFiles()
    {
        QStringList names;
        drain([&](inotify_event const& event) {
            if (!(event.mask & IN_ISDIR) && event.len > 0)
                names << QFile::decodeName(event.name);
        });
        return names;
    }

private:
    template<typename EachOpen>
    void drain(EachOpen eachOpen)
    {
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
            if (length <= 0)
                return;
            for (ssize_t at = 0; at < length;) {
                auto const* event = reinterpret_cast<inotify_event const*>(buffer + at);
                if (event->mask & IN_OPEN)
                    eachOpen(*event);
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

    int m_fd = -1;
    bool m_valid = false;
};

class HeldFile
{
public:
    // Holds `path` open under the first descriptor number from `from` on that the process has free.
    explicit HeldFile(QString const& path, int from = 77)
    {
        const int opened = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
        if (opened < 0)
            return;
        while (fcntl(from, F_GETFD) != -1)
            ++from;
        m_descriptor = ::dup2(opened, from);
        ::close(opened);
    }

    ~HeldFile()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }

    HeldFile(HeldFile const&) = delete;
    HeldFile& operator=(HeldFile const&) = delete;

    bool isValid() const { return m_descriptor >= 0; }
    QString name() const { return QStringLiteral("/proc/self/fd/%1").arg(m_descriptor); }

private:
    int m_descriptor = -1;
};

#pragma once

// What this process's picture readers hold at their peak while a read runs: each reader's peak of
// resident memory is set back to what it holds before the read, and read again after it.

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>

#include <algorithm>

#include <sys/types.h>

namespace ReaderPeakMemory {

// The reader processes of this process, as /proc lists the children of its threads.
inline QList<pid_t> readers()
{
    QList<pid_t> found;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + QStringLiteral("/children")));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : children.readAll().split(' ')) {
            if (!pid.trimmed().isEmpty())
                found.append(pid_t(pid.trimmed().toLong()));
        }
    }
    return found;
}

// A field of /proc/<pid>/status, in bytes.
inline qint64 statusBytes(pid_t pid, const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

// The most any reader's resident memory rose above what it held before `read`, at its peak.
template<typename Read>
qint64 growthWhile(Read read)
{
    QHash<pid_t, qint64> before;
    for (const pid_t pid : readers()) {
        QFile clear(QStringLiteral("/proc/%1/clear_refs").arg(pid));
        if (clear.open(QIODevice::WriteOnly) && clear.write("5") == 1) {
            clear.close();
            before.insert(pid, statusBytes(pid, "VmRSS"));
        }
    }
    read();
    qint64 growth = 0;
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        growth = std::max(growth, statusBytes(it.key(), "VmHWM") - it.value());
    return growth;
}

} // namespace ReaderPeakMemory

#pragma once

// Memory a process holds: what it has resident of its own and of shared memory, and what the
// pictures' shared memory it holds open without mapping it (kept for a reader) holds.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

struct HeldMemory {
    qint64 resident = 0;
    qint64 openShared = 0;
    qint64 total() const { return resident + openShared; }
};

inline HeldMemory heldBy(pid_t pid)
{
    HeldMemory held;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            // Code and files mapped from disk hold no picture (a reader faults in its format's
            // library on first use).
            if (line.startsWith("RssAnon:") || line.startsWith("RssShmem:"))
                held.resident += line.mid(9).trimmed().split(' ').value(0).toLongLong() * 1024;
        }
    }
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& name : descriptors.entryList(QDir::Files | QDir::System)) {
        const QString path = descriptors.filePath(name);
        if (!QFileInfo(path).symLinkTarget().contains(QLatin1String("memfd:vyx-picture")))
            continue;
        struct stat file {};
        if (::stat(QFile::encodeName(path).constData(), &file) == 0)
            held.openShared += qint64(file.st_blocks) * 512;
    }
    return held;
}

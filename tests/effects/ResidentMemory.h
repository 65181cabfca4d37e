#pragma once

// The process's resident memory, for renders measured in a child.

#include <QByteArray>
#include <QFile>
#include <QtGlobal>

#include <sys/resource.h>

namespace EffectTest {

// Resident now, in bytes; -1 when it cannot be read.
inline qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray const& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// The most resident so far, in bytes.
inline qint64 peakResidentBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

} // namespace EffectTest

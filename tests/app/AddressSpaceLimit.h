#pragma once

// Memory bounds checked without a clock: a child process (a death test) limits its address
// space to what it holds and some room, then does the work; past the room an allocation fails.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <sys/resource.h>
#include <unistd.h>

namespace AppTest {

// The address space the process holds now, in bytes.
inline qint64 addressSpaceBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(0).toLongLong() * getpagesize();
}

// Limits the process's address space to `bytes` in all; false when the limit could not be set.
// For a child process: the limit holds for the whole process.
inline bool limitAddressSpaceTo(qint64 bytes)
{
    const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
    return setrlimit(RLIMIT_AS, &limit) == 0;
}

// Limits the process's address space to what it holds now and `room` bytes more.
inline bool limitAddressSpace(qint64 room)
{
    const qint64 held = addressSpaceBytes();
    return held > 0 && limitAddressSpaceTo(held + room);
}

} // namespace AppTest

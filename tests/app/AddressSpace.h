#pragma once

// Memory bounds of a forked child (a death test): the address space the process holds, and a
// limit a little above it, so that a load that would take more fails there instead of in the
// machine.

#include <QFile>

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

// Limits the process's address space to what it holds now and `room` bytes more.
inline void limitAddressSpace(qint64 room)
{
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = rlim_t(addressSpaceBytes() + room);
    setrlimit(RLIMIT_AS, &limit);
}

} // namespace AppTest

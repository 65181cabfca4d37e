#pragma once

// Memory bounds checked without a clock: a child process (a death test) limits its address
// space to what it holds and some room, then does the work; past the room an allocation fails.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace AppTest {

// True in the process a death test runs its statement in (the test program started again).
inline bool isDeathTestChild()
{
    std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
    const std::string arguments{std::istreambuf_iterator<char>(cmdline), std::istreambuf_iterator<char>()};
    return arguments.find("--gtest_internal_run_death_test") != std::string::npos;
}

// A death test's process keeps one heap for all its threads from its start, before any thread
// runs. Otherwise a thread's first allocation may reserve a heap of its own (64 MB of address
// space, 128 MB while it is placed), and which threads do so, before or after the limit is set
// or the start is measured, depends on how they were scheduled: under load the same work
// measured hundreds of megabytes more.
inline const bool oneHeapInDeathTests = isDeathTestChild() && mallopt(M_ARENA_MAX, 1) == 1;

// The address space the process holds now, in bytes.
inline qint64 addressSpaceBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(0).toLongLong() * getpagesize();
}

// The most address space the process has held at once (VmPeak), in bytes; 0 when unknown. Under a
// limit it never passes the limit: what a piece of work held at its height shows whether it kept
// within a budget well below the limit, or took the room it was given.
inline qint64 peakAddressSpaceBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray const& line : status.readAll().split('\n')) {
        if (line.startsWith("VmPeak:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

// Limits the process's address space to `bytes` in all; false when the limit could not be set.
// For a child process: the limit holds for the whole process. Only the soft limit is lowered:
// a process it starts (the picture reader) inherits it but may raise it again, as the bound is
// the program's own memory, not its reader's.
inline bool limitAddressSpaceTo(qint64 bytes)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0)
        return false;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? rlim_t(bytes) : std::min(rlim_t(bytes), limit.rlim_max);
    return setrlimit(RLIMIT_AS, &limit) == 0;
}

// Limits the process's address space to what it holds now and `room` bytes more.
inline bool limitAddressSpace(qint64 room)
{
    const qint64 held = addressSpaceBytes();
    return held > 0 && limitAddressSpaceTo(held + room);
}

} // namespace AppTest

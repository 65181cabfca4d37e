#include "io/picture/ReaderMemory.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <new>

#include <sys/resource.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define VYX_READER_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VYX_READER_SANITIZED 1
#endif

namespace {

std::atomic<bool> s_allocationFailed{false};
// The soft limit last asked for (0: none) and the shared memory counted against it.
std::atomic<qint64> s_asked{0};
std::atomic<qint64> s_shared{0};

bool applySoftLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_DATA, &limit) != 0)
        return false;
    const qint64 bytes = std::max<qint64>(s_asked - s_shared, 4096);
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? rlim_t(bytes) : std::min(rlim_t(bytes), limit.rlim_max);
    return ::setrlimit(RLIMIT_DATA, &limit) == 0;
}

void onAllocationFailure()
{
    s_allocationFailed = true;
    // Without a handler operator new throws std::bad_alloc, which the read turns into a refusal.
    std::set_new_handler(nullptr);
    throw std::bad_alloc();
}

} // namespace

bool ReaderMemory::limitsApply()
{
#ifdef VYX_READER_SANITIZED
    return false;
#else
    return true;
#endif
}

qint64 ReaderMemory::dataInUse()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = status.readAll();
    const qsizetype at = text.indexOf("\nVmData:");
    if (at < 0)
        return 0;
    const qsizetype end = text.indexOf('\n', at + 1);
    const QByteArray field = text.mid(at + 8, end - at - 8).trimmed();
    // "1234 kB"
    return field.left(field.indexOf(' ')).toLongLong() * 1024;
}

bool ReaderMemory::setHardLimit(qint64 bytes)
{
    if (!limitsApply())
        return false;
    rlimit limit{rlim_t(bytes), rlim_t(bytes)};
    if (::setrlimit(RLIMIT_DATA, &limit) != 0)
        return false;
    s_asked = bytes;
    return applySoftLimit();
}

qint64 ReaderMemory::hardLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_DATA, &limit) != 0 || limit.rlim_max == RLIM_INFINITY)
        return 0;
    return qint64(limit.rlim_max);
}

bool ReaderMemory::setSoftLimit(qint64 bytes)
{
    if (!limitsApply())
        return false;
    s_asked = bytes;
    return applySoftLimit();
}

qint64 ReaderMemory::softLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_DATA, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 0;
    return qint64(limit.rlim_cur);
}

void ReaderMemory::setSharedInUse(qint64 bytes)
{
    s_shared = std::max<qint64>(0, bytes);
    if (limitsApply() && s_asked > 0)
        applySoftLimit();
}

qint64 ReaderMemory::sharedInUse()
{
    return s_shared;
}

bool ReaderMemory::roomForShared(qint64 bytes)
{
    if (!limitsApply() || s_asked <= 0)
        return true;
    const qint64 data = dataInUse();
    return data <= 0 || data + s_shared + bytes <= s_asked;
}

void ReaderMemory::installNewHandler()
{
    std::set_new_handler(&onAllocationFailure);
}

bool ReaderMemory::allocationFailed()
{
    return s_allocationFailed;
}

void ReaderMemory::resetAllocationFailed()
{
    s_allocationFailed = false;
    std::set_new_handler(&onAllocationFailure);
}

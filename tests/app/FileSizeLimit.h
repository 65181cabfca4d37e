#pragma once

// A stand-in for a full disk that needs neither root nor a real disk: the process's file-size
// limit. With SIGXFSZ ignored, a write past the limit fails with EFBIG ("File too large"), as
// one fails with ENOSPC on a full disk. Meant for a child process (a death test), since the
// limit and the signal's disposition hold for the whole process.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <functional>

#include <sys/resource.h>

namespace AppTest {

// Runs `work` with files limited to `bytes`; the limit is restored before it returns, so that
// the caller may write its report.
inline void withFileSizeLimit(rlim_t bytes, std::function<void()> const& work)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    work();
    setrlimit(RLIMIT_FSIZE, &saved);
}

inline QByteArray fileBytes(QString const& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFileBytes(QString const& path, QByteArray const& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace AppTest

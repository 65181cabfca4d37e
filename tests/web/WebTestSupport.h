#pragma once

// Shared helpers of the web tests: waiting on signals, the service's base URL setting, and
// building a reply's body from raw bytes.

#include "web/AbstractApiMethod.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSettings>
#include <QSignalSpy>
#include <QString>
#include <QVariant>

#include <functional>

namespace WebTest {

// Generous: only a broken test waits this long.
inline constexpr int kWaitMs = 30000;

// Waits until the spy has seen `count` signals in all; false when it never did.
inline bool waitForCount(QSignalSpy& spy, int count, int timeoutMs = kWaitMs)
{
    while (spy.count() < count) {
        if (!spy.wait(timeoutMs))
            return spy.count() >= count;
    }
    return true;
}

// Lets events through until the condition holds; false when it never did.
inline bool waitUntil(std::function<bool()> const& condition, int timeoutMs = kWaitMs)
{
    QDeadlineTimer const deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// Sends nothing: parses the bytes as if they were the reply of a finished call.
inline void replyWith(AbstractApiMethod& method, QByteArray const& body)
{
    method.parseReplyBody(body);
}

// Sets "WebService::BaseUrl" while it lives and removes it after.
class ScopedBaseUrl
{
public:
    explicit ScopedBaseUrl(QString const& url)
    {
        QSettings().setValue(QStringLiteral("WebService::BaseUrl"), url);
    }
    ~ScopedBaseUrl() { QSettings().remove(QStringLiteral("WebService::BaseUrl")); }
    ScopedBaseUrl(ScopedBaseUrl const&) = delete;
    ScopedBaseUrl& operator=(ScopedBaseUrl const&) = delete;
};

} // namespace WebTest

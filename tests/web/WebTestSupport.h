#pragma once

// Shared helpers of the web tests: waiting on signals, the service's base URL setting, and
// building a reply's body from raw bytes.

#include "web/AbstractApiMethod.h"

#include <QSettings>
#include <QSignalSpy>
#include <QString>
#include <QVariant>

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

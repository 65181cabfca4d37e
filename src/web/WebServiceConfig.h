#pragma once

#include <QByteArray>
#include <QString>

// Where the template web service lives and the tokens it expects, in one place.
namespace WebServiceConfig {

// The setting that names the service's base URL. There is no default: without it no call is sent.
QString baseUrlSettingKey(); // "WebService::BaseUrl"

// The base URL from the settings, as stored (may be empty or unusable).
QString baseUrl();

// Only https, or http to 127.0.0.1 or localhost, with a host, no query or fragment, and ending
// in "/" (the call's name is appended to it).
bool isUsableBaseUrl(QString const& url);
// What keeps a set address from being used, in a sentence for the user; empty for a usable
// address and for none at all (nothing set up is not a malformed address).
QString baseUrlProblem(QString const& url);

// The service token every call sends as "secret_token": 128 lowercase hexadecimal digits.
QByteArray serviceToken();
// The cloud-image call's own token: 45 uppercase letters.
QByteArray cloudImageToken();

// Default transfer timeout of one call (no byte for that long), its default deadline from the
// request on, and the largest reply accepted: templates with their icons need a few megabytes.
inline constexpr int defaultTransferTimeoutMs = 30000;
inline constexpr int defaultCallDeadlineMs = 120000;
inline constexpr qint64 maxReplyBytes = qint64(16) * 1024 * 1024;

} // namespace WebServiceConfig

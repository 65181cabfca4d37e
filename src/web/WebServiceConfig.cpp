#include "web/WebServiceConfig.h"

#include <QObject>
#include <QSettings>
#include <QUrl>

namespace WebServiceConfig {

QString baseUrlSettingKey()
{
    return QStringLiteral("WebService::BaseUrl");
}

QString baseUrl()
{
    return QSettings().value(baseUrlSettingKey()).toString();
}

QString baseUrlProblem(QString const& text)
{
    if (text.isEmpty())
        return QString();
    QUrl const url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return QObject::tr("it is not a complete web address with a host.");
    QString const scheme = url.scheme().toLower();
    QString const host = url.host().toLower();
    if (scheme == QLatin1String("http")) {
        if (host != QLatin1String("127.0.0.1") && host != QLatin1String("localhost"))
            return QObject::tr("plain http is used only for 127.0.0.1 or localhost; any other "
                               "service needs https.");
    } else if (scheme != QLatin1String("https")) {
        return QObject::tr("it must begin with https:// (or http:// for 127.0.0.1 or localhost).");
    }
    if (!url.userInfo().isEmpty())
        return QObject::tr("it must not hold a user name or password.");
    if (url.hasQuery() || url.hasFragment())
        return QObject::tr("it must not hold a query (\"?\") or a fragment (\"#\").");
    if (!text.endsWith(QLatin1Char('/')))
        return QObject::tr("it must end in \"/\" (each call's name is appended to it).");
    return QString();
}

bool isUsableBaseUrl(QString const& text)
{
    return !text.isEmpty() && baseUrlProblem(text).isEmpty();
}

QByteArray serviceToken()
{
    return QByteArrayLiteral("5f0c9a1e7b3d2846e1a09c7f5b3d8e2a6c4f1b9d0e7a3c5f2b8d6e4a1c9f7b3d"
                             "0a6e2c8f4b1d7e9a3c5f0b2d8e6a4c1f9b7d3e0a5c2f8b6d4e1a9c7f3b5d0e2a");
}

QByteArray cloudImageToken()
{
    return QByteArrayLiteral("VYXSOLENNECLOUDIMAGESERVICETOKENQWERTYUIOPASD");
}

} // namespace WebServiceConfig

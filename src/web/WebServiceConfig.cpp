#include "web/WebServiceConfig.h"

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

bool isUsableBaseUrl(QString const& text)
{
    if (!text.endsWith(QLatin1Char('/')))
        return false;
    QUrl const url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || url.hasQuery() || url.hasFragment()
        || !url.userInfo().isEmpty())
        return false;
    QString const scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    QString const host = url.host().toLower();
    return scheme == QLatin1String("http")
           && (host == QLatin1String("127.0.0.1") || host == QLatin1String("localhost"));
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

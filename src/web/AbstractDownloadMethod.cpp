#include "web/AbstractDownloadMethod.h"

#include "web/ApiValue.h"

AbstractDownloadMethod::AbstractDownloadMethod(QString const& itemKey, QObject* parent)
    : AbstractApiMethod(parent), m_itemKey(itemKey)
{
}

void AbstractDownloadMethod::setVersion(QString const& version)
{
    setTextParam(QStringLiteral("version"), version);
}

void AbstractDownloadMethod::setUUID(QString const& uuid)
{
    setTextParam(QStringLiteral("uuid"), uuid);
}

QString AbstractDownloadMethod::version() const
{
    return ApiValue::toText(field(QStringLiteral("version")));
}

QString AbstractDownloadMethod::uuid() const
{
    return ApiValue::toText(field(QStringLiteral("uuid")));
}

QString AbstractDownloadMethod::name() const
{
    return ApiValue::toText(field(QStringLiteral("name")));
}

int AbstractDownloadMethod::id() const
{
    return ApiValue::toInt(field(QStringLiteral("id")));
}

QByteArray AbstractDownloadMethod::icon() const
{
    return QByteArray::fromBase64(ApiValue::toBytes(field(QStringLiteral("icon"))));
}

bool AbstractDownloadMethod::isSuccess() const
{
    return ApiValue::isPresent(resultValue(m_itemKey));
}

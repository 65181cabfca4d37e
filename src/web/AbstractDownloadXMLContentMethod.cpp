#include "web/AbstractDownloadXMLContentMethod.h"

#include "web/ApiValue.h"

AbstractDownloadXMLContentMethod::AbstractDownloadXMLContentMethod(QString const& itemKey,
                                                                   QObject* parent)
    : AbstractApiMethod(parent), m_itemKey(itemKey)
{
}

void AbstractDownloadXMLContentMethod::setVersion(QString const& version)
{
    setTextParam(QStringLiteral("version"), version);
}

void AbstractDownloadXMLContentMethod::setUUID(QString const& uuid)
{
    setTextParam(QStringLiteral("uuid"), uuid);
}

QByteArray AbstractDownloadXMLContentMethod::xmlContent() const
{
    return ApiValue::toBytes(itemField(m_itemKey, QStringLiteral("xml_content")));
}

int AbstractDownloadXMLContentMethod::id() const
{
    return ApiValue::toInt(itemField(m_itemKey, QStringLiteral("id")));
}

QString AbstractDownloadXMLContentMethod::uuid() const
{
    auto const it = params().constFind(QStringLiteral("uuid"));
    if (it == params().cend())
        return QString();
    QByteArray const bytes = it.value().value;
    qsizetype const zero = bytes.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? bytes : bytes.left(zero));
}

bool AbstractDownloadXMLContentMethod::isSuccess() const
{
    return ApiValue::isPresent(resultValue(m_itemKey));
}

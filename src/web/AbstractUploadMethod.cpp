#include "web/AbstractUploadMethod.h"

#include "web/ApiValue.h"

AbstractUploadMethod::AbstractUploadMethod(QString const& itemKey, QObject* parent)
    : AbstractApiMethod(parent), m_itemKey(itemKey)
{
    switchMultiPart(true);
}

void AbstractUploadMethod::setUserID(QString const& userId)
{
    setTextParam(QStringLiteral("user_id"), userId);
}

void AbstractUploadMethod::setVersion(QString const& version)
{
    setTextParam(QStringLiteral("version"), version);
}

void AbstractUploadMethod::setUUID(QString const& uuid)
{
    setTextParam(QStringLiteral("uuid"), uuid);
}

void AbstractUploadMethod::setCreator(QString const& creator)
{
    setTextParam(QStringLiteral("created_by"), creator);
}

void AbstractUploadMethod::setName(QString const& name)
{
    setTextParam(QStringLiteral("name"), name);
}

void AbstractUploadMethod::setIcon(QByteArray const& png)
{
    setFileParam(QStringLiteral("icon"), png, QStringLiteral("image/png"));
}

void AbstractUploadMethod::setXMLContent(QByteArray const& xml)
{
    setFileParam(QStringLiteral("xml_content"), xml, QStringLiteral("application/octet-stream"));
}

float AbstractUploadMethod::version() const
{
    return ApiValue::toFloat(itemField(m_itemKey, QStringLiteral("version")));
}

QString AbstractUploadMethod::uuid() const
{
    return ApiValue::toText(itemField(m_itemKey, QStringLiteral("uuid")));
}

QString AbstractUploadMethod::name() const
{
    return ApiValue::toText(itemField(m_itemKey, QStringLiteral("name")));
}

QString AbstractUploadMethod::message() const
{
    return ApiValue::toText(resultValue(QStringLiteral("message")));
}

QStringList AbstractUploadMethod::errors() const
{
    QStringList texts;
    QVariantMap const errors = ApiValue::toMap(resultValue(QStringLiteral("errors")));
    for (auto it = errors.cbegin(); it != errors.cend(); ++it) {
        for (QVariant const& message : ApiValue::toList(it.value()))
            texts << QStringLiteral("%1: %2").arg(it.key(), ApiValue::toText(message));
    }
    return texts;
}

bool AbstractUploadMethod::isSuccess() const
{
    return ApiValue::isPresent(resultValue(m_itemKey));
}

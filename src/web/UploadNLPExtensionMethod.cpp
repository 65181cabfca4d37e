#include "web/UploadNLPExtensionMethod.h"

#include "web/ApiValue.h"

UploadNLPExtensionMethod::UploadNLPExtensionMethod(QObject* parent) : AbstractApiMethod(parent) {}

QString UploadNLPExtensionMethod::methodName() const
{
    return QStringLiteral("upload_nlp_extension");
}

void UploadNLPExtensionMethod::setUserID(QString const& value)
{
    setTextParam(QStringLiteral("user_id"), value);
}

void UploadNLPExtensionMethod::setVersion(QString const& value)
{
    setTextParam(QStringLiteral("version"), value);
}

void UploadNLPExtensionMethod::setNLPType(QString const& value)
{
    setTextParam(QStringLiteral("nlp_type"), value);
}

void UploadNLPExtensionMethod::setSupportedLanguage(QString const& value)
{
    setTextParam(QStringLiteral("supported_language"), value);
}

void UploadNLPExtensionMethod::setUUID(QString const& value)
{
    setTextParam(QStringLiteral("uuid"), value);
}

void UploadNLPExtensionMethod::setName(QString const& value)
{
    setTextParam(QStringLiteral("name"), value);
}

void UploadNLPExtensionMethod::setXMLContent(QByteArray const& xml)
{
    setFileParam(QStringLiteral("xml_content"), xml, QStringLiteral("application/octet-stream"));
}

bool UploadNLPExtensionMethod::isSuccess() const
{
    return ApiValue::isPresent(resultValue(QStringLiteral("nlp_extension")));
}

QString UploadNLPExtensionMethod::message() const
{
    return ApiValue::toText(resultValue(QStringLiteral("message")));
}

QStringList UploadNLPExtensionMethod::errors() const
{
    QStringList texts;
    QVariantMap const errors = ApiValue::toMap(resultValue(QStringLiteral("errors")));
    for (auto it = errors.cbegin(); it != errors.cend(); ++it) {
        for (QVariant const& message : ApiValue::toList(it.value()))
            texts << QStringLiteral("%1: %2").arg(it.key(), ApiValue::toText(message));
    }
    return texts;
}

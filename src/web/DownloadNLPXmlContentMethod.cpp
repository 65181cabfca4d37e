#include "web/DownloadNLPXmlContentMethod.h"

#include "web/ApiValue.h"

DownloadNLPXmlContentMethod::DownloadNLPXmlContentMethod(QObject* parent) : AbstractApiMethod(parent) {}

QString DownloadNLPXmlContentMethod::methodName() const
{
    return QStringLiteral("download_nlp_xml_content");
}

void DownloadNLPXmlContentMethod::setUuid(QString const& value)
{
    setTextParam(QStringLiteral("uuid"), value);
}

QByteArray DownloadNLPXmlContentMethod::xmlContent() const
{
    return ApiValue::toBytes(itemField(QStringLiteral("live_nlp_extension"), QStringLiteral("xml_content")));
}

bool DownloadNLPXmlContentMethod::isSuccess() const
{
    return ApiValue::isPresent(resultValue(QStringLiteral("live_nlp_extension")));
}

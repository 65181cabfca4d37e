#include "web/DownloadNLPExtensionMethod.h"

DownloadNLPExtensionMethod::DownloadNLPExtensionMethod(QObject* parent) : AbstractNLPDownloadMethod(parent) {}

QString DownloadNLPExtensionMethod::methodName() const
{
    return QStringLiteral("download_nlp_extension");
}

void DownloadNLPExtensionMethod::setVersion(QString const& value)
{
    setTextParam(QStringLiteral("version"), value);
}

void DownloadNLPExtensionMethod::setUuid(QString const& value)
{
    setTextParam(QStringLiteral("uuid"), value);
}

#include "web/DownloadLumoraXMLContentMethod.h"

DownloadLumoraXMLContentMethod::DownloadLumoraXMLContentMethod(QObject* parent) : AbstractDownloadXMLContentMethod(QStringLiteral("live_lumora"), parent) {}

QString DownloadLumoraXMLContentMethod::methodName() const
{
    return QStringLiteral("download_lumora_xml_content");
}

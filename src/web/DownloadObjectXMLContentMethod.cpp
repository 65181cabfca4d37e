#include "web/DownloadObjectXMLContentMethod.h"

DownloadObjectXMLContentMethod::DownloadObjectXMLContentMethod(QObject* parent) : AbstractDownloadXMLContentMethod(QStringLiteral("live_object"), parent) {}

QString DownloadObjectXMLContentMethod::methodName() const
{
    return QStringLiteral("download_object_xml_content");
}

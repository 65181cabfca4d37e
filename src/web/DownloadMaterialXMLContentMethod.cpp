#include "web/DownloadMaterialXMLContentMethod.h"

DownloadMaterialXMLContentMethod::DownloadMaterialXMLContentMethod(QObject* parent) : AbstractDownloadXMLContentMethod(QStringLiteral("live_material"), parent) {}

QString DownloadMaterialXMLContentMethod::methodName() const
{
    return QStringLiteral("download_material_xml_content");
}

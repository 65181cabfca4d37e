#pragma once

#include "web/AbstractDownloadXMLContentMethod.h"

// The XML document of one "material" item (read under "live_material").
class DownloadMaterialXMLContentMethod : public AbstractDownloadXMLContentMethod
{
    Q_OBJECT

public:
    explicit DownloadMaterialXMLContentMethod(QObject* parent = nullptr);

    QString methodName() const override;
};

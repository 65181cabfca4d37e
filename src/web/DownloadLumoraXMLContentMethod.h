#pragma once

#include "web/AbstractDownloadXMLContentMethod.h"

// The XML document of one "lumora" item (read under "live_lumora").
class DownloadLumoraXMLContentMethod : public AbstractDownloadXMLContentMethod
{
    Q_OBJECT

public:
    explicit DownloadLumoraXMLContentMethod(QObject* parent = nullptr);

    QString methodName() const override;
};

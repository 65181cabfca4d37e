#pragma once

#include "web/AbstractDownloadXMLContentMethod.h"

// The XML document of one "object" item (read under "live_object").
class DownloadObjectXMLContentMethod : public AbstractDownloadXMLContentMethod
{
    Q_OBJECT

public:
    explicit DownloadObjectXMLContentMethod(QObject* parent = nullptr);

    QString methodName() const override;
};

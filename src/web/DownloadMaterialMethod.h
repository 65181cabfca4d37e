#pragma once

#include "web/AbstractDownloadMethod.h"
#include <QDateTime>

// The metadata of one "material" item by uuid and version.
class DownloadMaterialMethod : public AbstractDownloadMethod
{
    Q_OBJECT

public:
    explicit DownloadMaterialMethod(QObject* parent = nullptr);

    QString methodName() const override;
    int userID() const;
    int views() const;
    QDateTime createdAt() const;
    QString createdBy() const;
};

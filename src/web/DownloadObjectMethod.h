#pragma once

#include "web/AbstractDownloadMethod.h"
#include <QDateTime>

// The metadata of one "object" item by uuid and version.
class DownloadObjectMethod : public AbstractDownloadMethod
{
    Q_OBJECT

public:
    explicit DownloadObjectMethod(QObject* parent = nullptr);

    QString methodName() const override;
    int userID() const;
    int views() const;
    QDateTime createdAt() const;
    QString createdBy() const;
};

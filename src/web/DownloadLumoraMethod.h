#pragma once

#include "web/AbstractDownloadMethod.h"
#include <QDateTime>

// The metadata of one "lumora" item by uuid and version.
class DownloadLumoraMethod : public AbstractDownloadMethod
{
    Q_OBJECT

public:
    explicit DownloadLumoraMethod(QObject* parent = nullptr);

    QString methodName() const override;
    int userID() const;
    int views() const;
    QDateTime createdAt() const;
    QString createdBy() const;
};

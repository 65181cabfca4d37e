#pragma once

#include "web/AbstractUploadMethod.h"

// Uploads one "object" item as a multipart body.
class UploadObjectMethod : public AbstractUploadMethod
{
    Q_OBJECT

public:
    explicit UploadObjectMethod(QObject* parent = nullptr);

    QString methodName() const override;
};

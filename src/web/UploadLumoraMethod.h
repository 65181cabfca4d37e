#pragma once

#include "web/AbstractUploadMethod.h"

// Uploads one "lumora" item as a multipart body.
class UploadLumoraMethod : public AbstractUploadMethod
{
    Q_OBJECT

public:
    explicit UploadLumoraMethod(QObject* parent = nullptr);

    QString methodName() const override;
};

#pragma once

#include "web/AbstractUploadMethod.h"

// Uploads one "material" item as a multipart body.
class UploadMaterialMethod : public AbstractUploadMethod
{
    Q_OBJECT

public:
    explicit UploadMaterialMethod(QObject* parent = nullptr);

    QString methodName() const override;
};

#pragma once

#include "web/AbstractDownloadMethod.h"

// The first item of the service's "material" list.
class GetFirstMaterialMethod : public AbstractDownloadMethod
{
    Q_OBJECT

public:
    explicit GetFirstMaterialMethod(QObject* parent = nullptr);

    QString methodName() const override;
    // The list's length; only the first page carries it.
    int materailCount() const;
};

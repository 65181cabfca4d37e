#pragma once

#include "web/AbstractDownloadMethod.h"

// The first item of the service's "lumora" list (under the irregular key "lu_mora").
class GetFirstLumoraMethod : public AbstractDownloadMethod
{
    Q_OBJECT

public:
    explicit GetFirstLumoraMethod(QObject* parent = nullptr);

    QString methodName() const override;
    // The list's length; only the first page carries it.
    int objectCount() const;
};

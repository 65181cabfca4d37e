#pragma once

#include "web/AbstractDownloadMethod.h"

// The first item of the service's "object" list.
class GetFirstObjectMethod : public AbstractDownloadMethod
{
    Q_OBJECT

public:
    explicit GetFirstObjectMethod(QObject* parent = nullptr);

    QString methodName() const override;
    // The list's length; only the first page carries it.
    int objectCount() const;
};

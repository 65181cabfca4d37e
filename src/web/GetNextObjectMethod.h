#pragma once

#include "web/AbstractDownloadMethod.h"

// The item after a given id in the service's "object" list.
class GetNextObjectMethod : public AbstractDownloadMethod
{
    Q_OBJECT

public:
    explicit GetNextObjectMethod(QObject* parent = nullptr);

    QString methodName() const override;
    // The id of the item before the one asked for, as decimal text.
    void setID(QString const& id);
};

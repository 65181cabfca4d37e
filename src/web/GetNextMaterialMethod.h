#pragma once

#include "web/AbstractDownloadMethod.h"

// The item after a given id in the service's "material" list.
class GetNextMaterialMethod : public AbstractDownloadMethod
{
    Q_OBJECT

public:
    explicit GetNextMaterialMethod(QObject* parent = nullptr);

    QString methodName() const override;
    // The id of the item before the one asked for, as decimal text.
    void setID(QString const& id);
};

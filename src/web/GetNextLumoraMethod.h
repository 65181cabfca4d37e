#pragma once

#include "web/AbstractDownloadMethod.h"

// The item after a given id in the service's "lumora" list.
class GetNextLumoraMethod : public AbstractDownloadMethod
{
    Q_OBJECT

public:
    explicit GetNextLumoraMethod(QObject* parent = nullptr);

    QString methodName() const override;
    // The id of the item before the one asked for, as decimal text.
    void setID(QString const& id);
};

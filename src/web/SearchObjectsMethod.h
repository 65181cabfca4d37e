#pragma once

#include "web/AbstractSearchMethod.h"

// Searches the "object" items by keyword; the reply is a list.
class SearchObjectsMethod : public AbstractSearchMethod
{
    Q_OBJECT

public:
    explicit SearchObjectsMethod(QObject* parent = nullptr);

    QString methodName() const override;
};

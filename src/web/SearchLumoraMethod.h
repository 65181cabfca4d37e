#pragma once

#include "web/AbstractSearchMethod.h"

// Searches the "lumora" items by keyword; the reply is a list.
class SearchLumoraMethod : public AbstractSearchMethod
{
    Q_OBJECT

public:
    explicit SearchLumoraMethod(QObject* parent = nullptr);

    QString methodName() const override;
};

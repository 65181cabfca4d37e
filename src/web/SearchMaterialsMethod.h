#pragma once

#include "web/AbstractSearchMethod.h"

// Searches the "material" items by keyword; the reply is a list.
class SearchMaterialsMethod : public AbstractSearchMethod
{
    Q_OBJECT

public:
    explicit SearchMaterialsMethod(QObject* parent = nullptr);

    QString methodName() const override;
};

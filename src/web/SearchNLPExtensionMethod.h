#pragma once

#include "web/AbstractSearchMethod.h"

// Searches the "nlp_extension" items by keyword.
class SearchNLPExtensionMethod : public AbstractSearchMethod
{
    Q_OBJECT

public:
    explicit SearchNLPExtensionMethod(QObject* parent = nullptr);

    QString methodName() const override;
};

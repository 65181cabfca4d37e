#pragma once

#include "web/AbstractNLPDownloadMethod.h"

// The first item of the "nlp_extension" list.
class GetFirstNLPExtensionMethod : public AbstractNLPDownloadMethod
{
    Q_OBJECT

public:
    explicit GetFirstNLPExtensionMethod(QObject* parent = nullptr);

    QString methodName() const override;
};

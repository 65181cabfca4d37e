#pragma once

#include "web/AbstractNLPDownloadMethod.h"

// The "nlp_extension" item after a given id.
class GetNextNLPExtensionMethod : public AbstractNLPDownloadMethod
{
    Q_OBJECT

public:
    explicit GetNextNLPExtensionMethod(QObject* parent = nullptr);

    QString methodName() const override;
    // The previous item's id text, unchanged.
    void setId(QString const& value);
};

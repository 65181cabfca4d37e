#pragma once

#include "web/AbstractNLPDownloadMethod.h"

// The metadata of one "nlp_extension" item.
class DownloadNLPExtensionMethod : public AbstractNLPDownloadMethod
{
    Q_OBJECT

public:
    explicit DownloadNLPExtensionMethod(QObject* parent = nullptr);

    QString methodName() const override;
    void setVersion(QString const& value);
    void setUuid(QString const& value);
};

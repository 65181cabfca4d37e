#pragma once

#include "web/AbstractApiMethod.h"

// The XML document of one "nlp_extension" item (read under "live_nlp_extension").
class DownloadNLPXmlContentMethod : public AbstractApiMethod
{
    Q_OBJECT

public:
    explicit DownloadNLPXmlContentMethod(QObject* parent = nullptr);

    QString methodName() const override;
    // Asked for by uuid alone.
    void setUuid(QString const& value);
    QByteArray xmlContent() const;
    bool isSuccess() const;
};

#pragma once

#include "web/AbstractApiMethod.h"

#include <QStringList>

// Uploads one "nlp_extension" item; always form-urlencoded.
class UploadNLPExtensionMethod : public AbstractApiMethod
{
    Q_OBJECT

public:
    explicit UploadNLPExtensionMethod(QObject* parent = nullptr);

    QString methodName() const override;
    void setUserID(QString const& value);
    void setVersion(QString const& value);
    void setNLPType(QString const& value);
    void setSupportedLanguage(QString const& value);
    void setUUID(QString const& value);
    void setName(QString const& value);
    // Stored as "application/octet-stream", yet sent form-urlencoded like every field here.
    void setXMLContent(QByteArray const& xml);

    bool isSuccess() const;
    QString message() const;
    QStringList errors() const;
};

#pragma once

#include "web/AbstractApiMethod.h"

// "images": uploads one PNG with a title, a text and a log, under its own token. No reply field is read.
class UploadCloudImageMethod : public AbstractApiMethod
{
    Q_OBJECT

public:
    explicit UploadCloudImageMethod(QObject* parent = nullptr);

    QString methodName() const override;
    // Replaces the class's own token; an empty text is sent empty.
    void setSecretToken(QString const& value);
    void setImageTitle(QString const& value);
    void setUserID(QString const& value);
    void setText(QString const& value);
    void setImage(QByteArray const& png);
    void setLog(QString const& value);
};

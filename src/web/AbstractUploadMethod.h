#pragma once

#include "web/AbstractApiMethod.h"

#include <QStringList>

// Base of the item uploads: a multipart body from construction on, the item's metadata, XML
// content and PNG icon as fields, and the service's answer under the item key.
class AbstractUploadMethod : public AbstractApiMethod
{
    Q_OBJECT

public:
    AbstractUploadMethod(QString const& itemKey, QObject* parent = nullptr);

    void setUserID(QString const& userId);
    void setVersion(QString const& version);
    void setUUID(QString const& uuid);
    void setCreator(QString const& creator);
    void setName(QString const& name);
    void setIcon(QByteArray const& png);
    void setXMLContent(QByteArray const& xml);

    float version() const;
    QString uuid() const;
    QString name() const;
    QString message() const;
    // One "field: message" per message, fields in ascending name order.
    QStringList errors() const;
    bool isSuccess() const;

    QString const& itemKey() const { return m_itemKey; }

private:
    QString m_itemKey;
};

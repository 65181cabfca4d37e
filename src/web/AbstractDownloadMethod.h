#pragma once

#include "web/AbstractApiMethod.h"

// Base of the list and metadata downloads: one item under the item key.
class AbstractDownloadMethod : public AbstractApiMethod
{
    Q_OBJECT

public:
    AbstractDownloadMethod(QString const& itemKey, QObject* parent = nullptr);

    void setVersion(QString const& version);
    void setUUID(QString const& uuid);

    QString version() const;
    QString uuid() const;
    QString name() const;
    int id() const;
    // The item's Base64 icon, decoded.
    QByteArray icon() const;
    bool isSuccess() const;

    QString const& itemKey() const { return m_itemKey; }

protected:
    QVariant field(QString const& name) const { return itemField(m_itemKey, name); }

private:
    QString m_itemKey;
};

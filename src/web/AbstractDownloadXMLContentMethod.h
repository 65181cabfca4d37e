#pragma once

#include "web/AbstractApiMethod.h"

// Base of the content downloads: the item's XML document under the item key.
class AbstractDownloadXMLContentMethod : public AbstractApiMethod
{
    Q_OBJECT

public:
    AbstractDownloadXMLContentMethod(QString const& itemKey, QObject* parent = nullptr);

    void setVersion(QString const& version);
    void setUUID(QString const& uuid);

    // The service's bytes between the quotes of "xml_content".
    QByteArray xmlContent() const;
    int id() const;
    // The uuid this call asked for (the request's own field), not a reply field.
    QString uuid() const;
    bool isSuccess() const;

    QString const& itemKey() const { return m_itemKey; }

private:
    QString m_itemKey;
};

#pragma once

#include "style/XmlAttributes.h"

#include <QString>

class QXmlStreamAttributes;

// One style-file element without its children: name as written (qualified), character data,
// attributes and namespace URI.
class XmlTag
{
public:
    XmlTag() = default;
    XmlTag(QString const& name, QString const& text, XmlAttributes const& attributes);

    QString const& name() const { return m_name; }
    QString const& text() const { return m_text; }
    QString const& uri() const { return m_uri; }
    XmlAttributes const& attrs() const { return m_attrs; }
    XmlAttributes& attrs() { return m_attrs; }

    void setName(QString const& name) { m_name = name; }
    void setText(QString const& text) { m_text = text; }
    void addText(QString const& text) { m_text += text; }
    void setUri(QString const& uri) { m_uri = uri; }
    void addAttribute(QString const& name, QString const& value);
    // Replaces the attributes: local name and value of each, in order.
    void setAtts(QXmlStreamAttributes const& attributes);
    void clear();

private:
    QString m_name;
    QString m_text;
    XmlAttributes m_attrs;
    QString m_uri;
};

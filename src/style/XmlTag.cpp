#include "style/XmlTag.h"

#include <QXmlStreamAttributes>

XmlTag::XmlTag(QString const& name, QString const& text, XmlAttributes const& attributes)
    : m_name(name)
    , m_text(text)
    , m_attrs(attributes)
{
}

void XmlTag::addAttribute(QString const& name, QString const& value)
{
    m_attrs.append(XmlAttribute(name, value));
}

void XmlTag::setAtts(QXmlStreamAttributes const& attributes)
{
    m_attrs.clear();
    for (QXmlStreamAttribute const& attribute : attributes)
        addAttribute(attribute.name().toString(), attribute.value().toString());
}

void XmlTag::clear()
{
    m_attrs.clear();
    m_name.clear();
    m_uri.clear();
    m_text.clear();
}

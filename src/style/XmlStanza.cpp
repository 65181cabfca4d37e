#include "style/XmlStanza.h"

#include <QXmlStreamWriter>

#include <iterator>

XmlStanza::XmlStanza(XmlTag const& tag)
    : m_tag(tag)
{
}

XmlStanza const& XmlStanza::child(int i) const
{
    return *std::next(m_childs.begin(), i);
}

XmlStanza& XmlStanza::child(int i)
{
    return *std::next(m_childs.begin(), i);
}

XmlStanza* XmlStanza::addChild(XmlStanza const& stanza)
{
    m_childs.push_back(stanza);
    return &m_childs.back();
}

void XmlStanza::clear()
{
    m_tag.clear();
    m_childs.clear();
}

void XmlStanza::toXml(QXmlStreamWriter* writer) const
{
    writer->writeStartElement(m_tag.name());
    if (!m_tag.uri().isEmpty())
        writer->writeDefaultNamespace(m_tag.uri());
    for (XmlAttribute const& attribute : m_tag.attrs().list())
        writer->writeAttribute(attribute.name, attribute.value);
    if (!m_tag.text().isEmpty())
        writer->writeCharacters(m_tag.text());
    for (XmlStanza const& child : m_childs)
        child.toXml(writer);
    writer->writeEndElement();
}

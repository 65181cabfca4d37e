#include "style/XmlAttributes.h"

namespace {

XmlAttribute const& emptyAttribute()
{
    static const XmlAttribute empty(QStringLiteral(""), QStringLiteral(""));
    return empty;
}

} // namespace

bool XmlAttributes::has(QString const& name) const
{
    for (XmlAttribute const& attribute : m_list) {
        if (attribute.name == name)
            return true;
    }
    return false;
}

XmlAttribute const& XmlAttributes::attr(QString const& name) const
{
    for (XmlAttribute const& attribute : m_list) {
        if (attribute.name == name)
            return attribute;
    }
    return emptyAttribute();
}

XmlAttribute& XmlAttributes::attr(QString const& name)
{
    for (XmlAttribute& attribute : m_list) {
        if (attribute.name == name)
            return attribute;
    }
    m_missing = emptyAttribute();
    return m_missing;
}

QString XmlAttributes::value(QString const& name) const
{
    return attr(name).value;
}

void XmlAttributes::append(XmlAttribute const& attribute)
{
    m_list.append(attribute);
}

void XmlAttributes::clear()
{
    m_list.clear();
}

#pragma once

#include "style/XmlAttribute.h"

#include <QList>
#include <QString>

// The attributes of one element, in document order. Names are compared exactly.
class XmlAttributes
{
public:
    bool has(QString const& name) const;

    // The first attribute of that name; on a miss an attribute whose name and value are both
    // the empty (not null) string.
    XmlAttribute const& attr(QString const& name) const;
    // On a miss the returned attribute is a stand-in owned by this object and emptied again on
    // every miss, so nothing written into it outlives the next miss or becomes an attribute.
    XmlAttribute& attr(QString const& name);

    // Shorthand for attr(name).value.
    QString value(QString const& name) const;

    void append(XmlAttribute const& attribute);
    void clear();

    int size() const { return int(m_list.size()); }
    bool isEmpty() const { return m_list.isEmpty(); }
    QList<XmlAttribute> const& list() const { return m_list; }

private:
    QList<XmlAttribute> m_list;
    XmlAttribute m_missing{QStringLiteral(""), QStringLiteral("")};
};

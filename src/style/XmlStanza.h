#pragma once

#include "style/XmlTag.h"

#include <list>

class QXmlStreamWriter;

// One node of the style file's element tree.
class XmlStanza
{
public:
    // Node-based: a stored child keeps its address while siblings are appended, which the
    // reader's stack of open elements relies on.
    using Children = std::list<XmlStanza>;

    XmlStanza() = default;
    explicit XmlStanza(XmlTag const& tag);
    XmlStanza(XmlStanza const&) = default;
    XmlStanza& operator=(XmlStanza const&) = default;
    virtual ~XmlStanza() = default;

    XmlTag const& tag() const { return m_tag; }
    XmlTag& tag() { return m_tag; }
    Children const& childs() const { return m_childs; }
    Children& childs() { return m_childs; }
    int childCount() const { return int(m_childs.size()); }

    // The caller keeps 0 <= i < childCount().
    XmlStanza const& child(int i) const;
    XmlStanza& child(int i);

    // Appends a copy; the returned pointer stays valid until this stanza is cleared or destroyed.
    XmlStanza* addChild(XmlStanza const& stanza);
    void setTag(XmlTag const& tag) { m_tag = tag; }
    void clear();

    void toXml(QXmlStreamWriter* writer) const;

private:
    XmlTag m_tag;
    Children m_childs;
};

#pragma once

#include "params/ParameterContainer.h"

namespace KelNodes {

class Node;

// The parameter container of a node, named by the node's type id, which is also the tag of the
// node's section in graph documents.
class NodeParameterContainer : public KelUtils::ParameterContainer
{
public:
    NodeParameterContainer(QString const& name, QString const& text, Node* node = nullptr);

    Node* node() const { return m_node; }
    void setNode(Node* node) { m_node = node; }

    // The section element with "name" (Base64 text of the node's name, or of its type's display
    // name when empty), "uid" and "uuid" (the type uuid, braced).
    QDomElement createXmlSection(QDomDocument& document, bool callHooks, bool embed) const override;

private:
    Node* m_node;
};

} // namespace KelNodes

#include "nodes/NodeParameterContainer.h"

#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "params/Base64.h"
#include "params/XmlNumbers.h"

#include <QDomDocument>
#include <QDomElement>

namespace KelNodes {

NodeParameterContainer::NodeParameterContainer(QString const& name, QString const& text, Node* node)
    : KelUtils::ParameterContainer(name, text)
    , m_node(node)
{
}

QDomElement NodeParameterContainer::createXmlSection(QDomDocument& document, bool callHooks,
                                                     bool embed) const
{
    QDomElement section = KelUtils::ParameterContainer::createXmlSection(document, callHooks, embed);
    if (!m_node)
        return section;
    section.setAttribute(QStringLiteral("name"), KelUtils::toBase64(m_node->displayName()));
    section.setAttribute(QStringLiteral("uid"), KelUtils::formatXmlInt(m_node->uid()));
    if (NodeDescriptor const* type = m_node->descriptor())
        section.setAttribute(QStringLiteral("uuid"), type->typeUuid.toString());
    return section;
}

} // namespace KelNodes

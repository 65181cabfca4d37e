#include "PluginSolidNode.h"

#include "effects/VyxTerminal.h"

namespace KelTestPlugin {

KelNodes::NodeDescriptor PluginSolidNode::m_descriptor{
    QStringLiteral("plugin.solid"), QUuid(QStringLiteral("6a0f3c2e-1b7d-4e55-9c41-8d2f70b1a002")),
    QStringLiteral("Plug-in Solid"), QString(), &PluginSolidNode::create};

PluginSolidNode::PluginSolidNode(int id)
    : Base3DGeneratorNode(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    addTerminal(QStringLiteral("out"), 0, 5);
    *m_container.helpItem() = KelUtils::HelpItem(m_descriptor.displayName, QStringLiteral("Solid."));
}

PluginSolidNode::~PluginSolidNode() = default;

KelNodes::Node* PluginSolidNode::create(int uid)
{
    return new PluginSolidNode(uid);
}

unsigned int PluginSolidNode::getSample3(QPoint const& /*point*/) const
{
    return kColour;
}

} // namespace KelTestPlugin

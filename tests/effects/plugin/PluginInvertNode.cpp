#include "PluginInvertNode.h"

#include "effects/GeneratorLookup.h"
#include "effects/VyxTerminal.h"

#include <QPoint>

namespace KelTestPlugin {

KelNodes::NodeDescriptor PluginInvertNode::m_descriptor{
    QStringLiteral("plugin.invert"), QUuid(QStringLiteral("6a0f3c2e-1b7d-4e55-9c41-8d2f70b1a001")),
    QStringLiteral("Plug-in Invert"), QString(), &PluginInvertNode::create};

PluginInvertNode::PluginInvertNode(int id)
    : Base3DGeneratorNode(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_input = addTerminal(QStringLiteral("rgb"), 4, 0);
    addTerminal(QStringLiteral("out"), 0, 5);
    *m_container.helpItem() = KelUtils::HelpItem(m_descriptor.displayName, QStringLiteral("Inverts."));
}

PluginInvertNode::~PluginInvertNode() = default;

KelNodes::Node* PluginInvertNode::create(int uid)
{
    return new PluginInvertNode(uid);
}

unsigned int PluginInvertNode::getSample3(QPoint const& point) const
{
    unsigned int const colour = m_upstream ? m_upstream->getSample3(point) : 0x808080u;
    return ~colour & 0x00FFFFFFu;
}

int PluginInvertNode::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (Base3DGeneratorNode::onConnect(own, peer) < 0)
        return -1;
    if (own == m_input)
        KelVyxNodes::getGeneratorInterface(&m_upstream, peer);
    return 0;
}

void PluginInvertNode::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own == m_input)
        m_upstream = nullptr;
    Base3DGeneratorNode::onDisconnect(own, peer);
}

void PluginInvertNode::resolveInputs()
{
    m_upstream = KelVyxNodes::linkedGenerator3D(m_input);
}

} // namespace KelTestPlugin

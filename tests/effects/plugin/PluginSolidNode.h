#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelTestPlugin {

// Plug-in node type without inputs: one fixed colour everywhere.
class PluginSolidNode : public KelVyxNodes::Base3DGeneratorNode
{
public:
    static constexpr unsigned int kColour = 0x123456u;

    explicit PluginSolidNode(int id);
    ~PluginSolidNode() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    unsigned int getSample3(QPoint const& point) const override;

private:
    KelNodes::NodeParameterContainer m_container;
};

} // namespace KelTestPlugin

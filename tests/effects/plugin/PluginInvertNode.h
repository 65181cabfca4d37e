#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelTestPlugin {

// Plug-in node type: the inverse of its colour input (unlinked input: mid grey, giving 0x7F7F7F).
class PluginInvertNode : public KelVyxNodes::Base3DGeneratorNode
{
public:
    explicit PluginInvertNode(int id);
    ~PluginInvertNode() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    unsigned int getSample3(QPoint const& point) const override;
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

private:
    KelNodes::NodeParameterContainer m_container;
    KelVyxNodes::VyxTerminal* m_input = nullptr;
    KelVyxNodes::Base3DGenerator const* m_upstream = nullptr;
};

} // namespace KelTestPlugin

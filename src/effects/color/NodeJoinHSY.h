#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "effects/NodeOf.h"
#include "effects/color/JoinChannelInputs.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class Base1DGenerator;
class VyxTerminal;

// Joins the one-channel inputs "h" (a hue byte), "s" and "y" into the colour they describe in
// the HSY model; an unlinked input counts as 0.
class NodeJoinHSY : public NodeOf<NodeJoinHSY, Base3DGeneratorNode>
{
public:
    explicit NodeJoinHSY(int id);
    ~NodeJoinHSY() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

private:
    enum Input { Hue, Saturation, Luma, InputCount };

    KelNodes::NodeParameterContainer m_container;
    JoinChannelInputs m_inputs;
};

} // namespace KelVyxNodes

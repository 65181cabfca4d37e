#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "effects/NodeOf.h"
#include "effects/color/JoinChannelInputs.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class Base1DGenerator;
class VyxTerminal;

// Joins the one-channel inputs "c", "m", "y" and "k" into the colour they describe (the classic
// colour class's conversion); an unlinked input counts as 0, so nothing linked gives white. The
// output "rgb" holds one link, as stored graphs expect.
class NodeJoinCMYKtoRGB : public NodeOf<NodeJoinCMYKtoRGB, Base3DGeneratorNode>
{
public:
    explicit NodeJoinCMYKtoRGB(int id);
    ~NodeJoinCMYKtoRGB() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

private:
    enum Input { Cyan, Magenta, Yellow, Black, InputCount };

    KelNodes::NodeParameterContainer m_container;
    JoinChannelInputs m_inputs;
};

} // namespace KelVyxNodes

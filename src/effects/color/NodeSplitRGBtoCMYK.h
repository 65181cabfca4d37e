#pragma once

#include "effects/Base1DGeneratorNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class Base3DGenerator;
class VyxTerminal;

// Splits the colour of "rgb" into cyan, magenta, yellow and black (the classic colour class's
// conversion), offered by the output terminals "c", "m", "y" and "k" (each its own one-channel
// source). The node as a whole reads as the red of its input, for its preview. Everything
// reads 0 while "rgb" is unlinked.
class NodeSplitRGBtoCMYK : public NodeOf<NodeSplitRGBtoCMYK, Base1DGeneratorNode>
{
public:
    explicit NodeSplitRGBtoCMYK(int id);
    ~NodeSplitRGBtoCMYK() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    unsigned int getSample(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;
    // Each output reads the input again.
    InputRead inputRead() const override { return InputRead::Repeatedly; }

    // The upstream colour of "rgb", null while unlinked.
    Base3DGenerator const* colourInput() const { return m_colourInput; }

private:
    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_rgbTerminal = nullptr;
    Base3DGenerator const* m_colourInput = nullptr;
};

} // namespace KelVyxNodes

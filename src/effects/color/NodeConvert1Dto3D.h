#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class Base1DGenerator;
class VyxTerminal;

// Places the one-channel input "in" into the channel chosen by "input" (RGB, HSV or CMYK) of an
// otherwise zero colour and offers the result on "rgb". "Hue" and "Saturation" give black
// (their value is 0), as stored effects rely on. Black while "in" is unlinked.
class NodeConvert1Dto3D : public NodeOf<NodeConvert1Dto3D, Base3DGeneratorNode>
{
public:
    explicit NodeConvert1Dto3D(int id);
    ~NodeConvert1Dto3D() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

private:
    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_inTerminal = nullptr;
    Base1DGenerator const* m_input = nullptr;
    int m_channel = 0;
};

} // namespace KelVyxNodes

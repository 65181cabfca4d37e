#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/NodeOf.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class VyxTerminal;

// Takes the channel chosen by "output" (RGB, HSV with the hue as its hue byte, or CMYK) out of
// the colour of "rgb" and offers it on "out". The node also answers as a colour source, with
// that byte placed back as Convert 1D to 3D places it, so callers that ask the node for colour
// first (previews, inputs taking either kind) receive that colour. 0 while "rgb" is unlinked.
class NodeConvert3Dto1D : public NodeOf<NodeConvert3Dto1D, VyxNode>, public Base1DGenerator, public Base3DGenerator
{
public:
    explicit NodeConvert3Dto1D(int id);
    ~NodeConvert3Dto1D() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    Base1DGenerator const* toBase1DGenerator() const override { return this; }
    Base3DGenerator const* toBase3DGenerator() const override { return this; }

    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

private:
    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_rgbTerminal = nullptr;
    Base3DGenerator const* m_input = nullptr;
    int m_channel = 0;
};

} // namespace KelVyxNodes

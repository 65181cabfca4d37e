#pragma once

#include "effects/Base1DGeneratorNode.h"
#include "effects/NodeOf.h"
#include "effects/color/SplitChannelSpans.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class Base3DGenerator;
class VyxTerminal;

// Splits the colour of "rgb" into hue (as its hue byte), saturation and value, offered by the
// output terminals "h", "s" and "v" (each its own one-channel source). The node as a whole
// reads as the value, for its preview. Everything reads 0 while "rgb" is unlinked.
class NodeSplitRGBtoHSV : public NodeOf<NodeSplitRGBtoHSV, Base1DGeneratorNode>
{
public:
    explicit NodeSplitRGBtoHSV(int id);
    ~NodeSplitRGBtoHSV() override;

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
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    // The hue byte (0), saturation (1) or value (2) of the input over a span; the input must be
    // linked.
    void channelSpan(int channel, int y, int x, int count, unsigned int* out) const
    {
        m_spans.channelSpan(m_colourInput, channel, y, x, count, out);
    }

private:
    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_rgbTerminal = nullptr;
    Base3DGenerator const* m_colourInput = nullptr;
    SplitChannelSpans m_spans;
};

} // namespace KelVyxNodes

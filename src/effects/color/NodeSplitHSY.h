#pragma once

#include "effects/Base1DGeneratorNode.h"
#include "effects/NodeOf.h"
#include "effects/color/SplitChannelSpans.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class Base3DGenerator;
class VyxTerminal;

// Splits the colour of "rgb" into its HSY channels, offered by the outputs "h" (the hue as a
// hue byte), "s" and "y" (each its own one-channel source). The node as a whole reads as the
// largest of red, green and blue, for its preview.
class NodeSplitHSY : public NodeOf<NodeSplitHSY, Base1DGeneratorNode>
{
public:
    explicit NodeSplitHSY(int id);
    ~NodeSplitHSY() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    // 0 while "rgb" is unlinked.
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
    // The hue byte (0), saturation (1) or luma (2) of the input over a span; the input must be
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

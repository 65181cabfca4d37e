#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/NodeOf.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class VyxTerminal;

// Adds signed offsets to the hue (degrees), saturation and value of "rgb" (mid grey while
// unlinked, offsets not applied) and a fourth offset to the one-channel "alpha" (128 while
// unlinked). Sums are clamped, never wrapped: hue to 0..359, the others to 0..255.
class NodeHSV : public NodeOf<NodeHSV, VyxNode>, public Base1DGenerator, public Base3DGenerator
{
public:
    explicit NodeHSV(int id);
    ~NodeHSV() override;

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
    unsigned int shifted(unsigned int rgb) const;

    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_rgbTerminal = nullptr;
    VyxTerminal* m_alphaTerminal = nullptr;
    Base1DGenerator const* m_alphaInput = nullptr;
    Base3DGenerator const* m_colourInput = nullptr;
    int m_hue = 0;
    int m_saturation = 0;
    int m_value = 0;
    int m_alpha = 255;
};

} // namespace KelVyxNodes

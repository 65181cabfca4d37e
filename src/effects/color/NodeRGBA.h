#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/NodeOf.h"
#include "effects/VyxNode.h"
#include "effects/color/ColourAlphaInputs.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class VyxTerminal;

// Adds signed offsets to red, green and blue of "rgb" (black while unlinked) and a fourth
// offset to the one-channel "alpha" (255 while unlinked), clamping each sum to 0..255. Each
// output keeps one link.
class NodeRGBA : public NodeOf<NodeRGBA, VyxNode>, public Base1DGenerator, public Base3DGenerator
{
public:
    explicit NodeRGBA(int id);
    ~NodeRGBA() override;

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
    ColourAlphaInputs m_inputs;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    int m_alpha = 255;
};

} // namespace KelVyxNodes

#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/NodeOf.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class VyxTerminal;

// The negative of its inputs: "inRgb" channel by channel on "outRgb", "in" on "out". Both
// paths read mid grey while unlinked; "outRgb" falls back to the channel path as a grey.
class NodeInversion : public NodeOf<NodeInversion, VyxNode>, public Base1DGenerator, public Base3DGenerator
{
public:
    explicit NodeInversion(int id);
    ~NodeInversion() override;

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
    VyxTerminal* m_channelTerminal = nullptr;
    Base1DGenerator const* m_channelInput = nullptr;
    Base3DGenerator const* m_colourInput = nullptr;
};

} // namespace KelVyxNodes

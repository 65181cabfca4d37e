#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"
#include "params/Color.h"

namespace KelUtils {
class ColorParameter;
}

namespace KelVyxNodes {

class Base1DGenerator;
class VyxTerminal;

// Joins the one-channel inputs "r", "g" and "b" into a colour; a channel without its own link
// takes the "gray" input, or else the channel of the "defColor" parameter.
class NodeJoin : public NodeOf<NodeJoin, Base3DGeneratorNode>
{
public:
    explicit NodeJoin(int id);
    ~NodeJoin() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    // Rebuilds the default channels and publishes the set-up event, whatever changed.
    void paramChanged(KelUtils::Parameter* changed) override;
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    void resolveInputs() override;

private:
    // Inputs in terminal order.
    enum Input { Red, Green, Blue, Gray, InputCount };

    static int inputIndex(QString const& terminalName);
    void refreshDefaults();
    // "defColor" is editable unless "gray" or all three channels deliver.
    void updateDefaultState();

    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_terminal[InputCount] = {nullptr, nullptr, nullptr, nullptr};
    Base1DGenerator const* m_input[InputCount] = {nullptr, nullptr, nullptr, nullptr};
    KelUtils::Color m_defColor;
    KelUtils::ColorParameter* m_defColorParam = nullptr;
    int m_defChannel[3] = {128, 128, 128};
};

} // namespace KelVyxNodes

#pragma once

#include "effects/BaseGeneratorNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"
#include "params/Color.h"

namespace KelUtils {
class ColorParameter;
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

// A constant: the same channel value and the same colour at every point. Which of the two
// settings is editable follows what the output feeds.
class NodeConst : public NodeOf<NodeConst, BaseGeneratorNode>
{
public:
    explicit NodeConst(int id);
    ~NodeConst() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    void paramChanged(KelUtils::Parameter* changed) override;
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;

protected:
    // The parameters follow the output's kind, which settles after the links change.
    void kindsSettled() override;

private:
    // Enables each setting while the output can still carry its kind.
    void updateParamStates();

    KelNodes::NodeParameterContainer m_container;
    int m_value1d = 128;
    KelUtils::NumGroupParameter<int>* m_value1dParam = nullptr;
    KelUtils::Color m_color;
    unsigned int m_packedColor = 0x808080u;
    KelUtils::ColorParameter* m_value3dParam = nullptr;
};

} // namespace KelVyxNodes

#pragma once

#include "effects/BaseMixNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"

namespace KelVyxNodes {

// Blends two operands by a weight 0..1 (of operand 1), by weighted addition or weighted
// multiplication; the weight comes from the "weight" parameter or, per point, from the
// "weight" input (0..255 read as 0..1). One node mixes colours for "out" and, independently,
// one-channel values for "out 1d".
class NodeWeightedMix : public NodeOf<NodeWeightedMix, BaseMixNode>
{
public:
    explicit NodeWeightedMix(int id);
    ~NodeWeightedMix() override;

    static KelNodes::NodeDescriptor m_descriptor;

    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;
    // Through the tables while the weight is the parameter, else each point's weight.
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

protected:
    bool pairTablesApply() const override { return !m_weightInput; }
    long long pairTableKey() const override;
    int pairResult(bool colour, int x, int y) const override;

private:
    float weightAt(QPoint const& point) const;
    // A weight input's byte as a weight.
    static float weightOf(unsigned int byte);
    // The formulas at weight w: one channel, colour.
    unsigned int mixed(int a, int b, float w) const;
    unsigned int mixed3(unsigned int first, unsigned int second, float w) const;

    VyxTerminal* m_weightTerminal = nullptr;
    Base1DGenerator const* m_weightInput = nullptr;
    float m_weight = 0.5f;
    KelUtils::NumGroupParameter<float>* m_weightParam = nullptr;
};

} // namespace KelVyxNodes

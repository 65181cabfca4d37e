#pragma once

#include "effects/BaseMixNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"

namespace KelVyxNodes {

// Combines two operands by addition, subtraction, difference, multiplication or division (the
// last two scaled by 128), clamped to 0..255: colours channel by channel for "out", one-channel
// values for "out 1d".
class NodeArithmeticMix : public NodeOf<NodeArithmeticMix, BaseMixNode>
{
public:
    explicit NodeArithmeticMix(int id);
    ~NodeArithmeticMix() override;

    static KelNodes::NodeDescriptor m_descriptor;

    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;

protected:
    bool pairTablesApply() const override { return true; }
    long long pairTableKey() const override { return m_mode; }
    int pairResult(bool colour, int x, int y) const override;
};

} // namespace KelVyxNodes

#pragma once

#include "effects/Terminal1D.h"

namespace KelVyxNodes {

class NodeSplit;

// One channel output of a split node: 0 red, 1 green, 2 blue of the node's colour input, or
// 128 while that input is unlinked.
class NodeSplitTerminal1D : public Terminal1D
{
public:
    NodeSplitTerminal1D(NodeSplit* node, QString const& name, unsigned int inputMask,
                        unsigned int outputMask, KelUtils::HelpItem const& help, int index);
    ~NodeSplitTerminal1D() override;

    unsigned int getSample(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;

    int channelIndex() const { return m_index; }

private:
    NodeSplit* m_node;
    int m_index;
};

} // namespace KelVyxNodes

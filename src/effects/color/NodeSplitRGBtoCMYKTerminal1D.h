#pragma once

#include "effects/Terminal1D.h"

namespace KelVyxNodes {

class NodeSplitRGBtoCMYK;

// One output of the CMYK split: channel 0 cyan, 1 magenta, 2 yellow, 3 black of the node's
// colour input; 0 while that input is unlinked or for any other channel index.
class NodeSplitRGBtoCMYKTerminal1D : public Terminal1D
{
public:
    NodeSplitRGBtoCMYKTerminal1D(NodeSplitRGBtoCMYK* node, QString const& name,
                                 unsigned int inputMask, unsigned int outputMask,
                                 KelUtils::HelpItem const& help, int index);
    ~NodeSplitRGBtoCMYKTerminal1D() override;

    unsigned int getSample(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;

    int channelIndex() const { return m_index; }

private:
    NodeSplitRGBtoCMYK* m_node;
    int m_index;
};

} // namespace KelVyxNodes

#pragma once

#include "effects/Terminal1D.h"

namespace KelVyxNodes {

class NodeSplitRGBtoHSV;

// One output of the HSV split: channel 0 the hue byte, 1 the saturation, 2 the value of the
// node's colour input; 0 while that input is unlinked or for any other channel index.
class NodeSplitRGBtoHSVTerminal1D : public Terminal1D
{
public:
    NodeSplitRGBtoHSVTerminal1D(NodeSplitRGBtoHSV* node, QString const& name,
                                unsigned int inputMask, unsigned int outputMask,
                                KelUtils::HelpItem const& help, int index);
    ~NodeSplitRGBtoHSVTerminal1D() override;

    unsigned int getSample(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;

    int channelIndex() const { return m_index; }

private:
    NodeSplitRGBtoHSV* m_node;
    int m_index;
};

} // namespace KelVyxNodes

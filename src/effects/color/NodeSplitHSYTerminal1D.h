#pragma once

#include "effects/Terminal1D.h"

namespace KelVyxNodes {

class NodeSplitHSY;

// One HSY channel output of a Split HSY node: 0 the hue byte, 1 saturation, 2 luma of the
// node's colour input, or 0 while that input is unlinked.
class NodeSplitHSYTerminal1D : public Terminal1D
{
public:
    NodeSplitHSYTerminal1D(NodeSplitHSY* node, QString const& name, unsigned int inputMask,
                           unsigned int outputMask, KelUtils::HelpItem const& help, int channel);
    ~NodeSplitHSYTerminal1D() override;

    unsigned int getSample(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;

    int channelIndex() const { return m_channel; }

private:
    // This terminal's channel of the colour rgb.
    unsigned int channelOf(unsigned int rgb) const;

    NodeSplitHSY* m_node;
    int m_channel;
};

} // namespace KelVyxNodes

#include "effects/color/NodeSplitRGBtoHSVTerminal1D.h"

#include "effects/Base3DGenerator.h"
#include "effects/color/ColorChannel.h"
#include "effects/color/NodeSplitRGBtoHSV.h"

#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

NodeSplitRGBtoHSVTerminal1D::NodeSplitRGBtoHSVTerminal1D(NodeSplitRGBtoHSV* node,
                                                         QString const& name,
                                                         unsigned int inputMask,
                                                         unsigned int outputMask,
                                                         KelUtils::HelpItem const& help, int index)
    : Terminal1D(node, name, inputMask, outputMask, help)
    , m_node(node)
    , m_index(index)
{
}

NodeSplitRGBtoHSVTerminal1D::~NodeSplitRGBtoHSVTerminal1D() = default;

unsigned int NodeSplitRGBtoHSVTerminal1D::getSample(QPoint const& point) const
{
    Base3DGenerator const* input = m_node->colourInput();
    if (!input || m_index < 0 || m_index > 2)
        return 0u;
    return channelOfColour(ChannelHue + m_index, input->getSample3(point));
}

void NodeSplitRGBtoHSVTerminal1D::getSpan(int y, int x, int count, unsigned int* out) const
{
    Base3DGenerator const* input = m_node->colourInput();
    if (!input || m_index < 0 || m_index > 2) {
        std::fill(out, out + count, 0u);
        return;
    }
    m_node->channelSpan(m_index, y, x, count, out);
}

} // namespace KelVyxNodes

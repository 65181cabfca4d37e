#include "effects/color/NodeSplitRGBtoCMYKTerminal1D.h"

#include "effects/Base3DGenerator.h"
#include "effects/color/ColorChannel.h"
#include "effects/color/NodeSplitRGBtoCMYK.h"

#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

NodeSplitRGBtoCMYKTerminal1D::NodeSplitRGBtoCMYKTerminal1D(NodeSplitRGBtoCMYK* node,
                                                           QString const& name,
                                                           unsigned int inputMask,
                                                           unsigned int outputMask,
                                                           KelUtils::HelpItem const& help,
                                                           int index)
    : Terminal1D(node, name, inputMask, outputMask, help)
    , m_node(node)
    , m_index(index)
{
}

NodeSplitRGBtoCMYKTerminal1D::~NodeSplitRGBtoCMYKTerminal1D() = default;

unsigned int NodeSplitRGBtoCMYKTerminal1D::getSample(QPoint const& point) const
{
    Base3DGenerator const* input = m_node->colourInput();
    if (!input || m_index < 0 || m_index > 3)
        return 0u;
    return channelOfColour(ChannelCyan + m_index, input->getSample3(point));
}

void NodeSplitRGBtoCMYKTerminal1D::getSpan(int y, int x, int count, unsigned int* out) const
{
    Base3DGenerator const* input = m_node->colourInput();
    if (!input || m_index < 0 || m_index > 3) {
        std::fill(out, out + count, 0u);
        return;
    }
    input->getSpan3(y, x, count, out);
    channelsOfColours(ChannelCyan + m_index, out, count);
}

} // namespace KelVyxNodes

#include "effects/NodeSplitTerminal1D.h"

#include "effects/Base3DGenerator.h"
#include "effects/NodeSplit.h"

#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

NodeSplitTerminal1D::NodeSplitTerminal1D(NodeSplit* node, QString const& name,
                                         unsigned int inputMask, unsigned int outputMask,
                                         KelUtils::HelpItem const& help, int index)
    : Terminal1D(node, name, inputMask, outputMask, help)
    , m_node(node)
    , m_index(std::clamp(index, 0, 2)) // the shift below must stay within the colour
{
}

NodeSplitTerminal1D::~NodeSplitTerminal1D() = default;

unsigned int NodeSplitTerminal1D::getSample(QPoint const& point) const
{
    Base3DGenerator const* input = m_node->colourInput();
    if (!input)
        return 128u;
    return (input->getSample3(point) >> (16 - 8 * m_index)) & 0xFFu;
}

void NodeSplitTerminal1D::getSpan(int y, int x, int count, unsigned int* out) const
{
    Base3DGenerator const* input = m_node->colourInput();
    if (!input) {
        std::fill(out, out + count, 128u);
        return;
    }
    input->getSpan3(y, x, count, out);
    const int shift = 16 - 8 * m_index;
    for (int i = 0; i < count; ++i)
        out[i] = (out[i] >> shift) & 0xFFu;
}

} // namespace KelVyxNodes

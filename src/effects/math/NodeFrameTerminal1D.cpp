#include "effects/math/NodeFrameTerminal1D.h"

#include "effects/math/NodeFrame.h"

#include <algorithm>

namespace KelVyxNodes {

NodeFrameTerminal1D::NodeFrameTerminal1D(NodeFrame* node, QString const& name, unsigned int inputMask,
                                         unsigned int outputMask, KelUtils::HelpItem const& help, int id)
    : Terminal1D(node, name, inputMask, outputMask, help)
    , m_node(node)
    , m_id(id)
{
}

NodeFrameTerminal1D::~NodeFrameTerminal1D() = default;

unsigned int NodeFrameTerminal1D::getSample(QPoint const& point) const
{
    if (m_id != FrameNode_Terminal1D_InnerID && m_id != FrameNode_Terminal1D_OuterID)
        return 128u;
    const bool content = m_node->contentAt(point);
    if (m_id == FrameNode_Terminal1D_InnerID)
        return content ? 255u : 0u;
    return content ? 0u : 255u;
}

void NodeFrameTerminal1D::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (m_id == FrameNode_Terminal1D_InnerID)
        m_node->contentSpan(y, x, count, 255u, 0u, out);
    else if (m_id == FrameNode_Terminal1D_OuterID)
        m_node->contentSpan(y, x, count, 0u, 255u, out);
    else
        std::fill(out, out + count, 128u);
}

} // namespace KelVyxNodes

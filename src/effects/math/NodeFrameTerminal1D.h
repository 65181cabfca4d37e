#pragma once

#include "effects/Terminal1D.h"

namespace KelVyxNodes {

class NodeFrame;

// Ids of the frame node's mask outputs.
inline constexpr int FrameNode_Terminal1D_InnerID = 1;
inline constexpr int FrameNode_Terminal1D_OuterID = 2;

// A mask output of the frame node: "inner" is 255 on the content and 0 elsewhere, "outer" the
// inverse; any other id gives 128. The distortion input plays no part in the masks.
class NodeFrameTerminal1D : public Terminal1D
{
public:
    NodeFrameTerminal1D(NodeFrame* node, QString const& name, unsigned int inputMask,
                        unsigned int outputMask, KelUtils::HelpItem const& help, int id);
    ~NodeFrameTerminal1D() override;

    unsigned int getSample(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;

    int id() const { return m_id; }

private:
    NodeFrame* m_node;
    int m_id;
};

} // namespace KelVyxNodes

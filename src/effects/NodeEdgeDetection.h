#pragma once

#include "effects/ConvolutionFilterNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"

namespace KelVyxNodes {

// Edges through a 5 x 5 kernel picked by "direction" (horizontal, vertical, diagonal, all).
// The kernel is chosen at each render start and kept afterwards; before the first render the
// input passes through. An unlinked colour input reads mid grey.
class NodeEdgeDetection : public NodeOf<NodeEdgeDetection, ConvolutionFilterNode>
{
public:
    explicit NodeEdgeDetection(int id);
    ~NodeEdgeDetection() override;

    static KelNodes::NodeDescriptor m_descriptor;

    int onFilterStart(KelUtils::StatusObserver* observer) override;

    // The kernel of a direction (0..3), null for any other value.
    static float const* kernelOf(int direction);

private:
    int m_direction = 0;
};

} // namespace KelVyxNodes

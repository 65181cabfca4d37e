#pragma once

#include "effects/ConvolutionFilterNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"

namespace KelVyxNodes {

// Relief through a fixed 3 x 3 kernel rising from top-left to bottom-right, shifted by the main
// tone (mid grey by default). An unlinked colour input reads mid grey.
class NodeEmboss : public NodeOf<NodeEmboss, ConvolutionFilterNode>
{
public:
    explicit NodeEmboss(int id);
    ~NodeEmboss() override;

    static KelNodes::NodeDescriptor m_descriptor;

    int onFilterStart(KelUtils::StatusObserver* observer) override;
};

} // namespace KelVyxNodes

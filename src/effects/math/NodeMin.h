#pragma once

#include "effects/NodeOf.h"
#include "effects/math/ChannelExtremumNode.h"

namespace KelVyxNodes {

// "Min": the per-channel minimum of two colours.
class NodeMin : public NodeOf<NodeMin, ChannelExtremumNode>
{
public:
    explicit NodeMin(int id);
    ~NodeMin() override;

    static KelNodes::NodeDescriptor m_descriptor;

};

} // namespace KelVyxNodes

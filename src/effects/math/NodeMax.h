#pragma once

#include "effects/NodeOf.h"
#include "effects/math/ChannelExtremumNode.h"

namespace KelVyxNodes {

// "Max": the per-channel maximum of two colours.
class NodeMax : public NodeOf<NodeMax, ChannelExtremumNode>
{
public:
    explicit NodeMax(int id);
    ~NodeMax() override;

    static KelNodes::NodeDescriptor m_descriptor;

};

} // namespace KelVyxNodes

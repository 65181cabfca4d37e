#pragma once

#include "effects/NodeOf.h"
#include "effects/math/PosterizeNode.h"

namespace KelVyxNodes {

// "Floor": posterizes by rounding down.
class NodeFloor : public NodeOf<NodeFloor, PosterizeNode>
{
public:
    explicit NodeFloor(int id);
    ~NodeFloor() override;

    static KelNodes::NodeDescriptor m_descriptor;

    static int rounding(double quotient);
};

} // namespace KelVyxNodes

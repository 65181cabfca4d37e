#pragma once

#include "effects/NodeOf.h"
#include "effects/math/PosterizeNode.h"

namespace KelVyxNodes {

// "Ceil": posterizes by rounding up.
class NodeCeil : public NodeOf<NodeCeil, PosterizeNode>
{
public:
    explicit NodeCeil(int id);
    ~NodeCeil() override;

    static KelNodes::NodeDescriptor m_descriptor;

    static int rounding(double quotient);
};

} // namespace KelVyxNodes

#pragma once

#include "effects/NodeOf.h"
#include "effects/math/PosterizeNode.h"

namespace KelVyxNodes {

// "Round": posterizes by rounding to the nearest step, halves up.
class NodeRound : public NodeOf<NodeRound, PosterizeNode>
{
public:
    explicit NodeRound(int id);
    ~NodeRound() override;

    static KelNodes::NodeDescriptor m_descriptor;

    static int rounding(double quotient);
};

} // namespace KelVyxNodes

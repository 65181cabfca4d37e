#pragma once

#include "effects/math/PosterizeNode.h"

namespace KelVyxNodes {

// "Round": posterizes by rounding to the nearest step, halves up.
class NodeRound : public PosterizeNode
{
public:
    explicit NodeRound(int id);
    ~NodeRound() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }

    static int rounding(double quotient);
};

} // namespace KelVyxNodes

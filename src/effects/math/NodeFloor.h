#pragma once

#include "effects/math/PosterizeNode.h"

namespace KelVyxNodes {

// "Floor": posterizes by rounding down.
class NodeFloor : public PosterizeNode
{
public:
    explicit NodeFloor(int id);
    ~NodeFloor() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }

    static int rounding(double quotient);
};

} // namespace KelVyxNodes

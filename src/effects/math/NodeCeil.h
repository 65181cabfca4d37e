#pragma once

#include "effects/math/PosterizeNode.h"

namespace KelVyxNodes {

// "Ceil": posterizes by rounding up.
class NodeCeil : public PosterizeNode
{
public:
    explicit NodeCeil(int id);
    ~NodeCeil() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }

    static int rounding(double quotient);
};

} // namespace KelVyxNodes

#pragma once

#include "effects/NodeOf.h"
#include "effects/math/ColorGradientNode.h"
#include "nodes/NodeDescriptor.h"

namespace KelVyxNodes {

// "Gradient3Color": a gradient through three colour stops, starting as red, green, blue.
class NodeGradient3Color : public NodeOf<NodeGradient3Color, ColorGradientNode<3>>
{
public:
    explicit NodeGradient3Color(int id);
    ~NodeGradient3Color() override;

    static KelNodes::NodeDescriptor m_descriptor;

    void* objectPtr() override { return this; }
};

} // namespace KelVyxNodes

#pragma once

#include "effects/NodeOf.h"
#include "effects/math/ColorGradientNode.h"
#include "nodes/NodeDescriptor.h"

namespace KelVyxNodes {

// "Gradient5Color": a gradient through five colour stops, starting as red, green, blue, white, black.
class NodeGradient5Color : public NodeOf<NodeGradient5Color, ColorGradientNode<5>>
{
public:
    explicit NodeGradient5Color(int id);
    ~NodeGradient5Color() override;

    static KelNodes::NodeDescriptor m_descriptor;

    void* objectPtr() override { return this; }
};

} // namespace KelVyxNodes

#pragma once

#include "effects/math/ColorGradientNode.h"
#include "nodes/NodeDescriptor.h"

namespace KelVyxNodes {

// "Gradient5Color": a gradient through five colour stops, starting as red, green, blue, white, black.
class NodeGradient5Color : public ColorGradientNode<5>
{
public:
    explicit NodeGradient5Color(int id);
    ~NodeGradient5Color() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
};

} // namespace KelVyxNodes

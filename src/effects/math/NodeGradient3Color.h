#pragma once

#include "effects/math/ColorGradientNode.h"
#include "nodes/NodeDescriptor.h"

namespace KelVyxNodes {

// "Gradient3Color": a gradient through three colour stops, starting as red, green, blue.
class NodeGradient3Color : public ColorGradientNode<3>
{
public:
    explicit NodeGradient3Color(int id);
    ~NodeGradient3Color() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
};

} // namespace KelVyxNodes

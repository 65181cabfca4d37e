#pragma once

#include "effects/math/ChannelExtremumNode.h"

namespace KelVyxNodes {

// "Max": the per-channel maximum of two colours.
class NodeMax : public ChannelExtremumNode
{
public:
    explicit NodeMax(int id);
    ~NodeMax() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
};

} // namespace KelVyxNodes

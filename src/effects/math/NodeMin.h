#pragma once

#include "effects/math/ChannelExtremumNode.h"

namespace KelVyxNodes {

// "Min": the per-channel minimum of two colours.
class NodeMin : public ChannelExtremumNode
{
public:
    explicit NodeMin(int id);
    ~NodeMin() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
};

} // namespace KelVyxNodes

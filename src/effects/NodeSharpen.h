#pragma once

#include "effects/ConvolutionFilterNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"

namespace KelVyxNodes {

// Sharpens through a 3 x 3 kernel: -base around, 8 x base + 1 in the centre (it sums to 1, so
// flat areas keep their value). An unlinked colour input reads black.
class NodeSharpen : public NodeOf<NodeSharpen, ConvolutionFilterNode>
{
public:
    explicit NodeSharpen(int id);
    ~NodeSharpen() override;

    static KelNodes::NodeDescriptor m_descriptor;

    int onFilterStart(KelUtils::StatusObserver* observer) override;

private:
    void buildKernel();

    float m_base = 1.0f;
    float m_kernel[9];
};

} // namespace KelVyxNodes

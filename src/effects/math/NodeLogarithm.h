#pragma once

#include "effects/NodeOf.h"
#include "effects/math/ColorOperandNode.h"

namespace KelVyxNodes {

// "Logarithm": each channel of "source" to the base of the same channel of "base", both as
// fractions, held to 0..1. Where a logarithm is undefined (a base channel of 0 or 255, a source
// channel of 0) the node gives the "error" colour. Unlinked inputs read "Source", "Base" and
// "Error", which stay editable.
class NodeLogarithm : public NodeOf<NodeLogarithm, ColorOperandNode>
{
public:
    explicit NodeLogarithm(int id);
    ~NodeLogarithm() override;

    static KelNodes::NodeDescriptor m_descriptor;

protected:
    void combine(unsigned int const* const* operands, int count, unsigned int* out) const override;
};

} // namespace KelVyxNodes

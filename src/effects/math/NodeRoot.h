#pragma once

#include "effects/NodeOf.h"
#include "effects/math/ColorOperandNode.h"

namespace KelVyxNodes {

// "Root": each channel of "source" raised to 1 / the same channel of "degree", both as
// fractions. A degree with a zero channel has no root: the node then gives the "error" colour.
// Unlinked inputs read "Source", "Degree" and "Error", which stay editable.
class NodeRoot : public NodeOf<NodeRoot, ColorOperandNode>
{
public:
    explicit NodeRoot(int id);
    ~NodeRoot() override;

    static KelNodes::NodeDescriptor m_descriptor;

protected:
    void combine(unsigned int const* const* operands, int count, unsigned int* out) const override;
};

} // namespace KelVyxNodes

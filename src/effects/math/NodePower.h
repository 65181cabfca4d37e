#pragma once

#include "effects/NodeOf.h"
#include "effects/math/ColorOperandNode.h"

namespace KelVyxNodes {

// "Power": each channel of "rgbInBase" raised to the power of the same channel of
// "rgbInExponent", both as fractions of 255. Unlinked inputs read "base" (blue) and "exponent"
// (green), which are greyed out while their input is linked.
class NodePower : public NodeOf<NodePower, ColorOperandNode>
{
public:
    explicit NodePower(int id);
    ~NodePower() override;

    static KelNodes::NodeDescriptor m_descriptor;

    // (base / 255) ^ (exponent / 255) as 0..255, rounded half up; 0 ^ 0 is 1.
    static int powChannel(int base, int exponent);

protected:
    void combine(unsigned int const* const* operands, int count, unsigned int* out) const override;
};

} // namespace KelVyxNodes

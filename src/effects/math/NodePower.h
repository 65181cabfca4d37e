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

    unsigned int getSample3(QPoint const& point) const override;

    // (base / 255) ^ (exponent / 255) as 0..255, rounded half up; 0 ^ 0 is 1.
    int powChannel(int base, int exponent) const;
};

} // namespace KelVyxNodes

#pragma once

#include "effects/math/ColorOperandNode.h"

namespace KelVyxNodes {

// The per-channel larger or smaller of two colours, "rgbIn1" and "rgbIn2", each replaced by its
// mid-grey colour parameter ("color1", "color2", greyed out while linked) when unlinked.
class ChannelExtremumNode : public ColorOperandNode
{
public:
    enum Extremum { Smaller, Larger };

    ~ChannelExtremumNode() override;

protected:
    ChannelExtremumNode(int id, KelNodes::NodeDescriptor const& descriptor, Extremum extremum,
                        QString const& helpText);

    void combine(unsigned int const* const* operands, int count, unsigned int* out) const override;

private:
    const Extremum m_extremum;
};

} // namespace KelVyxNodes

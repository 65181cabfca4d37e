#pragma once

#include "effects/math/ColorOperandNode.h"

namespace KelVyxNodes {
class BytePairTable;
}

namespace KelVyxNodes {

// Brings each channel of "source" to a whole multiple of the same channel of "granularity"
// (a zero step counts as 1), by the concrete node's rounding of the quotient; products above
// 255 saturate. Unlinked inputs read the "Source" and "Granularity" colours, which stay editable.
class PosterizeNode : public ColorOperandNode
{
public:
    // The quotient (>= 0) rounded to a whole number of steps.
    using Rounding = int (*)(double quotient);

    ~PosterizeNode() override;

    // One channel: source s and granularity g, both 0..255.
    static int posterize(int s, int g, Rounding rounding);

protected:
    PosterizeNode(int id, KelNodes::NodeDescriptor const& descriptor, Rounding rounding,
                  QString const& helpText);

    void combine(unsigned int const* const* operands, int count, unsigned int* out) const override;

private:
    // posterize with the node's rounding, for every pair of bytes.
    BytePairTable const& m_table;
};

} // namespace KelVyxNodes

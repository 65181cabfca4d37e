#pragma once

#include "effects/NodeOf.h"
#include "effects/math/ColorOperandNode.h"

namespace KelVyxNodes {

// "If": channel by channel, compares "rgbIn1" with "rgbIn2" by the chosen relation and takes the
// channel of "rgbInThen" where it holds, of "rgbInElse" where it does not. Unlinked inputs read
// "color1", "color2", "then" and "else", which are greyed out while their input is linked.
class NodeIf : public NodeOf<NodeIf, ColorOperandNode>
{
public:
    // Ids of the "operation" items.
    enum Operation { Less = 0, Greater = 1, LessOrEqual = 2, GreaterOrEqual = 3, Equal = 4, NotEqual = 5 };

    explicit NodeIf(int id);
    ~NodeIf() override;

    static KelNodes::NodeDescriptor m_descriptor;

    // Whether relation `operation` holds between the bytes x and y. Inline, so that a loop
    // over a constant operation has no branch on it.
    static bool holds(int operation, int x, int y)
    {
        switch (operation) {
        case Less:
            return x < y;
        case Greater:
            return x > y;
        case LessOrEqual:
            return x <= y;
        case GreaterOrEqual:
            return x >= y;
        case Equal:
            return x == y;
        case NotEqual:
            return x != y;
        default:
            return false;
        }
    }

protected:
    void combine(unsigned int const* const* operands, int count, unsigned int* out) const override;

private:
    int m_operation = Less;
};

} // namespace KelVyxNodes

#pragma once

#include <algorithm>

// Per-channel formulas of the two mixer nodes. Operands are bytes 0..255; results are clamped
// to 0..255 by mixResult. The weighted multiplication ends in the same product as the
// arithmetic one, so both mixers share MixOp::Multiply.
namespace KelVyxNodes::MixFormulas {

// Ids of the arithmetic mixer's "mode" items.
enum MixOp : int { Add = 0, Subtract = 1, Difference = 2, Multiply = 3, Divide = 4 };

// Integer arithmetic, truncating toward zero; an unknown id divides. b is a byte, so the
// divisor is at least 1.
inline int combine(int op, int a, int b)
{
    switch (op) {
    case Add:
        return a + b;
    case Subtract:
        return a - b;
    case Difference:
        return a > b ? a - b : b - a;
    case Multiply:
        return a * b / 128;
    default:
        return a * 128 / (b + 1);
    }
}

inline int mixResult(int value)
{
    return std::clamp(value, 0, 255);
}

// Weighted addition: a at weight w, b at 1 - w; single precision, both products, their sum,
// then the half for rounding.
inline int weightedSum(int a, int b, float w)
{
    return static_cast<int>(static_cast<float>(a) * w + static_cast<float>(b) * (1.0f - w) + 0.5f);
}

// Weighted multiplication pulls each operand toward 128 (the neutral value of a * b / 128) by
// the other operand's share. The one-channel path truncates the shift before subtracting it, the
// colour path subtracts in single precision first, so their results may differ by one.
inline int weightedProductOneChannel(int a, int b, float w)
{
    const int movedA = a - static_cast<int>(static_cast<float>(a - 128) * (1.0f - w));
    const int movedB = b - static_cast<int>(static_cast<float>(b - 128) * w);
    return combine(Multiply, movedA, movedB);
}

inline int weightedProductColour(int a, int b, float w)
{
    const int movedA = static_cast<int>(static_cast<float>(a) - static_cast<float>(a - 128) * (1.0f - w));
    const int movedB = static_cast<int>(static_cast<float>(b) - static_cast<float>(b - 128) * w);
    return combine(Multiply, movedA, movedB);
}

} // namespace KelVyxNodes::MixFormulas

#include "effects/color/HueByte.h"

#include "params/Rounding.h"

#include <algorithm>

namespace KelVyxNodes {

namespace {

constexpr float kHueScale = 0.71031f;

} // namespace

int hueToByte(int degrees)
{
    const float scaled = static_cast<float>(degrees) * kHueScale;
    return std::clamp(KelUtils::roundHalfUpToInt(static_cast<double>(scaled)), 0, 255);
}

int byteToHue(int byte)
{
    // Held first, so a stray sample cannot overflow the rounding.
    const float scaled = static_cast<float>(std::clamp(byte, 0, 255)) / kHueScale;
    return std::clamp(KelUtils::roundHalfUpToInt(static_cast<double>(scaled)), 0, 359);
}

} // namespace KelVyxNodes

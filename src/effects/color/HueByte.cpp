#include "effects/color/HueByte.h"

#include "params/Rounding.h"

#include <algorithm>

namespace KelVyxNodes {

namespace {

constexpr float kHueScale = 0.71031f;

int scaledHueByte(int degrees)
{
    const float scaled = static_cast<float>(degrees) * kHueScale;
    return std::clamp(KelUtils::roundHalfUpToInt(static_cast<double>(scaled)), 0, 255);
}

// Splitting nodes convert a hue per pixel: whole degrees -1..360 come from a table.
struct HueBytes
{
    HueBytes()
    {
        for (int degrees = -1; degrees <= 360; ++degrees)
            byte[degrees + 1] = static_cast<unsigned char>(scaledHueByte(degrees));
    }
    unsigned char byte[362];
};

HueBytes const& hueBytes()
{
    static const HueBytes table;
    return table;
}

} // namespace

int hueToByte(int degrees)
{
    if (degrees >= -1 && degrees <= 360)
        return hueBytes().byte[degrees + 1];
    return scaledHueByte(degrees);
}

int byteToHue(int byte)
{
    // Held first, so a stray sample cannot overflow the rounding.
    const float scaled = static_cast<float>(std::clamp(byte, 0, 255)) / kHueScale;
    return std::clamp(KelUtils::roundHalfUpToInt(static_cast<double>(scaled)), 0, 359);
}

} // namespace KelVyxNodes

#pragma once

namespace KelUtils {

// An 8-bit, gamma-encoded colour plus the linear factor that brings back over-bright colours:
// the colour decoded from the three bytes, times `scale`, is the linear colour again.
struct ScaledRgb
{
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
    unsigned char alpha = 0;
    float scale = 1.0f;

    bool operator==(ScaledRgb const& other) const = default;
};

} // namespace KelUtils

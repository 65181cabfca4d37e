#pragma once

#include "effects/ByteClamp.h"
#include "params/Color.h"

#include <cmath>

namespace KelVyxNodes {

// A linear-light colour component as the unscaled 8-bit channel that nodes sample:
// trunc(pow(c, 1 / 2.2) * 255.999) in double, from the single-precision constants. A negative
// component makes the power NaN and an over-bright one can reach infinity: both are held in
// double before the conversion (0 and 255).
inline int linearChannelToByte(float component)
{
    const double encoded = std::pow(static_cast<double>(component),
                                    static_cast<double>(KelUtils::Color::InverseGamma));
    return byteClamp(encoded * static_cast<double>(255.999f));
}

// 0x00RRGGBB of a linear-light colour; its alpha plays no part.
inline unsigned int linearColorToRgb(KelUtils::Color const& color)
{
    return static_cast<unsigned int>(linearChannelToByte(color.red)) << 16
           | static_cast<unsigned int>(linearChannelToByte(color.green)) << 8
           | static_cast<unsigned int>(linearChannelToByte(color.blue));
}

// The linear-light mid grey the nodes start with: (128 / 255)^2.2, the quotient in single and
// the power in double precision; it converts back to 0x808080.
inline KelUtils::Color midGreyLinear()
{
    const float grey = KelUtils::Color::decodeChannel(128, KelUtils::Color::Gamma);
    return KelUtils::Color(grey, grey, grey, 1.0f);
}

} // namespace KelVyxNodes

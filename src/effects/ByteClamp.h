#pragma once

namespace KelVyxNodes {

// A colour component computed in double (a power, a product, a mix) as an 8-bit channel:
// NaN and anything <= 0 give 0, anything reaching 255 gives 255, the rest is truncated.
// Clamping before the conversion keeps huge, infinite and NaN components from overflowing
// into neighbouring channels or into undefined conversions.
inline int byteClamp(double component)
{
    if (!(component > 0.0))
        return 0;
    if (component >= 255.0)
        return 255;
    return static_cast<int>(component);
}

} // namespace KelVyxNodes

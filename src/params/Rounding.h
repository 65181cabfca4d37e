#pragma once

#include <cmath>

namespace KelUtils {

// Halves round upward (-2.5 gives -2, 2.5 gives 3). Qt 6's qRound rounds -2.5 to -3,
// which would change stored results, so pixel and keyframe code use this instead.
inline double roundHalfUp(double x)
{
    return std::floor(x + 0.5);
}

inline int roundHalfUpToInt(double x)
{
    return static_cast<int>(std::floor(x + 0.5));
}

} // namespace KelUtils

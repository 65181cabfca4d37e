#include "effects/GammaLUT.h"

#include "params/Rounding.h"

#include <algorithm>
#include <iterator>
#include <cmath>
#include <cstdint>

namespace KelVyxNodes {

void initGammaLUT(int white, int black, int gamma, GammaLUT& lut)
{
    const int g = std::max(std::min(gamma, 100), -100);
    if (g < 0)
        lut.exponent = 100.0 / (100.0 - std::abs(g)); // -100 gives +infinity
    else if (g > 0)
        lut.exponent = 5.0 / (g + 5.0);
    else
        lut.exponent = 1.0;

    // An empty range would stretch by 255 / 0 and turn NaN into bytes.
    if (white == black) {
        std::fill(std::begin(lut.table), std::end(lut.table), 0);
        return;
    }

    // Differences in 64 bits: levels far outside 0..255 must not overflow.
    const double f = 255.0 / double(std::int64_t(white) - black);
    for (int i = 0; i < 256; ++i) {
        const int m = std::max(std::min(i, white), black);
        const double s = double(std::int64_t(m & 255) - black) * f;
        // A stretch outside the int range (absurd levels only) counts as 0, as the
        // hardware's out-of-range conversion masked to a byte gave.
        const int b = std::fabs(s) < 2147483648.0 ? int(std::int64_t(s) & 255) : 0;
        const double p = std::pow(b / 255.0, lut.exponent) * 255.0;
        double e = KelUtils::roundHalfUp(p);
        e = std::min(e, 255.0);
        if (e < 1.0)
            e = 0.0;
        lut.table[i] = static_cast<unsigned char>(e);
    }
}

} // namespace KelVyxNodes

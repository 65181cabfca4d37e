#include "effects/color/Gamma.h"

#include "effects/NodeValueUtils.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace KelVyxNodes {

double gammaExpFrom(int gamma)
{
    const int g = std::clamp(gamma, -100, 100);
    if (g < 0) // |g + 10|, not |g|: stored curves depend on the dip to 1 at -10
        return 100.0 / (100.0 - double(std::abs(g + 10)));
    if (g == 0)
        return 1.0;
    return 10.0 / (double(g) + 10.0);
}

Gamma::Gamma(double exponent, double a, double b, double c, double d)
    : m_exponent(exponent)
    , m_start(std::min(a, b))
    , m_end(std::max(a, b))
    , m_minimum(std::min(c, d))
    , m_maximum(std::max(c, d))
{
}

double Gamma::valueAt(double x) const
{
    const double c = std::max(std::min(m_end, x), m_start);
    const double t = transformToNewBounds(c, m_start, m_end, 0.0, 1.0);
    const double p = std::pow(t, m_exponent);
    const double m = transformToNewBounds(p, 0.0, 1.0, m_minimum, m_maximum);
    return 1.0 - m;
}

QPainterPath Gamma::path() const
{
    QPainterPath curve;
    curve.moveTo(0.0, valueAt(0.0));
    for (int k = 0; k <= 1000; ++k) {
        const double x = k * 0.001;
        curve.lineTo(x, valueAt(x));
    }
    return curve;
}

} // namespace KelVyxNodes

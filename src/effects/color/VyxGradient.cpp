#include "effects/color/VyxGradient.h"

#include "effects/NodeValueUtils.h"

#include <algorithm>
#include <cmath>

namespace KelVyxNodes {

void VyxGradient::addPoint(VyxGradientPoint const& point)
{
    m_points.append(point);
    std::sort(m_points.begin(), m_points.end());
    m_stops.clear();
    m_stops.reserve(m_points.size());
    for (VyxGradientPoint const& p : m_points)
        m_stops.append(Stop{p.pos(), p.key(), p.color()});
}

unsigned int VyxGradient::colorForPos(double position) const
{
    return colorBetweenStops(m_stops.constData(), std::size_t(m_stops.size()), position);
}

unsigned int VyxGradient::colorBetweenStops(Stop const* stops, std::size_t count, double position)
{
    if (count == 0)
        return 0xFF000000u;

    // Neighbours come from the whole part, the weight from the full position. Compared in
    // double so that no position (huge, NaN) goes through an undefined int conversion.
    const double whole = std::trunc(position);
    std::size_t next = 0;
    while (next < count && !(double(stops[next].pos) > whole))
        ++next;

    Stop const* before;
    Stop const* after;
    double t;
    if (next > 0 && next < count) {
        before = &stops[next - 1];
        after = &stops[next];
        t = (position - before->pos) / double(after->pos - before->pos);
    } else {
        // Wrap from the last stop through 100 to the first.
        before = &stops[count - 1];
        after = &stops[0];
        const double p = position >= before->pos ? position : position + 100.0;
        const long long span = 100LL - before->pos + after->pos;
        // A last stop at 100 and a first at 0 leave nothing to cross: the last stop holds.
        t = span == 0 ? 0.0 : (p - before->pos) / double(span);
    }
    return blend(before->color, after->color, t);
}

} // namespace KelVyxNodes

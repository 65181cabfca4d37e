#include "effects/color/VyxGradient.h"

#include "effects/NodeValueUtils.h"

#include <algorithm>
#include <cmath>

namespace KelVyxNodes {

void VyxGradient::addPoint(VyxGradientPoint const& point)
{
    m_points.append(point);
    std::sort(m_points.begin(), m_points.end());
}

unsigned int VyxGradient::colorForPos(double position) const
{
    if (m_points.isEmpty())
        return 0xFF000000u;

    // Neighbours come from the whole part, the weight from the full position. Compared in
    // double so that no position (huge, NaN) goes through an undefined int conversion.
    const double whole = std::trunc(position);
    qsizetype next = 0;
    while (next < m_points.size() && !(double(m_points[next].pos()) > whole))
        ++next;

    VyxGradientPoint const* before;
    VyxGradientPoint const* after;
    double t;
    if (next > 0 && next < m_points.size()) {
        before = &m_points[next - 1];
        after = &m_points[next];
        t = (position - before->pos()) / double(after->pos() - before->pos());
    } else {
        // Wrap from the last stop through 100 to the first.
        before = &m_points.last();
        after = &m_points.first();
        const double p = position >= before->pos() ? position : position + 100.0;
        const long long span = 100LL - before->pos() + after->pos();
        // A last stop at 100 and a first at 0 leave nothing to cross: the last stop holds.
        t = span == 0 ? 0.0 : (p - before->pos()) / double(span);
    }
    return blend(before->color(), after->color(), t);
}

} // namespace KelVyxNodes

#pragma once

#include "effects/color/VyxGradientPoint.h"

#include <QList>

namespace KelVyxNodes {

// A colour gradient over the scale 0..100 through sorted stops. The scale is a circle: after
// the last stop the gradient runs on through 100 (the same place as 0) to the first stop.
// A value type for one set of stops; the gradient nodes mirror its arithmetic on cached stop bytes.
class VyxGradient
{
public:
    VyxGradient() = default;

    // Adds a copy and keeps the stops sorted by position, then key. Give every stop its own
    // key: stops equal in both may end up in either order.
    void addPoint(VyxGradientPoint const& point);

    // The opaque colour 0xFFRRGGBB at position (meant for 0 <= position < 100): the two
    // neighbouring stops mixed linearly and truncated; stop alphas play no part. Opaque
    // black for a gradient without stops.
    unsigned int colorForPos(double position) const;

    QList<VyxGradientPoint> const& points() const { return m_points; }

private:
    QList<VyxGradientPoint> m_points;
};

} // namespace KelVyxNodes

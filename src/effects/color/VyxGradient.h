#pragma once

#include "effects/color/VyxGradientPoint.h"

#include <QList>

#include <cstddef>

namespace KelVyxNodes {

// A colour gradient over the scale 0..100 through sorted stops. The scale is a circle: after
// the last stop the gradient runs on through 100 (the same place as 0) to the first stop.
// A value type for one set of stops; the gradient nodes share its arithmetic through
// colorBetweenStops on stop bytes of their own.
class VyxGradient
{
public:
    // A stop as bytes: position, key and 0xAARRGGBB.
    struct Stop
    {
        int pos;
        int key;
        unsigned int color;

        bool operator<(Stop const& other) const
        {
            return pos < other.pos || (pos == other.pos && key < other.key);
        }
    };

    VyxGradient() = default;

    // Adds a copy and keeps the stops sorted by position, then key. Give every stop its own
    // key: stops equal in both may end up in either order.
    void addPoint(VyxGradientPoint const& point);

    // The opaque colour 0xFFRRGGBB at position (meant for 0 <= position < 100): the two
    // neighbouring stops mixed linearly and truncated; stop alphas play no part. Opaque
    // black for a gradient without stops.
    unsigned int colorForPos(double position) const;

    // The arithmetic behind colorForPos over `count` stops already sorted by position, then
    // key. Pure, allocation-free and safe from any thread.
    static unsigned int colorBetweenStops(Stop const* stops, std::size_t count, double position);

    QList<VyxGradientPoint> const& points() const { return m_points; }

private:
    QList<VyxGradientPoint> m_points;
    // m_points as bytes, in the same order, so that a lookup converts no colour.
    QList<Stop> m_stops;
};

} // namespace KelVyxNodes

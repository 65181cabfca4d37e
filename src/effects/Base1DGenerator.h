#pragma once

#include <QPoint>

namespace KelVyxNodes {

// Pull interface of a one-channel source. The point is in absolute coordinates of the graph's
// original image and is handed upstream unchanged; the value is 0..255 (callers use the low
// 8 bits). Sampling is const, re-entrant and takes no lock: rows may run on several threads.
class Base1DGenerator
{
public:
    virtual ~Base1DGenerator() = default;

    // The reference path: one point.
    virtual unsigned int getSample(QPoint const& point) const = 0;

    // Points (x .. x + count - 1, y) into out[0 .. count - 1], the same values getSample gives
    // (one virtual call for a run of a row instead of one per point). The default loops
    // getSample; a node overrides it where a row loop is cheaper.
    virtual void getSpan(int y, int x, int count, unsigned int* out) const
    {
        QPoint point(x, y);
        for (int i = 0; i < count; ++i) {
            point.setX(x + i);
            out[i] = getSample(point);
        }
    }
};

} // namespace KelVyxNodes

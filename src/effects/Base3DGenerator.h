#pragma once

#include <QPoint>

namespace KelVyxNodes {

// Pull interface of a colour source: 0x00RRGGBB at an absolute image point, top byte 0 (alpha
// travels separately through a Base1DGenerator). Const, re-entrant, lock-free like
// Base1DGenerator.
class Base3DGenerator
{
public:
    virtual ~Base3DGenerator() = default;

    // The reference path: one point.
    virtual unsigned int getSample3(QPoint const& point) const = 0;

    // Points (x .. x + count - 1, y) into out[0 .. count - 1], the same values getSample3
    // gives. The default loops getSample3; a node overrides it where a row loop is cheaper.
    virtual void getSpan3(int y, int x, int count, unsigned int* out) const
    {
        QPoint point(x, y);
        for (int i = 0; i < count; ++i) {
            point.setX(x + i);
            out[i] = getSample3(point);
        }
    }
};

} // namespace KelVyxNodes

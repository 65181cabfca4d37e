#pragma once

class QPoint;

namespace KelVyxNodes {

// Pull interface of a colour source: 0x00RRGGBB at an absolute image point, top byte 0 (alpha
// travels separately through a Base1DGenerator). Const, re-entrant, lock-free like
// Base1DGenerator.
class Base3DGenerator
{
public:
    virtual ~Base3DGenerator() = default;

    virtual unsigned int getSample3(QPoint const& point) const = 0;
};

} // namespace KelVyxNodes

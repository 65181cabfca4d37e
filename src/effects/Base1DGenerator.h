#pragma once

class QPoint;

namespace KelVyxNodes {

// Pull interface of a one-channel source. The point is in absolute coordinates of the graph's
// original image and is handed upstream unchanged; the value is 0..255 (callers use the low
// 8 bits). Sampling is const, re-entrant and takes no lock: rows may run on several threads.
class Base1DGenerator
{
public:
    virtual ~Base1DGenerator() = default;

    virtual unsigned int getSample(QPoint const& point) const = 0;
};

} // namespace KelVyxNodes

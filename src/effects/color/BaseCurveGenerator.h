#pragma once

namespace KelVyxNodes {

// A source of a one-dimensional curve, read at any point of 0..1.
class BaseCurveGenerator
{
public:
    virtual ~BaseCurveGenerator() = default;

    virtual double valueAt(double x) const = 0;
    // The object's curve interface; none unless a class offers one.
    virtual BaseCurveGenerator const* toBaseCurveGenerator() const { return nullptr; }
};

} // namespace KelVyxNodes

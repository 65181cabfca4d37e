#pragma once

#include "params/Geometry.h"

namespace KelUtils {

// An affine 3x4 matrix as a value; products read left to right (this * other), so the right
// operand is applied to a point first.
class TransformMatrix
{
public:
    TransformMatrix(); // identity
    explicit TransformMatrix(float const (&matrix)[3][4]);
    // The matrix of the composed transform, or its inverse when `inverse` is true.
    TransformMatrix(ComposedTransform const& t, bool inverse);

    TransformMatrix& operator*=(TransformMatrix const& other);
    TransformMatrix operator*(TransformMatrix const& other) const;
    TransformMatrix& operator*=(ComposedTransform const& t);
    TransformMatrix operator*(ComposedTransform const& t) const;
    TransformMatrix& operator=(ComposedTransform const& t);

    TransformMatrix inverted() const;
    Point map(Point const& p) const;

    float m[3][4];
};

} // namespace KelUtils

#include "params/TransformMatrix.h"

namespace KelUtils {

TransformMatrix::TransformMatrix()
    : m{{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}}
{
}

TransformMatrix::TransformMatrix(float const (&matrix)[3][4])
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = matrix[r][c];
}

TransformMatrix::TransformMatrix(ComposedTransform const& t, bool inverse)
{
    if (inverse)
        composedTransToMatrixInv(m, t);
    else
        composedTransToMatrix(m, t);
}

TransformMatrix& TransformMatrix::operator*=(TransformMatrix const& other)
{
    multiplyAffineMatrix(m, other.m);
    return *this;
}

TransformMatrix TransformMatrix::operator*(TransformMatrix const& other) const
{
    TransformMatrix result;
    multiplyAffineMatrix(result.m, m, other.m);
    return result;
}

TransformMatrix& TransformMatrix::operator*=(ComposedTransform const& t)
{
    return *this *= TransformMatrix(t, false);
}

TransformMatrix TransformMatrix::operator*(ComposedTransform const& t) const
{
    return *this * TransformMatrix(t, false);
}

TransformMatrix& TransformMatrix::operator=(ComposedTransform const& t)
{
    composedTransToMatrix(m, t);
    return *this;
}

TransformMatrix TransformMatrix::inverted() const
{
    TransformMatrix result;
    invertMatrix(m, result.m);
    return result;
}

Point TransformMatrix::map(Point const& p) const
{
    return mapPoint(m, p);
}

} // namespace KelUtils

#pragma once

// Small three-dimensional value types and the conversions between affine 3x4 matrices and
// composed transforms. A matrix m stands for the 4x4 matrix with the implicit last row
// 0 0 0 1 and maps a column point p to m * p (columns 0..2 linear part, column 3 translation).
// Everything here is single precision, stateless and allocation-free.

namespace KelUtils {

struct Vector
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct Point
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Point operator+(Vector const& v) const { return {x + v.x, y + v.y, z + v.z}; }
    Point operator-(Vector const& v) const { return {x - v.x, y - v.y, z - v.z}; }
    Point& operator+=(Vector const& v)
    {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    Point& operator-=(Vector const& v)
    {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
};

struct Ray
{
    Point origin;
    Vector direction;
};

// A point is scaled and sheared about the centre, rotated about it (x first, then y, then z)
// and then moved by the translation.
struct ComposedTransform
{
    float scale[3] = {1.0f, 1.0f, 1.0f};
    int mirror[3] = {0, 0, 0}; // non-zero negates that axis's scale
    // Off-diagonal entries s1..s6 of the scale-and-shear matrix
    // [[sx, s1, s2], [s3, sy, s4], [s5, s6, sz]].
    float shear[6] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    float rotation[3] = {0.0f, 0.0f, 0.0f}; // degrees about x, y, z
    float translation[3] = {0.0f, 0.0f, 0.0f};
    float center[3] = {0.0f, 0.0f, 0.0f};
};

// m becomes m * n. n may be m itself.
void multiplyAffineMatrix(float (&m)[3][4], float const (&n)[3][4]);
// out = m * n. out may be m or n.
void multiplyAffineMatrix(float (&out)[3][4], float const (&m)[3][4], float const (&n)[3][4]);

// out = the inverse affine transform of m. A singular m gives infinite or NaN entries; there is
// no separate check. out may be m.
void invertMatrix(float const (&m)[3][4], float (&out)[3][4]);

void composedTransToMatrix(float (&out)[3][4], ComposedTransform const& t);
// The exact inverse of composedTransToMatrix (a singular scale-and-shear part gives infinite or
// NaN entries).
void composedTransToMatrixInv(float (&out)[3][4], ComposedTransform const& t);

// Reads scales, rotations and the translation back from m. Mirror flags, shears and centre of t
// are kept; mirror flags and centre are taken into account, so that a transform without shear
// composes to m again. Scales are the column lengths (never negative).
void matrixToComposedTrans(float const (&m)[3][4], ComposedTransform& t);

Point mapPoint(float const (&m)[3][4], Point const& p);

} // namespace KelUtils

#include "params/Geometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace KelUtils {

namespace {

constexpr float kDegToRad = 0.017453292f;
constexpr float kRadToDeg = 57.2957763671875f;

// Beyond this |sin| of the y rotation the x and z rotations can no longer be told apart from
// the matrix in single precision; the x rotation is then taken as 0.
constexpr float kGimbalLimit = 0.9999995f;

void copyMatrix(float (&out)[3][4], float const (&m)[3][4])
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            out[r][c] = m[r][c];
}

// Rz(c) * Ry(b) * Rx(a) from angles in degrees.
void rotationMatrix(float (&rot)[3][3], float const (&degrees)[3])
{
    float const a = degrees[0] * kDegToRad;
    float const b = degrees[1] * kDegToRad;
    float const c = degrees[2] * kDegToRad;
    float const ca = std::cos(a), sa = std::sin(a);
    float const cb = std::cos(b), sb = std::sin(b);
    float const cc = std::cos(c), sc = std::sin(c);

    rot[0][0] = cb * cc;
    rot[0][1] = sa * sb * cc - ca * sc;
    rot[0][2] = ca * sb * cc + sa * sc;
    rot[1][0] = cb * sc;
    rot[1][1] = sa * sb * sc + ca * cc;
    rot[1][2] = ca * sb * sc - sa * cc;
    rot[2][0] = -sb;
    rot[2][1] = sa * cb;
    rot[2][2] = ca * cb;
}

void scaleShearMatrix(float (&s)[3][3], ComposedTransform const& t)
{
    s[0][0] = t.mirror[0] ? -t.scale[0] : t.scale[0];
    s[1][1] = t.mirror[1] ? -t.scale[1] : t.scale[1];
    s[2][2] = t.mirror[2] ? -t.scale[2] : t.scale[2];
    s[0][1] = t.shear[0];
    s[0][2] = t.shear[1];
    s[1][0] = t.shear[2];
    s[1][2] = t.shear[3];
    s[2][0] = t.shear[4];
    s[2][1] = t.shear[5];
}

void multiply3(float (&out)[3][3], float const (&a)[3][3], float const (&b)[3][3])
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
}

// Affine matrix with linear part lin that maps `fixed` to fixed + offset.
void assembleAffine(float (&out)[3][4], float const (&lin)[3][3], float const (&fixed)[3],
                    float const (&offset)[3])
{
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            out[r][c] = lin[r][c];
        float const moved = lin[r][0] * fixed[0] + lin[r][1] * fixed[1] + lin[r][2] * fixed[2];
        out[r][3] = fixed[r] + offset[r] - moved;
    }
}

} // namespace

void multiplyAffineMatrix(float (&out)[3][4], float const (&m)[3][4], float const (&n)[3][4])
{
    // Computed into a temporary so that out may alias either operand.
    float res[3][4];
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            res[r][c] = m[r][0] * n[0][c] + m[r][1] * n[1][c] + m[r][2] * n[2][c];
        res[r][3] = m[r][0] * n[0][3] + m[r][1] * n[1][3] + m[r][2] * n[2][3] + m[r][3];
    }
    copyMatrix(out, res);
}

void multiplyAffineMatrix(float (&m)[3][4], float const (&n)[3][4])
{
    multiplyAffineMatrix(m, m, n);
}

void invertMatrix(float const (&m)[3][4], float (&out)[3][4])
{
    float a[3][3];
    float inv[3][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    float const t[3] = {m[0][3], m[1][3], m[2][3]};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            a[r][c] = m[r][c];

    auto swapRows = [&](int i, int j) {
        if (i == j)
            return;
        std::swap(a[i], a[j]);
        std::swap(inv[i], inv[j]);
    };
    auto eliminate = [&](int target, int pivotRow, int col) {
        float const f = a[target][col] / a[pivotRow][col];
        for (int c = 0; c < 3; ++c) {
            a[target][c] -= f * a[pivotRow][c];
            inv[target][c] -= f * inv[pivotRow][c];
        }
    };

    int p = 0;
    for (int r = 1; r < 3; ++r)
        if (std::fabs(a[r][0]) > std::fabs(a[p][0]))
            p = r;
    swapRows(0, p);
    eliminate(1, 0, 0);
    eliminate(2, 0, 0);
    if (std::fabs(a[2][1]) > std::fabs(a[1][1]))
        swapRows(1, 2);
    eliminate(2, 1, 1);

    // Back substitution on the upper triangle.
    for (int r = 2; r >= 0; --r) {
        float const d = a[r][r];
        for (int c = 0; c < 3; ++c) {
            a[r][c] /= d;
            inv[r][c] /= d;
        }
        for (int above = r - 1; above >= 0; --above)
            eliminate(above, r, r);
    }

    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            out[r][c] = inv[r][c];
        out[r][3] = -(inv[r][0] * t[0] + inv[r][1] * t[1] + inv[r][2] * t[2]);
    }
}

void composedTransToMatrix(float (&out)[3][4], ComposedTransform const& t)
{
    float rot[3][3];
    float s[3][3];
    float lin[3][3];
    rotationMatrix(rot, t.rotation);
    scaleShearMatrix(s, t);
    multiply3(lin, rot, s);
    assembleAffine(out, lin, t.center, t.translation);
}

void composedTransToMatrixInv(float (&out)[3][4], ComposedTransform const& t)
{
    float rot[3][3];
    float s[3][3];
    rotationMatrix(rot, t.rotation);
    scaleShearMatrix(s, t);

    // Inverse of the scale-and-shear part by its adjugate, so shears and non-unit scales
    // together still invert exactly.
    float adj[3][3];
    adj[0][0] = s[1][1] * s[2][2] - s[1][2] * s[2][1];
    adj[0][1] = s[0][2] * s[2][1] - s[0][1] * s[2][2];
    adj[0][2] = s[0][1] * s[1][2] - s[0][2] * s[1][1];
    adj[1][0] = s[1][2] * s[2][0] - s[1][0] * s[2][2];
    adj[1][1] = s[0][0] * s[2][2] - s[0][2] * s[2][0];
    adj[1][2] = s[0][2] * s[1][0] - s[0][0] * s[1][2];
    adj[2][0] = s[1][0] * s[2][1] - s[1][1] * s[2][0];
    adj[2][1] = s[0][1] * s[2][0] - s[0][0] * s[2][1];
    adj[2][2] = s[0][0] * s[1][1] - s[0][1] * s[1][0];
    float const det = s[0][0] * adj[0][0] + s[0][1] * adj[1][0] + s[0][2] * adj[2][0];
    float sInv[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            sInv[r][c] = adj[r][c] / det;

    float rotT[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            rotT[r][c] = rot[c][r];

    float lin[3][3];
    multiply3(lin, sInv, rotT);

    // p = lin * (p' - centre - translation) + centre
    float const moved[3] = {t.center[0] + t.translation[0], t.center[1] + t.translation[1],
                            t.center[2] + t.translation[2]};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            out[r][c] = lin[r][c];
        out[r][3] = t.center[r]
                    - (lin[r][0] * moved[0] + lin[r][1] * moved[1] + lin[r][2] * moved[2]);
    }
}

void matrixToComposedTrans(float const (&m)[3][4], ComposedTransform& t)
{
    float scale[3];
    float unit[3][3]; // the rotation, when the mirror flags match the matrix
    for (int c = 0; c < 3; ++c) {
        scale[c] = std::sqrt(m[0][c] * m[0][c] + m[1][c] * m[1][c] + m[2][c] * m[2][c]);
        float const signedScale = t.mirror[c] ? -scale[c] : scale[c];
        // A zero column has no direction; reading it as zero keeps the angles finite.
        float const inv = signedScale != 0.0f ? 1.0f / signedScale : 0.0f;
        for (int r = 0; r < 3; ++r)
            unit[r][c] = m[r][c] * inv;
    }

    // Rounding can push a unit entry just past 1, where asin has no value.
    float const q = std::clamp(unit[2][0], -1.0f, 1.0f);
    float rx, rz;
    float const ry = std::asin(-q) * kRadToDeg;
    if (std::fabs(q) < kGimbalLimit) {
        rx = std::atan2(unit[2][1], unit[2][2]) * kRadToDeg;
        rz = std::atan2(unit[1][0], unit[0][0]) * kRadToDeg;
    } else {
        // At +-90 degrees about y only the difference or sum of the x and z rotations shows;
        // with x at 0 the z rotation sits in the middle column for either sign.
        rx = 0.0f;
        rz = std::atan2(-unit[0][1], unit[1][1]) * kRadToDeg;
    }

    for (int i = 0; i < 3; ++i)
        t.scale[i] = scale[i];
    t.rotation[0] = rx;
    t.rotation[1] = ry;
    t.rotation[2] = rz;
    // The matrix moves the centre to centre + translation.
    for (int r = 0; r < 3; ++r) {
        float const movedCenter =
            m[r][0] * t.center[0] + m[r][1] * t.center[1] + m[r][2] * t.center[2] + m[r][3];
        t.translation[r] = movedCenter - t.center[r];
    }
}

Point mapPoint(float const (&m)[3][4], Point const& p)
{
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
            m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

} // namespace KelUtils

#include "params/Geometry.h"
#include "params/TransformMatrix.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace KelUtils;

namespace {

constexpr float kTol = 1e-4f;

void expectMatrixNear(float const (&a)[3][4], float const (&b)[3][4], float tol = kTol)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a[r][c], b[r][c], tol) << "entry " << r << "," << c;
}

void expectIdentity(float const (&m)[3][4], float tol = kTol)
{
    float const id[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    expectMatrixNear(m, id, tol);
}

void expectPointNear(Point const& p, float x, float y, float z, float tol = kTol)
{
    EXPECT_NEAR(p.x, x, tol);
    EXPECT_NEAR(p.y, y, tol);
    EXPECT_NEAR(p.z, z, tol);
}

ComposedTransform makeTransform(float sx, float sy, float sz, float rx, float ry, float rz)
{
    ComposedTransform t;
    t.scale[0] = sx;
    t.scale[1] = sy;
    t.scale[2] = sz;
    t.rotation[0] = rx;
    t.rotation[1] = ry;
    t.rotation[2] = rz;
    return t;
}

} // namespace

TEST(GeometryTest, AffineProductAppliesRightOperandFirst)
{
    float const scaleMove[3][4] = {{2, 0, 0, 1}, {0, 2, 0, 2}, {0, 0, 2, 3}};
    float const turnMove[3][4] = {{0, -1, 0, 5}, {1, 0, 0, 0}, {0, 0, 1, -1}};

    float out[3][4];
    multiplyAffineMatrix(out, scaleMove, turnMove);
    float const expected[3][4] = {{0, -2, 0, 11}, {2, 0, 0, 2}, {0, 0, 2, 1}};
    expectMatrixNear(out, expected, 0.0f);

    multiplyAffineMatrix(out, turnMove, scaleMove);
    float const reversed[3][4] = {{0, -2, 0, 3}, {2, 0, 0, 1}, {0, 0, 2, 2}};
    expectMatrixNear(out, reversed, 0.0f);

    // In place, also with the matrix as its own right operand.
    float m[3][4] = {{2, 0, 0, 1}, {0, 2, 0, 2}, {0, 0, 2, 3}};
    multiplyAffineMatrix(m, m);
    float const squared[3][4] = {{4, 0, 0, 3}, {0, 4, 0, 6}, {0, 0, 4, 9}};
    expectMatrixNear(m, squared, 0.0f);

    TransformMatrix const a(scaleMove);
    TransformMatrix const b(turnMove);
    Point const p{0.25f, -3.0f, 7.0f};
    Point const viaProduct = (a * b).map(p);
    Point const stepwise = a.map(b.map(p));
    expectPointNear(viaProduct, stepwise.x, stepwise.y, stepwise.z);
    TransformMatrix c = a;
    c *= b;
    expectMatrixNear(c.m, (a * b).m, 0.0f);
}

TEST(GeometryTest, InvertMatrixNeedsRowExchanges)
{
    // Zero on the diagonal: only row pivoting gets through.
    float const cycle[3][4] = {{0, 1, 0, 4}, {0, 0, 1, 5}, {1, 0, 0, 6}};
    float inv[3][4];
    invertMatrix(cycle, inv);
    float const expected[3][4] = {{0, 0, 1, -6}, {1, 0, 0, -4}, {0, 1, 0, -5}};
    expectMatrixNear(inv, expected, 0.0f);

    float const general[3][4] = {{0.001f, 3, -2, 1.5f}, {4, -1, 0.5f, -2}, {2, 7, 1, 0.25f}};
    invertMatrix(general, inv);
    float product[3][4];
    multiplyAffineMatrix(product, general, inv);
    expectIdentity(product);
    multiplyAffineMatrix(product, inv, general);
    expectIdentity(product);

    // The output may be the input itself.
    float same[3][4] = {{0, 1, 0, 4}, {0, 0, 1, 5}, {1, 0, 0, 6}};
    invertMatrix(same, same);
    expectMatrixNear(same, expected, 0.0f);
}

TEST(GeometryTest, RotationAboutCentreAndBack)
{
    ComposedTransform t;
    t.rotation[2] = 90.0f;
    t.center[0] = 1.0f;

    TransformMatrix const forward(t, false);
    Point const moved = forward.map({2.0f, 0.0f, 0.0f});
    expectPointNear(moved, 1.0f, 1.0f, 0.0f, 1e-6f);

    TransformMatrix const backward(t, true);
    expectPointNear(backward.map(moved), 2.0f, 0.0f, 0.0f, 1e-6f);
    // The centre itself stays put.
    expectPointNear(forward.map({1.0f, 0.0f, 0.0f}), 1.0f, 0.0f, 0.0f, 1e-6f);
}

TEST(GeometryTest, ScaleAndMirrorAboutCentreThenTranslate)
{
    ComposedTransform t;
    t.scale[0] = 2.0f;
    t.scale[1] = 3.0f;
    t.mirror[1] = 1;
    t.center[0] = 1.0f;
    t.center[1] = 1.0f;
    t.translation[2] = 5.0f;

    float m[3][4];
    composedTransToMatrix(m, t);
    // x: 1 + 2 * (2 - 1) = 3; y: 1 - 3 * (2 - 1) = -2; z: 2 + 5.
    expectPointNear(mapPoint(m, {2.0f, 2.0f, 2.0f}), 3.0f, -2.0f, 7.0f, 0.0f);

    TransformMatrix assigned;
    assigned = t;
    expectMatrixNear(assigned.m, m, 0.0f);
}

// The inverse must undo the transform also when shears meet non-unit and mirrored scales.
TEST(GeometryTest, InverseComposedTransformUndoesEveryComponent)
{
    ComposedTransform plain = makeTransform(1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f);

    ComposedTransform full = makeTransform(2.0f, 0.5f, 3.0f, 30.0f, -45.0f, 120.0f);
    full.mirror[2] = 1;
    full.shear[0] = 0.2f;
    full.shear[1] = -0.3f;
    full.shear[2] = 0.1f;
    full.shear[3] = 0.4f;
    full.shear[4] = -0.25f;
    full.shear[5] = 0.15f;
    full.translation[0] = 5.0f;
    full.translation[1] = -2.0f;
    full.translation[2] = 0.5f;
    full.center[0] = 1.0f;
    full.center[1] = 2.0f;
    full.center[2] = -3.0f;

    ComposedTransform shearOnly = plain;
    shearOnly.shear[1] = 0.5f;
    shearOnly.shear[4] = -0.5f;

    ComposedTransform scaleOnly = makeTransform(4.0f, 0.25f, 2.0f, 0.0f, 90.0f, 0.0f);
    scaleOnly.mirror[0] = 1;

    for (ComposedTransform const& t : {plain, full, shearOnly, scaleOnly}) {
        TransformMatrix const forward(t, false);
        TransformMatrix const inverse(t, true);
        expectIdentity((forward * inverse).m);
        expectIdentity((inverse * forward).m);
        expectMatrixNear(inverse.m, forward.inverted().m, 1e-4f);
    }
}

// Matrix -> composed transform -> matrix for transforms without shear, including mirrored axes,
// a centre away from the origin and rotations at and near +-90 degrees about y.
TEST(GeometryTest, MatrixRoundTripWithoutShear)
{
    float const angles[][3] = {{0, 0, 0},     {10, 20, 30},   {-170, 80, 45},  {33, 90, 12},
                               {33, -90, 12}, {0, -90, -60},  {45, 89.99f, 0}, {-120, -89.5f, 170},
                               {90, 45, -90}, {179, -1, -179}};
    for (auto const& a : angles) {
        for (int variant = 0; variant < 3; ++variant) {
            ComposedTransform t = makeTransform(1.5f, 0.75f, 2.0f, a[0], a[1], a[2]);
            t.translation[0] = -4.0f;
            t.translation[1] = 2.5f;
            t.translation[2] = 1.0f;
            if (variant >= 1) {
                t.center[0] = 3.0f;
                t.center[1] = -1.0f;
                t.center[2] = 2.0f;
            }
            if (variant == 2)
                t.mirror[1] = 1; // a reflection: no rotation alone reproduces it
            float m[3][4];
            composedTransToMatrix(m, t);

            ComposedTransform back;
            back.center[0] = t.center[0];
            back.center[1] = t.center[1];
            back.center[2] = t.center[2];
            for (int i = 0; i < 3; ++i)
                back.mirror[i] = t.mirror[i];
            matrixToComposedTrans(m, back);

            SCOPED_TRACE(testing::Message() << "angles " << a[0] << " " << a[1] << " " << a[2]
                                            << " variant " << variant);
            float again[3][4];
            composedTransToMatrix(again, back);
            expectMatrixNear(again, m, 2e-3f);
            for (int i = 0; i < 3; ++i) {
                EXPECT_NEAR(back.translation[i], t.translation[i], 1e-4f);
                EXPECT_EQ(back.center[i], t.center[i]);
                EXPECT_EQ(back.mirror[i], t.mirror[i]);
            }
        }
    }
}

TEST(GeometryTest, MatrixToComposedTransformKeepsShearsAndStaysFinite)
{
    ComposedTransform t;
    t.shear[3] = 0.5f;
    float const zeroColumn[3][4] = {{0, 0, 0, 1}, {0, 1, 0, 2}, {0, 0, 1, 3}};
    matrixToComposedTrans(zeroColumn, t);
    EXPECT_EQ(t.shear[3], 0.5f);
    EXPECT_EQ(t.scale[0], 0.0f);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(std::isfinite(t.rotation[i])) << i;
    EXPECT_EQ(t.translation[2], 3.0f);
}

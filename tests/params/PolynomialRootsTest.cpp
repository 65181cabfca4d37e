#include "params/PolynomialRoots.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace KelUtils;

namespace {

std::vector<float> rootsOf(std::vector<float> const& coeffs, int* result = nullptr)
{
    int const degree = int(coeffs.size()) - 1;
    std::vector<float> roots(std::size_t(std::max(degree, 1)), -12345.0f);
    int const n = findPolyZeros(degree, coeffs.data(), roots.data());
    if (result)
        *result = n;
    roots.resize(std::size_t(std::max(n, 0)));
    return roots;
}

void expectRoots(std::vector<float> const& coeffs, std::vector<float> const& expected, float tol)
{
    int n = 0;
    std::vector<float> const roots = rootsOf(coeffs, &n);
    ASSERT_EQ(n, int(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(roots[i], expected[i], tol) << "root " << i;
}

} // namespace

TEST(PolynomialRootsTest, QuadraticKnownCases)
{
    float r1 = 0.0f, r2 = 0.0f;
    EXPECT_EQ(findQuadraticZeros(1.0f, 0.0f, -4.0f, r1, r2), 2);
    EXPECT_EQ(r1, -2.0f);
    EXPECT_EQ(r2, 2.0f);

    EXPECT_EQ(findQuadraticZeros(1.0f, 2.0f, 1.0f, r1, r2), 1);
    EXPECT_EQ(r1, -1.0f);

    r1 = r2 = 7.0f;
    EXPECT_EQ(findQuadraticZeros(1.0f, 0.0f, 1.0f, r1, r2), 0);
    EXPECT_EQ(r1, 7.0f);
    EXPECT_EQ(r2, 7.0f);

    // A negative leading coefficient still gives ascending roots.
    EXPECT_EQ(findQuadraticZeros(-2.0f, 2.0f, 12.0f, r1, r2), 2);
    EXPECT_FLOAT_EQ(r1, -2.0f);
    EXPECT_FLOAT_EQ(r2, 3.0f);
}

TEST(PolynomialRootsTest, QuadraticSmallRootKeepsPrecision)
{
    // x^2 - 10000x + 1: the textbook formula loses the small root entirely in float.
    float r1 = 0.0f, r2 = 0.0f;
    ASSERT_EQ(findQuadraticZeros(1.0f, -10000.0f, 1.0f, r1, r2), 2);
    EXPECT_NEAR(r1, 1e-4f, 1e-9f);
    EXPECT_NEAR(r2, 10000.0f, 1e-2f);

    ASSERT_EQ(findMonicQuadraticZeros(10000.0f, 1.0f, r1, r2), 2);
    EXPECT_NEAR(r1, -10000.0f, 1e-2f);
    EXPECT_NEAR(r2, -1e-4f, 1e-9f);
}

TEST(PolynomialRootsTest, QuadraticWithoutSquareTermIsSolvedAsLinear)
{
    float r1 = 0.0f, r2 = 0.0f;
    EXPECT_EQ(findQuadraticZeros(0.0f, 2.0f, -4.0f, r1, r2), 1);
    EXPECT_EQ(r1, 2.0f);
    EXPECT_EQ(r2, 2.0f);

    // No x at all: no isolated root, whether or not the constant vanishes.
    r1 = r2 = 9.0f;
    EXPECT_EQ(findQuadraticZeros(0.0f, 0.0f, 5.0f, r1, r2), 0);
    EXPECT_EQ(findQuadraticZeros(0.0f, 0.0f, 0.0f, r1, r2), 0);
    EXPECT_EQ(r1, 9.0f);
    EXPECT_EQ(r2, 9.0f);
}

TEST(PolynomialRootsTest, QuadraticRejectsNonFiniteInput)
{
    float r1 = 0.0f, r2 = 0.0f;
    float const nan = std::numeric_limits<float>::quiet_NaN();
    float const inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(findQuadraticZeros(nan, 0.0f, -1.0f, r1, r2), 0);
    EXPECT_EQ(findQuadraticZeros(1.0f, inf, -1.0f, r1, r2), 0);
    EXPECT_EQ(findMonicQuadraticZeros(0.0f, nan, r1, r2), 0);
}

TEST(PolynomialRootsTest, MonicQuadraticKnownCases)
{
    float r1 = 0.0f, r2 = 0.0f;
    EXPECT_EQ(findMonicQuadraticZeros(-1.0f, -6.0f, r1, r2), 2);
    EXPECT_FLOAT_EQ(r1, -2.0f);
    EXPECT_FLOAT_EQ(r2, 3.0f);
    EXPECT_EQ(findMonicQuadraticZeros(-4.0f, 4.0f, r1, r2), 1);
    EXPECT_EQ(r1, 2.0f);
    EXPECT_EQ(findMonicQuadraticZeros(0.0f, 1.0f, r1, r2), 0);
}

TEST(PolynomialRootsTest, CubicWithThreeRealRoots)
{
    expectRoots({1, -6, 11, -6}, {1, 2, 3}, 1e-5f);
    // Scaling the coefficients changes nothing.
    expectRoots({1e20f, -6e20f, 11e20f, -6e20f}, {1, 2, 3}, 1e-5f);
    expectRoots({-2e-8f, 12e-8f, -22e-8f, 12e-8f}, {1, 2, 3}, 1e-5f);
    // Coefficients near the float maximum: x^3 = 1.
    expectRoots({3e38f, 0, 0, -3e38f}, {1}, 1e-5f);
}

TEST(PolynomialRootsTest, ZeroRootsAreFoundAndMerged)
{
    expectRoots({1, 0, 0, 0}, {0}, 0.0f);
    expectRoots({1, 0, -1, 0}, {-1, 0, 1}, 1e-6f);
    expectRoots({2, -4, 0, 0, 0}, {0, 2}, 1e-6f);
}

TEST(PolynomialRootsTest, ComplexRootsAreLeftOut)
{
    expectRoots({1, 0, 1}, {}, 0.0f);
    // (x^2 + 1)(x - 2)(x + 3) = x^4 + x^3 - 5x^2 + x - 6
    expectRoots({1, 1, -5, 1, -6}, {-3, 2}, 1e-5f);
    // x^8 + 1 has no real root; x^8 - 1 has two.
    expectRoots({1, 0, 0, 0, 0, 0, 0, 0, 1}, {}, 0.0f);
    expectRoots({1, 0, 0, 0, 0, 0, 0, 0, -1}, {-1, 1}, 1e-5f);
}

TEST(PolynomialRootsTest, LinearAndDegreeEight)
{
    expectRoots({4, -2}, {0.5f}, 0.0f);
    // (x^2 - 1)(x^2 - 4)(x^2 - 9)(x^2 - 16)
    expectRoots({1, 0, -30, 0, 273, 0, -820, 0, 576}, {-4, -3, -2, -1, 1, 2, 3, 4}, 1e-4f);
}

TEST(PolynomialRootsTest, NearbyRootsCountOnce)
{
    // (x - 1)^2 (x + 2): the double root is reported once.
    expectRoots({1, 0, -3, 2}, {-2, 1}, 1e-3f);
    // Roots 10000 and 10004 lie within 1/2000 of their size and merge at their mean.
    expectRoots({1, -20004, 100040000}, {10002}, 0.01f);
    // 10 and 10.5 stay apart.
    expectRoots({1, -20.5f, 105}, {10, 10.5f}, 1e-4f);
}

TEST(PolynomialRootsTest, RootBeyondFloatRangeIsInfinite)
{
    int n = 0;
    std::vector<float> const roots = rootsOf({1e-30f, -1e30f}, &n);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(roots[0], std::numeric_limits<float>::infinity());
}

TEST(PolynomialRootsTest, UnusableArgumentsAreRefused)
{
    float roots[9] = {};
    float const coeffs[10] = {1, 0, 0, 0, 0, 0, 0, 0, 0, -1};
    EXPECT_EQ(findPolyZeros(0, coeffs, roots), -1);
    EXPECT_EQ(findPolyZeros(9, coeffs, roots), -1);
    EXPECT_EQ(findPolyZeros(-3, coeffs, roots), -1);
    EXPECT_EQ(findPolyZeros(2, nullptr, roots), -1);
    EXPECT_EQ(findPolyZeros(2, coeffs, nullptr), -1);

    float const leadingZero[] = {0, 1, -1};
    EXPECT_EQ(findPolyZeros(2, leadingZero, roots), -1);
    float const withNan[] = {1, std::numeric_limits<float>::quiet_NaN(), -1};
    EXPECT_EQ(findPolyZeros(2, withNan, roots), -1);
    float const withInf[] = {1, 0, 0, -std::numeric_limits<float>::infinity()};
    EXPECT_EQ(findPolyZeros(3, withInf, roots), -1);
}

// Coefficients spanning the whole float range, on which the shifts never converge: the search
// must give up after a bounded number of restarts instead of running forever.
TEST(PolynomialRootsTest, HopelessSearchEndsWithFailure)
{
    std::vector<std::vector<float>> const hostile = {
        {1, 7.55152432e-05f, -1.65111803e+27f, 0, 0, 0, 0, 1.40129846e-45f, -3.34149683e+24f},
        {1.66977109e-12f, 0, 0, 0, 0, -6.06062519e+25f, 1.40129846e-45f},
        {3.53040375e+35f, 0, 0, 0, 0, 0, 0, 1.40129846e-45f, 1.33317189e+21f},
        {4.72356133e-35f, 0, 0, 0, 0, -1.24531779e+34f, -5.57337963e-34f},
    };
    int failures = 0;
    for (auto const& coeffs : hostile) {
        int n = 0;
        rootsOf(coeffs, &n);
        EXPECT_GE(n, -1);
        EXPECT_LE(n, int(coeffs.size()) - 1);
        failures += n == -1;
    }
    EXPECT_GT(failures, 0);
}

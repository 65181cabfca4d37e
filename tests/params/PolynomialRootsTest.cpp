#include "params/PolynomialRoots.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace KelUtils;

namespace {

const float rootsNaN = std::numeric_limits<float>::quiet_NaN();
const float rootsInf = std::numeric_limits<float>::infinity();

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

} // namespace

TEST(PolynomialRootsTest, QuadraticCases)
{
    struct Case
    {
        float a, b, c;
        int count;
        float r1, r2, tol1, tol2;
    };
    const Case cases[] = {
        {1, 0, -4, 2, -2, 2, 0, 0},
        {1, 2, 1, 1, -1, 9, 0, 0},
        {1, 0, 1, 0, 9, 9, 0, 0},
        {-2, 2, 12, 2, -2, 3, 1e-6f, 1e-6f},        // ascending also with a negative leading coefficient
        {1, -10000, 1, 2, 1e-4f, 10000, 1e-9f, 1e-2f}, // the small root keeps its precision
        {0, 2, -4, 1, 2, 2, 0, 0},                     // no square term: solved as linear
        {0, 0, 5, 0, 9, 9, 0, 0},
        {0, 0, 0, 0, 9, 9, 0, 0},
        {rootsNaN, 0, -1, 0, 9, 9, 0, 0},
        {1, rootsInf, -1, 0, 9, 9, 0, 0},
    };
    for (Case const& c : cases) {
        float r1 = 9.0f, r2 = 9.0f;
        EXPECT_EQ(findQuadraticZeros(c.a, c.b, c.c, r1, r2), c.count) << c.a << " " << c.b << " " << c.c;
        EXPECT_NEAR(r1, c.r1, c.tol1);
        if (c.count != 1) {
            EXPECT_NEAR(r2, c.r2, c.tol2);
        }
    }

    float r1 = 0.0f, r2 = 0.0f;
    ASSERT_EQ(findMonicQuadraticZeros(10000.0f, 1.0f, r1, r2), 2);
    EXPECT_NEAR(r1, -10000.0f, 1e-2f);
    EXPECT_NEAR(r2, -1e-4f, 1e-9f);
    EXPECT_EQ(findMonicQuadraticZeros(-4.0f, 4.0f, r1, r2), 1);
    EXPECT_EQ(r1, 2.0f);
    EXPECT_EQ(findMonicQuadraticZeros(0.0f, 1.0f, r1, r2), 0);
    EXPECT_EQ(findMonicQuadraticZeros(0.0f, rootsNaN, r1, r2), 0);
}

TEST(PolynomialRootsTest, RealRootsAscendingWithNearbyRootsMerged)
{
    struct Case
    {
        std::vector<float> coeffs, roots;
        float tol;
    };
    const Case cases[] = {
        {{4, -2}, {0.5f}, 0},
        {{1, -6, 11, -6}, {1, 2, 3}, 1e-5f},
        {{1e20f, -6e20f, 11e20f, -6e20f}, {1, 2, 3}, 1e-5f}, // scaling changes nothing
        {{-2e-8f, 12e-8f, -22e-8f, 12e-8f}, {1, 2, 3}, 1e-5f},
        {{3e38f, 0, 0, -3e38f}, {1}, 1e-5f},
        {{1, 0, 0, 0}, {0}, 0},
        {{1, 0, -1, 0}, {-1, 0, 1}, 1e-6f},
        {{2, -4, 0, 0, 0}, {0, 2}, 1e-6f},
        {{1, 0, 1}, {}, 0},                                  // complex roots are left out
        {{1, 1, -5, 1, -6}, {-3, 2}, 1e-5f},
        {{1, 0, 0, 0, 0, 0, 0, 0, 1}, {}, 0},
        {{1, 0, 0, 0, 0, 0, 0, 0, -1}, {-1, 1}, 1e-5f},
        {{1, 0, -30, 0, 273, 0, -820, 0, 576}, {-4, -3, -2, -1, 1, 2, 3, 4}, 1e-4f},
        {{1, 0, -3, 2}, {-2, 1}, 1e-3f},                     // a double root counts once
        {{1, -20004, 100040000}, {10002}, 0.01f},            // within 1/2000: merged at the mean
        {{1, -20.5f, 105}, {10, 10.5f}, 1e-4f},
    };
    for (Case const& c : cases) {
        int n = 0;
        std::vector<float> const roots = rootsOf(c.coeffs, &n);
        ASSERT_EQ(n, int(c.roots.size())) << "degree " << c.coeffs.size() - 1 << " lead " << c.coeffs[0];
        for (std::size_t i = 0; i < c.roots.size(); ++i)
            EXPECT_NEAR(roots[i], c.roots[i], c.tol) << "root " << i;
    }

    int n = 0;
    std::vector<float> const huge = rootsOf({1e-30f, -1e30f}, &n);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(huge[0], rootsInf);
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
    float const withNan[] = {1, rootsNaN, -1};
    EXPECT_EQ(findPolyZeros(2, withNan, roots), -1);
    float const withInf[] = {1, 0, 0, -rootsInf};
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

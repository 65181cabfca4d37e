#include "params/PolynomialRoots.h"

#include "params/JenkinsTraub.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace KelUtils {

namespace {

constexpr int kMaxDegree = JenkinsTraub::MaxDegree;

bool isReal(CplxNum const& z)
{
    return std::fabs(z.im) < 0.0005 || std::fabs(z.re) > 2000.0 * std::fabs(z.im);
}

// Roots beyond the float range are written as infinities rather than converted out of range.
float toFloat(double x)
{
    if (x > std::numeric_limits<float>::max())
        return std::numeric_limits<float>::infinity();
    if (x < -std::numeric_limits<float>::max())
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(x);
}

bool closeRoots(float a, float b)
{
    float const gap = b - a;
    return gap < 0.0005f || std::min(std::fabs(a), std::fabs(b)) > 2000.0f * gap;
}

} // namespace

int findQuadraticZeros(float a, float b, float c, float& r1, float& r2)
{
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c))
        return 0;
    if (a == 0.0f) {
        // Not a quadratic: b*x + c = 0 has one root, or none that stands alone.
        if (b == 0.0f)
            return 0;
        r1 = r2 = -c / b;
        return 1;
    }
    float const d = b * b - 4.0f * a * c;
    if (!(d >= 0.0f))
        return 0;
    if (d == 0.0f) {
        r1 = r2 = b / (-2.0f * a);
        return 1;
    }
    float const sq = std::sqrt(d);
    // Avoids subtracting nearly equal numbers for the smaller root.
    float const q = b < 0.0f ? -0.5f * (b - sq) : -0.5f * (b + sq);
    float const x1 = q / a;
    float const x2 = c / q;
    r1 = std::min(x1, x2);
    r2 = std::max(x1, x2);
    return 2;
}

int findMonicQuadraticZeros(float b, float c, float& r1, float& r2)
{
    if (!std::isfinite(b) || !std::isfinite(c))
        return 0;
    float const d = b * b - 4.0f * c;
    if (!(d >= 0.0f))
        return 0;
    if (d == 0.0f) {
        r1 = r2 = -0.5f * b;
        return 1;
    }
    float const sq = std::sqrt(d);
    float const q = b < 0.0f ? -0.5f * (b - sq) : -0.5f * (b + sq);
    float const x2 = c / q;
    r1 = std::min(q, x2);
    r2 = std::max(q, x2);
    return 2;
}

int findPolyZeros(int degree, float const* coeffs, float* roots)
{
    if (!coeffs || !roots || degree < 1 || degree > kMaxDegree)
        return -1;
    for (int i = 0; i <= degree; ++i)
        if (!std::isfinite(coeffs[i]))
            return -1;
    if (coeffs[0] == 0.0f)
        return -1;

    int count = 0;
    int n = degree;
    while (n > 0 && coeffs[n] == 0.0f) {
        roots[count++] = 0.0f;
        --n;
    }

    if (n > 0) {
        JenkinsTraub::Coeffs p{};
        for (int i = 0; i <= n; ++i)
            p[i] = coeffs[i];
        std::array<CplxNum, kMaxDegree> zeros{};
        JenkinsTraub solver(p, n);
        int const found = solver.solve(zeros.data());
        if (found < 0)
            return -1;
        for (int i = 0; i < found; ++i)
            if (isReal(zeros[i]) && !std::isnan(zeros[i].re))
                roots[count++] = toFloat(zeros[i].re);
    }

    std::sort(roots, roots + count);
    for (int i = count - 1; i >= 1; --i) {
        if (!closeRoots(roots[i - 1], roots[i]))
            continue;
        roots[i - 1] = (roots[i - 1] + roots[i]) / 2.0f;
        for (int j = i; j + 1 < count; ++j)
            roots[j] = roots[j + 1];
        --count;
    }
    return count;
}

} // namespace KelUtils

#pragma once

#include "params/PolynomialRoots.h"

#include <array>

namespace KelUtils {

// Jenkins-Traub three-stage search (the RPOLY method) for the zeros of a real polynomial, one
// real zero or a complex or real pair at a time, deflating as it goes. findPolyZeros checks
// the arguments and uses it; everything runs in double precision on fixed-size arrays.
class JenkinsTraub
{
public:
    static constexpr int MaxDegree = 8;
    using Coeffs = std::array<double, MaxDegree + 1>;

    // p[0..degree], highest power first, degree 1..MaxDegree; p[0] and p[degree] are non-zero
    // and all are finite.
    JenkinsTraub(Coeffs const& p, int degree) : m_p(p), m_n(degree) {}

    // Writes all `degree` zeros into zeros (room for MaxDegree); returns their number, or -1
    // when no shift converged within the allowed restarts.
    int solve(CplxNum* zeros);

    // Zeros of a*z^2 + b1*z + c, possibly complex.
    static void quadraticRoots(double a, double b1, double c, CplxNum& small, CplxNum& large);

private:
    void scaleCoefficients();
    double lowerRootBound() const;
    void unshiftedSteps();
    int fixedShift(int steps);
    int quadraticIteration(double uu, double vv);
    int linearIteration(double& sss, int& iflag);
    int dividePolyEx();
    void nextPoly(int type);
    void quadraticEstimates(int type, double& uu, double& vv) const;
    static void quadSyntheticDivision(int count, double u, double v, double const* p, double* q,
                                      double& a, double& b);

    Coeffs m_p{};
    Coeffs m_qp{};
    Coeffs m_k{};
    Coeffs m_qk{};
    Coeffs m_svk{};
    int m_n = 0;

    double m_sr = 0.0, m_si = 0.0, m_u = 0.0, m_v = 0.0;
    double m_a = 0.0, m_b = 0.0, m_c = 0.0, m_d = 0.0;
    double m_a1 = 0.0, m_a3 = 0.0, m_a7 = 0.0;
    double m_e = 0.0, m_f = 0.0, m_g = 0.0, m_h = 0.0;
    double m_szr = 0.0, m_szi = 0.0, m_lzr = 0.0, m_lzi = 0.0;

    // Shift direction; it keeps turning across deflations and restarts.
    double m_xx = 0.70710678;
    double m_yy = -0.70710678;
};

} // namespace KelUtils

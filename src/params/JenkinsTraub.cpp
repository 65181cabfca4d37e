#include "params/JenkinsTraub.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace KelUtils {

namespace {

constexpr double kEta = std::numeric_limits<double>::epsilon();
constexpr double kAre = kEta; // error bound on additions
constexpr double kMre = kEta; // error bound on multiplications
constexpr double kInfinity = std::numeric_limits<double>::max();
constexpr double kLo = std::numeric_limits<double>::min() / kEta;

// Each new shift turns the shift point by 94 degrees.
constexpr double kCosR = -0.06975647;
constexpr double kSinR = 0.99756405;

// Turning by 94 degrees visits 180 directions before it repeats, and a restart on the same
// polynomial redoes the same steps, so after nine passes of 20 shifts nothing new would be tried.
constexpr int kMaxPasses = 9;

// Guards against a bound iteration that does not settle; it normally takes a few steps.
constexpr int kMaxBoundSteps = 1100;

} // namespace

int JenkinsTraub::solve(CplxNum* zeros)
{
    int found = 0;
    int failedPasses = 0;
    while (m_n > 2) {
        scaleCoefficients();
        double const bound = lowerRootBound();
        unshiftedSteps();
        Coeffs const saved = m_k;

        int nz = 0;
        for (int count = 1; count <= 20 && nz == 0; ++count) {
            double const xxx = kCosR * m_xx - kSinR * m_yy;
            m_yy = kSinR * m_xx + kCosR * m_yy;
            m_xx = xxx;
            m_sr = bound * m_xx;
            m_si = bound * m_yy;
            // The quadratic whose zeros are the shift point and its conjugate.
            m_u = -2.0 * m_sr;
            m_v = m_sr * m_sr + m_si * m_si;
            nz = fixedShift(20 * count);
            if (nz == 0)
                m_k = saved;
        }
        if (nz == 0) {
            if (++failedPasses >= kMaxPasses)
                return -1;
            continue;
        }
        failedPasses = 0;

        zeros[found++] = {m_szr, m_szi};
        if (nz == 2)
            zeros[found++] = {m_lzr, m_lzi};
        m_n -= nz;
        for (int i = 0; i <= m_n; ++i)
            m_p[i] = m_qp[i];
    }
    if (m_n == 2) {
        quadraticRoots(m_p[0], m_p[1], m_p[2], zeros[found], zeros[found + 1]);
        found += 2;
    } else if (m_n == 1) {
        zeros[found++] = {-m_p[1] / m_p[0], 0.0};
    }
    return found;
}

// Multiplies by a power of two so that small coefficients do not underflow during the search.
void JenkinsTraub::scaleCoefficients()
{
    double largest = 0.0;
    double smallest = kInfinity;
    for (int i = 0; i <= m_n; ++i) {
        double const x = std::fabs(m_p[i]);
        largest = std::max(largest, x);
        if (x != 0.0 && x < smallest)
            smallest = x;
    }
    double const sc = kLo / smallest;
    if ((sc <= 1.0 && largest >= 10.0) || (sc > 1.0 && largest * sc <= kInfinity)) {
        // Clamped before the conversion: sc may underflow to 0, whose logarithm is -inf.
        double const exponent =
            std::clamp(std::trunc(std::log(sc) / 0.69314718 + 0.5), -30.0, 30.0);
        double const factor = std::ldexp(1.0, static_cast<int>(exponent));
        if (factor != 1.0)
            for (int i = 0; i <= m_n; ++i)
                m_p[i] *= factor;
    }
}

// Lower bound of the zero moduli: the positive zero of the Cauchy polynomial.
double JenkinsTraub::lowerRootBound() const
{
    int const n = m_n;
    Coeffs pt{};
    for (int i = 0; i <= n; ++i)
        pt[i] = std::fabs(m_p[i]);
    pt[n] = -pt[n];

    double x = std::exp((std::log(-pt[n]) - std::log(pt[0])) / n);
    if (pt[n - 1] != 0.0) {
        // A Newton step at the origin is better when it is smaller.
        double const xm = -pt[n] / pt[n - 1];
        if (xm < x)
            x = xm;
    }
    for (int step = 0; step < kMaxBoundSteps; ++step) {
        double const xm = x * 0.1;
        double ff = pt[0];
        for (int i = 1; i <= n; ++i)
            ff = ff * xm + pt[i];
        if (ff <= 0.0)
            break;
        x = xm;
    }
    double dx = x;
    for (int step = 0; step < kMaxBoundSteps && std::fabs(dx / x) > 0.005; ++step) {
        double ff = pt[0];
        double df = ff;
        for (int i = 1; i < n; ++i) {
            ff = ff * x + pt[i];
            df = df * x + ff;
        }
        ff = ff * x + pt[n];
        dx = ff / df;
        x -= dx;
    }
    return x;
}

// Starts from the scaled derivative and takes five steps without shift.
void JenkinsTraub::unshiftedSteps()
{
    int const n = m_n;
    for (int i = 1; i < n; ++i)
        m_k[i] = (n - i) * m_p[i] / n;
    m_k[0] = m_p[0];
    double const aa = m_p[n];
    double const bb = m_p[n - 1];
    bool zerok = m_k[n - 1] == 0.0;
    for (int step = 0; step < 5; ++step) {
        double const cc = m_k[n - 1];
        if (!zerok) {
            double const t = -aa / cc;
            for (int j = n - 1; j >= 1; --j)
                m_k[j] = t * m_k[j - 1] + m_p[j];
            m_k[0] = m_p[0];
            zerok = std::fabs(m_k[n - 1]) <= std::fabs(bb) * kEta * 10.0;
        } else {
            for (int j = n - 1; j >= 1; --j)
                m_k[j] = m_k[j - 1];
            m_k[0] = 0.0;
            zerok = m_k[n - 1] == 0.0;
        }
    }
}

// Second stage with the fixed quadratic (u, v); once the estimates of a zero or a pair settle it
// hands over to the matching variable-shift iteration. Returns the number of zeros found.
int JenkinsTraub::fixedShift(int steps)
{
    int const n = m_n;
    double betav = 0.25;
    double betas = 0.25;
    double oss = m_sr;
    double ovv = m_v;
    double otv = 0.0;
    double ots = 0.0;

    quadSyntheticDivision(n + 1, m_u, m_v, m_p.data(), m_qp.data(), m_a, m_b);
    int type = dividePolyEx();
    for (int j = 1; j <= steps; ++j) {
        nextPoly(type);
        type = dividePolyEx();
        double ui = 0.0;
        double vi = 0.0;
        quadraticEstimates(type, ui, vi);
        double const vv = vi;
        double const ss = m_k[n - 1] != 0.0 ? -m_p[n] / m_k[n - 1] : 0.0;
        double tv = 1.0;
        double ts = 1.0;
        if (j != 1 && type != 3) {
            if (vv != 0.0)
                tv = std::fabs((vv - ovv) / vv);
            if (ss != 0.0)
                ts = std::fabs((ss - oss) / ss);
            double const tvv = tv < otv ? tv * otv : 1.0;
            double const tss = ts < ots ? ts * ots : 1.0;
            bool const vpass = tvv < betav;
            bool const spass = tss < betas;
            if (spass || vpass) {
                double const svu = m_u;
                double const svv = m_v;
                m_svk = m_k;
                double s = ss;
                bool vtry = false;
                bool stry = false;
                enum class Next { Quadratic, Linear, Restore };
                Next next = (spass && (!vpass || tss < tvv)) ? Next::Linear : Next::Quadratic;
                bool resume = false;
                while (!resume) {
                    switch (next) {
                    case Next::Quadratic: {
                        int const nz = quadraticIteration(ui, vi);
                        if (nz > 0)
                            return nz;
                        vtry = true;
                        betav *= 0.25;
                        if (stry || !spass) {
                            next = Next::Restore;
                        } else {
                            m_k = m_svk;
                            next = Next::Linear;
                        }
                        break;
                    }
                    case Next::Linear: {
                        int iflag = 0;
                        int const nz = linearIteration(s, iflag);
                        if (nz > 0)
                            return nz;
                        stry = true;
                        betas *= 0.25;
                        if (iflag != 0) {
                            // An almost double real zero: try it as a quadratic.
                            ui = -(s + s);
                            vi = s * s;
                            next = Next::Quadratic;
                        } else {
                            next = Next::Restore;
                        }
                        break;
                    }
                    case Next::Restore:
                        m_u = svu;
                        m_v = svv;
                        m_k = m_svk;
                        if (vpass && !vtry) {
                            next = Next::Quadratic;
                        } else {
                            quadSyntheticDivision(n + 1, m_u, m_v, m_p.data(), m_qp.data(), m_a,
                                                  m_b);
                            type = dividePolyEx();
                            resume = true;
                        }
                        break;
                    }
                }
            }
        }
        ovv = vv;
        oss = ss;
        otv = tv;
        ots = ts;
    }
    return 0;
}

// Variable-shift iteration for a quadratic factor; returns 2 when it converged.
int JenkinsTraub::quadraticIteration(double uu, double vv)
{
    int const n = m_n;
    bool tried = false;
    double omp = 0.0;
    double relstp = 0.0;
    m_u = uu;
    m_v = vv;
    int j = 0;
    for (;;) {
        CplxNum small, large;
        quadraticRoots(1.0, m_u, m_v, small, large);
        m_szr = small.re;
        m_szi = small.im;
        m_lzr = large.re;
        m_lzi = large.im;
        // Real zeros that are neither close together nor of about equal size and opposite sign
        // are left to the linear iteration.
        if (std::fabs(std::fabs(m_szr) - std::fabs(m_lzr)) > 0.01 * std::fabs(m_lzr))
            return 0;

        quadSyntheticDivision(n + 1, m_u, m_v, m_p.data(), m_qp.data(), m_a, m_b);
        double const mp = std::fabs(m_a - m_szr * m_b) + std::fabs(m_szi * m_b);
        // Bound on the rounding error of evaluating p.
        double const zm = std::sqrt(std::fabs(m_v));
        double ee = 2.0 * std::fabs(m_qp[0]);
        double const t = -m_szr * m_b;
        for (int i = 1; i < n; ++i)
            ee = ee * zm + std::fabs(m_qp[i]);
        ee = ee * zm + std::fabs(m_a + t);
        ee = (5.0 * kMre + 4.0 * kAre) * ee
             - (5.0 * kMre + 2.0 * kAre) * (std::fabs(m_a + t) + std::fabs(m_b) * zm)
             + 2.0 * kAre * std::fabs(t);
        if (mp <= 20.0 * ee)
            return 2;

        if (++j > 20)
            return 0;
        if (j >= 2 && !(relstp > 0.01 || mp < omp || tried)) {
            // A cluster stalls convergence: a few fixed-shift steps with (u, v) moved close to it.
            relstp = std::sqrt(std::max(relstp, kEta));
            m_u -= m_u * relstp;
            m_v += m_v * relstp;
            quadSyntheticDivision(n + 1, m_u, m_v, m_p.data(), m_qp.data(), m_a, m_b);
            for (int i = 0; i < 5; ++i) {
                int const type = dividePolyEx();
                nextPoly(type);
            }
            tried = true;
            j = 0;
        }
        omp = mp;

        int type = dividePolyEx();
        nextPoly(type);
        type = dividePolyEx();
        double ui = 0.0;
        double vi = 0.0;
        quadraticEstimates(type, ui, vi);
        if (vi == 0.0)
            return 0;
        relstp = std::fabs((vi - m_v) / vi);
        m_u = ui;
        m_v = vi;
    }
}

// Variable-shift iteration for one real zero starting at sss; returns 1 when it converged. Sets
// iflag (with sss at the last iterate) when a cluster of zeros near the real axis shows up.
int JenkinsTraub::linearIteration(double& sss, int& iflag)
{
    int const n = m_n;
    double s = sss;
    double omp = 0.0;
    double t = 0.0;
    iflag = 0;
    int j = 0;
    for (;;) {
        double pv = m_p[0];
        m_qp[0] = pv;
        for (int i = 1; i <= n; ++i) {
            pv = pv * s + m_p[i];
            m_qp[i] = pv;
        }
        double const mp = std::fabs(pv);
        // Bound on the rounding error of evaluating p.
        double const ms = std::fabs(s);
        double ee = (kMre / (kAre + kMre)) * std::fabs(m_qp[0]);
        for (int i = 1; i <= n; ++i)
            ee = ee * ms + std::fabs(m_qp[i]);
        if (mp <= 20.0 * ((kAre + kMre) * ee - kMre * mp)) {
            m_szr = s;
            m_szi = 0.0;
            return 1;
        }

        if (++j > 10)
            return 0;
        if (j >= 2 && !(std::fabs(t) > 0.001 * std::fabs(s - t) || mp <= omp)) {
            iflag = 1;
            sss = s;
            return 0;
        }
        omp = mp;

        double kv = m_k[0];
        m_qk[0] = kv;
        for (int i = 1; i < n; ++i) {
            kv = kv * s + m_k[i];
            m_qk[i] = kv;
        }
        if (std::fabs(kv) > std::fabs(m_k[n - 1]) * 10.0 * kEta) {
            double const tt = -pv / kv;
            m_k[0] = m_qp[0];
            for (int i = 1; i < n; ++i)
                m_k[i] = tt * m_qk[i - 1] + m_qp[i];
        } else {
            m_k[0] = 0.0;
            for (int i = 1; i < n; ++i)
                m_k[i] = m_qk[i - 1];
        }
        kv = m_k[0];
        for (int i = 1; i < n; ++i)
            kv = kv * s + m_k[i];
        t = std::fabs(kv) > std::fabs(m_k[n - 1]) * 10.0 * kEta ? -pv / kv : 0.0;
        s += t;
    }
}

// Divides k by the current quadratic and computes the scalar quantities of the next
// polynomial and the new estimates. Returns the formula type: 1 (divided by c), 2 (divided by
// d) or 3 (the quadratic almost divides k).
int JenkinsTraub::dividePolyEx()
{
    int const n = m_n;
    quadSyntheticDivision(n, m_u, m_v, m_k.data(), m_qk.data(), m_c, m_d);
    if (std::fabs(m_c) <= std::fabs(m_k[n - 1]) * 100.0 * kEta
        && std::fabs(m_d) <= std::fabs(m_k[n - 2]) * 100.0 * kEta)
        return 3;
    if (std::fabs(m_d) >= std::fabs(m_c)) {
        m_e = m_a / m_d;
        m_f = m_c / m_d;
        m_g = m_u * m_b;
        m_h = m_v * m_b;
        m_a3 = (m_a + m_g) * m_e + m_h * (m_b / m_d);
        m_a1 = m_b * m_f - m_a;
        m_a7 = (m_f + m_u) * m_a + m_h;
        return 2;
    }
    m_e = m_a / m_c;
    m_f = m_d / m_c;
    m_g = m_u * m_e;
    m_h = m_v * m_b;
    m_a3 = m_a * m_e + (m_h / m_c + m_g) * m_b;
    m_a1 = m_b - m_a * (m_d / m_c);
    m_a7 = m_a + m_g * m_d + m_h * m_f;
    return 1;
}

// The next shifted polynomial k.
void JenkinsTraub::nextPoly(int type)
{
    int const n = m_n;
    if (type == 3) {
        m_k[0] = 0.0;
        m_k[1] = 0.0;
        for (int i = 2; i < n; ++i)
            m_k[i] = m_qk[i - 2];
        return;
    }
    double const temp = type == 1 ? m_b : m_a;
    if (std::fabs(m_a1) <= std::fabs(temp) * kEta * 10.0) {
        // a1 nearly zero: the special form of the recurrence.
        m_k[0] = 0.0;
        m_k[1] = -m_a7 * m_qp[0];
        for (int i = 2; i < n; ++i)
            m_k[i] = m_a3 * m_qk[i - 2] - m_a7 * m_qp[i - 1];
        return;
    }
    m_a7 /= m_a1;
    m_a3 /= m_a1;
    m_k[0] = m_qp[0];
    m_k[1] = m_qp[1] - m_a7 * m_qp[0];
    for (int i = 2; i < n; ++i)
        m_k[i] = m_a3 * m_qk[i - 2] - m_a7 * m_qp[i - 1] + m_qp[i];
}

// New estimates (uu, vv) of the quadratic factor; 0, 0 when none can be formed.
void JenkinsTraub::quadraticEstimates(int type, double& uu, double& vv) const
{
    int const n = m_n;
    uu = 0.0;
    vv = 0.0;
    if (type == 3)
        return;
    double a4, a5;
    if (type == 2) {
        a4 = (m_a + m_g) * m_f + m_h;
        a5 = (m_f + m_u) * m_c + m_v * m_d;
    } else {
        a4 = m_a + m_u * m_b + m_h * m_f;
        a5 = m_c + (m_u + m_v * m_f) * m_d;
    }
    double const b1 = -m_k[n - 1] / m_p[n];
    double const b2 = -(m_k[n - 2] + b1 * m_p[n - 1]) / m_p[n];
    double const c1 = m_v * b2 * m_a1;
    double const c2 = b1 * m_a7;
    double const c3 = b1 * b1 * m_a3;
    double const c4 = c1 - c2 - c3;
    double const temp = a5 + b1 * a4 - c4;
    if (temp == 0.0)
        return;
    uu = m_u - (m_u * (c3 + c2) + m_v * (b1 * m_a1 + b2 * m_a7)) / temp;
    vv = m_v * (1.0 + c4 / temp);
}

// Divides the `count` coefficients p by x^2 + u*x + v: quotient into q, remainder into (a, b).
void JenkinsTraub::quadSyntheticDivision(int count, double u, double v, double const* p, double* q,
                                         double& a, double& b)
{
    b = p[0];
    q[0] = b;
    a = p[1] - u * b;
    q[1] = a;
    for (int i = 2; i < count; ++i) {
        double const c = p[i] - u * a - v * b;
        q[i] = c;
        b = a;
        a = c;
    }
}

// Zeros of a*z^2 + b1*z + c, possibly complex; guards against overflow in the discriminant.
void JenkinsTraub::quadraticRoots(double a, double b1, double c, CplxNum& small, CplxNum& large)
{
    small = {};
    large = {};
    if (a == 0.0) {
        if (b1 != 0.0)
            small.re = -c / b1;
        return;
    }
    if (c == 0.0) {
        large.re = -b1 / a;
        return;
    }
    double const b = b1 / 2.0;
    double e, d;
    if (std::fabs(b) >= std::fabs(c)) {
        e = 1.0 - (a / b) * (c / b);
        d = std::sqrt(std::fabs(e)) * std::fabs(b);
    } else {
        e = c < 0.0 ? -a : a;
        e = b * (b / std::fabs(c)) - e;
        d = std::sqrt(std::fabs(e)) * std::sqrt(std::fabs(c));
    }
    if (e >= 0.0) {
        if (b >= 0.0)
            d = -d;
        large.re = (-b + d) / a;
        if (large.re != 0.0)
            small.re = (c / large.re) / a;
        return;
    }
    small.re = -b / a;
    large.re = small.re;
    small.im = std::fabs(d / a);
    large.im = -small.im;
}

} // namespace KelUtils

#include "effects/NodeValueUtils.h"

#include "effects/ByteClamp.h"
#include "params/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace KelVyxNodes {

namespace {

constexpr double kPi = 3.141592653589793;

// Truncation keeping the low byte. A product outside the int range (only from levels
// outside 0..255) counts as 0, as the hardware's out-of-range conversion masked to a byte
// gave, instead of being undefined.
unsigned int truncLowByte(double x)
{
    return std::fabs(x) < 2147483648.0 ? static_cast<unsigned int>(std::int64_t(x) & 255) : 0u;
}

} // namespace

int transformToNewBounds(int value, int lo, int hi, int newLo, int newHi)
{
    // An empty range would scale by x / 0 and round a NaN.
    if (hi == lo)
        return newLo;
    int v = std::min(value, hi);
    v = std::max(v, lo);
    // Differences in 64 bits so extreme ranges cannot overflow.
    const double scale = double(std::int64_t(newHi) - newLo) / double(std::int64_t(hi) - lo);
    const double t = double(std::int64_t(v) - lo) * scale;
    // |t| <= |newHi - newLo|, so the sum stays far inside the 64-bit range.
    std::int64_t r = std::int64_t(KelUtils::roundHalfUp(t)) + newLo;
    r = std::min<std::int64_t>(r, newHi);
    r = std::max<std::int64_t>(r, newLo);
    return static_cast<int>(r);
}

double transformToNewBounds(double value, double lo, double hi, double newLo, double newHi)
{
    if (hi == lo)
        return newLo;
    double v = hi < value ? hi : value;
    v = v > lo ? v : lo; // NaN becomes lo
    const double scale = (newHi - newLo) / (hi - lo);
    double r = (v - lo) * scale + newLo;
    r = newHi < r ? newHi : r;
    return r > newLo ? r : newLo; // NaN becomes newLo
}

double transformToRealOne(int value, int lo, int hi)
{
    if (hi <= lo)
        return 0.0;
    int v = std::min(value, hi);
    v = std::max(v, lo);
    return double(std::int64_t(v) - lo) / double(std::int64_t(hi) - lo);
}

int transformFromRealOne(double x, int lo, int hi)
{
    double c = 1.0 < x ? 1.0 : x;
    c = c > 0.0 ? c : 0.0; // NaN becomes 0
    const double t = double(std::int64_t(hi) - lo) * c;
    std::int64_t r = std::int64_t(KelUtils::roundHalfUp(t)) + lo;
    r = std::min<std::int64_t>(r, hi);
    r = std::max<std::int64_t>(r, lo);
    return static_cast<int>(r);
}

unsigned int linearCorrection(unsigned int color, unsigned int hi, unsigned int lo)
{
    if (hi == lo)
        return 0;
    const double f = 255.0 / double(hi - lo); // unsigned difference: hi < lo gives a tiny factor
    unsigned int channels[3] = {(color >> 16) & 255u, (color >> 8) & 255u, color & 255u};
    for (unsigned int& c : channels) {
        c = std::min(c, hi);
        c = std::max(c, lo);
        const unsigned int d = (c & 255u) - lo;
        c = truncLowByte(double(d) * f);
    }
    return 0xFF000000u | channels[0] << 16 | channels[1] << 8 | channels[2];
}

unsigned char linearCorrectionOneChannel(unsigned char c, unsigned char hi, unsigned char lo)
{
    if (hi == lo)
        return 0;
    int v = std::min(c, hi);
    v = std::max<int>(v, lo);
    const double f = 255.0 / double(hi - lo);
    // hi < lo clamps v to lo, so the product is 0 (or -0).
    return static_cast<unsigned char>(static_cast<int>(f * double(v - lo)) & 255);
}

double log(double x, double base)
{
    if (base == 1.0)
        return 0.0;
    return std::log(x) / std::log(base);
}

double toRadians(double degrees)
{
    return degrees * kPi / 180.0;
}

double acosInAngle(double x)
{
    return std::acos(x) * 180.0 / kPi;
}

double asinInAngle(double x)
{
    return std::asin(x) * 180.0 / kPi;
}

double cosAtAngle(double degrees)
{
    return std::cos(degrees * kPi / 180.0);
}

double sinAtAngle(double degrees)
{
    return std::sin(degrees * kPi / 180.0);
}

int blendVal(int a, int b, double t)
{
    const double v = double(a) * (1.0 - t) + double(b) * t;
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(v);
}

unsigned int blend(unsigned int a, unsigned int b, double t)
{
    const double wa = 1.0 - t;
    unsigned int out = 0xFF000000u;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double ca = double((a >> shift) & 255u);
        const double cb = double((b >> shift) & 255u);
        out |= static_cast<unsigned int>(byteClamp(ca * wa + cb * t)) << shift;
    }
    return out;
}

} // namespace KelVyxNodes

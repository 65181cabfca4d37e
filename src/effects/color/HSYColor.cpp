#include "effects/color/HSYColor.h"


#include <algorithm>
#include <cmath>

namespace KelVyxNodes {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kSqrt3 = 1.7320508075688772;

struct Matrix3
{
    double m[3][3];
};

constexpr Matrix3 kToHsy = {{
    {0.2125, 0.7154, 0.0721},
    {1.0, -0.5, -0.5},
    {0.0, -0.8660254037844386, 0.8660254037844386},
}};

// Adjugate times the reciprocal determinant, in the order that yields the stored matrix: its
// first column is the double just below 1, which decides some byte results (a grey of luma 0.5
// gives 127, not 128).
constexpr Matrix3 invert(const Matrix3 &a)
{
    const double a11 = a.m[0][0], a12 = a.m[0][1], a13 = a.m[0][2];
    const double a21 = a.m[1][0], a22 = a.m[1][1], a23 = a.m[1][2];
    const double a31 = a.m[2][0], a32 = a.m[2][1], a33 = a.m[2][2];
    const double det = a11 * (a33 * a22 - a32 * a23) - a21 * (a33 * a12 - a32 * a13)
                       + a31 * (a23 * a12 - a22 * a13);
    const double q = 1.0 / det;
    return Matrix3{{
        {(a22 * a33 - a23 * a32) * q, (a13 * a32 - a12 * a33) * q, (a12 * a23 - a13 * a22) * q},
        {(a23 * a31 - a21 * a33) * q, (a11 * a33 - a13 * a31) * q, (a13 * a21 - a11 * a23) * q},
        {(a21 * a32 - a22 * a31) * q, (a12 * a31 - a11 * a32) * q, (a11 * a22 - a12 * a21) * q},
    }};
}

constexpr Matrix3 kToRgb = invert(kToHsy);

// Clamps to 0..1 (NaN gives 0) and keeps the high byte of the rounded 16-bit channel, as the
// classic 16-bit colour storage does.
unsigned int channelByte(double x)
{
    x = 1.0 < x ? 1.0 : x;
    x = x > 0.0 ? x : 0.0;
    // roundHalfUp of a value that is not negative: the truncation is its floor.
    return static_cast<unsigned int>(x * 65535.0 + 0.5) >> 8;
}

// Scales a 0..1 value to a whole number 0..upper; NaN, negatives and results below 1 give 0.
int scaledView(double value, double upper)
{
    const double x = 1.0 < value ? 1.0 : value;
    const double d = x > 0.0 ? x * upper : 0.0;
    // roundHalfUp of a value that is not negative (and at most upper): the truncation is its floor.
    double v = static_cast<double>(static_cast<long long>(d + 0.5));
    v = v < upper ? v : upper;
    return v < 1.0 ? 0 : static_cast<int>(v);
}

// byte / 255.0 for every byte.
struct ByteFractions
{
    double unit[256];
};

ByteFractions const& byteFractions()
{
    static const ByteFractions table = [] {
        ByteFractions t{};
        for (int k = 0; k < 256; ++k)
            t.unit[k] = k / 255.0;
        return t;
    }();
    return table;
}

double lumaOf(double r, double g, double b)
{
    const auto &t = kToHsy.m;
    return (t[0][0] * r + t[0][1] * g) + t[0][2] * b;
}

} // namespace

HSYColor::HSYColor(double hue, double saturation, double brightness)
    : m_hue(hue)
    , m_saturation(saturation)
    , m_brightness(brightness)
{
}

HSYColor::HSYColor(unsigned int rgb)
    : HSYColor(fromRgb(rgb))
{
}

const double (&HSYColor::toHsyMatrix())[3][3]
{
    return kToHsy.m;
}

const double (&HSYColor::toRgbMatrix())[3][3]
{
    return kToRgb.m;
}

HSYColor HSYColor::fromRgb(unsigned int rgb)
{
    double const* unit = byteFractions().unit;
    const double r = unit[(rgb >> 16) & 0xFF];
    const double g = unit[(rgb >> 8) & 0xFF];
    const double b = unit[rgb & 0xFF];
    const auto &t = kToHsy.m;

    const double y = lumaOf(r, g, b);
    const double c1 = (t[1][0] * r + t[1][1] * g) + t[1][2] * b;
    const double c2 = (t[2][0] * r + t[2][1] * g) + t[2][2] * b;
    const double chroma = std::sqrt(c1 * c1 + c2 * c2);

    double h = 0.0;
    double hSector = 0.0;
    if (chroma != 0.0) {
        h = std::acos(c1 / chroma) * 180.0 / kPi;
        if (c2 > 0.0)
            h = 360.0 - h;
        // The hue is at most 360. Each subtraction of 60 is exact (60 is a whole multiple of the
        // unit in the last place of any hue above it), so subtracting them at once gives the same
        // sector.
        const int sixties = int(h > 60.0) + int(h > 120.0) + int(h > 180.0) + int(h > 240.0) + int(h > 300.0);
        hSector = h - 60.0 * sixties;
    }

    // Whole degrees by truncation: pure yellow lands on 59, which stored results rely on.
    double hueDegrees = h >= 0.0 && h < 1e9 ? static_cast<double>(static_cast<long long>(h)) : std::trunc(h);
    hueDegrees = hueDegrees < 360.0 ? hueDegrees : 360.0;
    if (hueDegrees < 1.0)
        hueDegrees = 0.0;

    const double saturation = (chroma + chroma) * std::sin((120.0 - hSector) * kPi / 180.0) / kSqrt3;
    return HSYColor(hueDegrees / 360.0, saturation, y);
}

namespace {

// The cosine of whole degrees 0..360 and the sine of 120 - s for sectors s = 0..60, made by the
// very expressions used below, so a table value is the computed one to the bit.
struct DegreeTables
{
    double cosine[361];
    double sectorSine[61];
    // sectorSine of each whole degree's sector (the degree less 60 as long as it is above 60).
    double sineOfSector[361];
};

DegreeTables const& degreeTables()
{
    static const DegreeTables tables = [] {
        DegreeTables t;
        for (int degrees = 0; degrees <= 360; ++degrees)
            t.cosine[degrees] = std::cos(degrees * kPi / 180.0);
        for (int sector = 0; sector <= 60; ++sector)
            t.sectorSine[sector] = std::sin((120 - sector) * kPi / 180.0);
        for (int degrees = 0; degrees <= 360; ++degrees) {
            int sector = degrees;
            while (sector > 60)
                sector -= 60;
            t.sineOfSector[degrees] = t.sectorSine[sector];
        }
        return t;
    }();
    return tables;
}

} // namespace

namespace {

// Without the arc cosine: the cosine of every whole degree 0..180 bounds the degree of the hue,
// and the sine of the sector's angle is a sum of the chroma axes weighted by the sector's
// constant sine and cosine. Each is trusted only away from the points where the bits of the
// library's functions could tip a byte.
struct SplitTables
{
    double cosine[182];
    // sin and cos of 120 + 60 * sector degrees, over the root of three, doubled.
    double sineWeight[6];
    double cosineWeight[6];
    unsigned short hueOfDegree[361];
    // For x in the slice [-1 + 2 i / n, -1 + 2 (i + 1) / n] of -1..1, a whole degree not above
    // the arc cosine of any x in it, so the search upwards is short.
    static constexpr int kSlices = 16384;
    unsigned char lowestDegree[kSlices];
};

SplitTables const& splitTables()
{
    static const SplitTables tables = [] {
        SplitTables t{};
        for (int degrees = 0; degrees <= 180; ++degrees)
            t.cosine[degrees] = std::cos(degrees * kPi / 180.0);
        t.cosine[181] = -2.0;
        for (int sector = 0; sector < 6; ++sector) {
            const double angle = (120.0 + 60.0 * sector) * kPi / 180.0;
            t.sineWeight[sector] = 2.0 * std::sin(angle) / kSqrt3;
            t.cosineWeight[sector] = 2.0 * std::cos(angle) / kSqrt3;
        }
        for (int degrees = 0; degrees <= 360; ++degrees)
            t.hueOfDegree[degrees] = HSYColor(degrees / 360.0, 0.0, 0.0).hue();
        for (int i = 0; i < SplitTables::kSlices; ++i) {
            const double upper = std::min(1.0, -1.0 + 2.0 * (i + 1) / SplitTables::kSlices);
            // A degree lower still than the upper end's, whatever the rounding.
            const double degrees = std::acos(upper) * 180.0 / kPi - 0.01;
            t.lowestDegree[i] = static_cast<unsigned char>(std::clamp(int(degrees), 0, 180));
        }
        return t;
    }();
    return tables;
}

// Far wider than the few units in the last place that the exact formulas can differ by.
constexpr double kTrustMargin = 1e-9;

} // namespace

void HSYColor::splitBytes(unsigned int rgb, unsigned short& hue, unsigned char& saturation,
                          unsigned char& brightness)
{
    double const* unit = byteFractions().unit;
    const double r = unit[(rgb >> 16) & 0xFF];
    const double g = unit[(rgb >> 8) & 0xFF];
    const double b = unit[rgb & 0xFF];
    const auto &t = kToHsy.m;
    brightness = static_cast<unsigned char>(scaledView(lumaOf(r, g, b), 255.0));

    const double c1 = (t[1][0] * r + t[1][1] * g) + t[1][2] * b;
    const double c2 = (t[2][0] * r + t[2][1] * g) + t[2][2] * b;
    const double chroma = std::sqrt(c1 * c1 + c2 * c2);
    // Greys and the hues 0 and 180 lie on the points the tables avoid.
    if (c2 == 0.0 || chroma == 0.0) {
        const HSYColor exact = fromRgb(rgb);
        hue = exact.hue();
        saturation = exact.saturation();
        return;
    }

    SplitTables const& tables = splitTables();
    const double x = c1 / chroma;
    // The whole degree of the arc cosine: cosine[d] >= x > cosine[d + 1].
    const int slice = std::clamp(static_cast<int>((x + 1.0) * (SplitTables::kSlices / 2)), 0,
                                 SplitTables::kSlices - 1);
    int d = tables.lowestDegree[slice];
    while (d > 0 && x > tables.cosine[d])
        --d;
    while (x <= tables.cosine[d + 1])
        ++d;
    const bool nearDegree = x - tables.cosine[d + 1] < kTrustMargin || tables.cosine[d] - x < kTrustMargin;

    // The sector of the hue counted from 0, where c2 > 0 mirrors the arc cosine.
    const bool mirrored = c2 > 0.0;
    const int sector = mirrored ? 3 + int(x > -0.5) + int(x > 0.5) : int(x < -0.5) + int(x < 0.5);
    const double s = tables.sineWeight[sector] * c1 + tables.cosineWeight[sector] * c2;
    const double scaled = (1.0 < s ? 1.0 : (s > 0.0 ? s : 0.0)) * 255.0 + 0.5;
    const double fraction = scaled - static_cast<double>(static_cast<long long>(scaled));
    if (nearDegree || fraction < kTrustMargin || fraction > 1.0 - kTrustMargin) {
        const HSYColor exact = fromRgb(rgb);
        hue = exact.hue();
        saturation = exact.saturation();
        return;
    }
    hue = tables.hueOfDegree[mirrored ? 359 - d : d];
    saturation = static_cast<unsigned char>(scaledView(s, 255.0));
}

unsigned int HSYColor::fromHSYNormalizedToOne(double hue, double saturation, double brightness)
{
    // 0..360 whatever the hue (a NaN gives 0).
    const int hueDegrees = scaledView(hue, 360.0);
    // Sampling converts every pixel: whole degrees come from tables instead of sin and cos.
    DegreeTables const& tables = degreeTables();
    const double k = tables.cosine[hueDegrees];
    const double sine = tables.sineOfSector[hueDegrees];
    const double chroma = saturation * kSqrt3 / (2.0 * sine);
    const double c1 = k * chroma;
    double c2 = std::sqrt(chroma * chroma - c1 * c1);
    if (hueDegrees < 181)
        c2 = -c2;

    const auto &t = kToRgb.m;
    const double y = brightness;
    const double r = (t[0][0] * y + t[0][1] * c1) + t[0][2] * c2;
    const double g = (t[1][0] * y + t[1][1] * c1) + t[1][2] * c2;
    const double b = (t[2][0] * y + t[2][1] * c1) + t[2][2] * c2;

    return 0xFF000000u | channelByte(r) << 16 | channelByte(g) << 8 | channelByte(b);
}

unsigned int HSYColor::fromHSYint(unsigned short hue, unsigned char saturation, unsigned char brightness)
{
    const double h = hue > 360 ? 360.0 : static_cast<double>(hue);
    return fromHSYNormalizedToOne(h / 360.0, saturation / 255.0, brightness / 255.0);
}

unsigned int HSYColor::toRgb() const
{
    return fromHSYNormalizedToOne(m_hue, m_saturation, m_brightness);
}

unsigned char HSYColor::lumaByte(unsigned int rgb)
{
    double const* unit = byteFractions().unit;
    const double y = lumaOf(unit[(rgb >> 16) & 0xFF], unit[(rgb >> 8) & 0xFF], unit[rgb & 0xFF]);
    return static_cast<unsigned char>(scaledView(y, 255.0));
}

unsigned short HSYColor::hue() const
{
    return static_cast<unsigned short>(scaledView(m_hue, 360.0));
}

unsigned char HSYColor::saturation() const
{
    return static_cast<unsigned char>(scaledView(m_saturation, 255.0));
}

unsigned char HSYColor::brightness() const
{
    return static_cast<unsigned char>(scaledView(m_brightness, 255.0));
}

bool HSYColor::operator==(const HSYColor &other) const
{
    return m_hue == other.m_hue && m_saturation == other.m_saturation && m_brightness == other.m_brightness;
}

} // namespace KelVyxNodes

#include "params/Color.h"

#include <cmath>

namespace KelUtils {

namespace {

// The single-precision constant 255.999, used in double precision.
constexpr double ByteScale = static_cast<double>(255.999f);

float nonNegative(float v)
{
    return v > 0.0f ? v : 0.0f; // also maps NaN to 0
}

} // namespace

bool Color::isFinite() const
{
    return std::isfinite(red) && std::isfinite(green) && std::isfinite(blue)
           && std::isfinite(alpha);
}

bool Color::isValid() const
{
    return isFinite() && red >= 0.0f && green >= 0.0f && blue >= 0.0f && alpha >= 0.0f
           && alpha <= 1.0f;
}

Color Color::clamped() const
{
    float a = alpha > 0.0f ? alpha : 0.0f;
    if (a > 1.0f)
        a = 1.0f;
    return Color(nonNegative(red), nonNegative(green), nonNegative(blue), a);
}

unsigned char Color::encodeChannel(float channel, float exponent)
{
    if (!(channel > 0.0f))
        return 0;
    const double v = std::pow(static_cast<double>(channel), static_cast<double>(exponent))
                     * ByteScale;
    // Checked before the conversion: a huge channel must not overflow the integer.
    if (!(v < 255.0))
        return 255;
    return static_cast<unsigned char>(static_cast<int>(v));
}

unsigned char Color::encodeAlpha(float alpha)
{
    const float v = alpha * 255.0f + 0.5f;
    if (!(v > 0.0f))
        return 0;
    if (v >= 255.0f)
        return 255;
    return static_cast<unsigned char>(static_cast<int>(v));
}

float Color::decodeChannel(unsigned char byte, float gamma)
{
    const float q = static_cast<float>(byte) / 255.0f;
    return static_cast<float>(std::pow(static_cast<double>(q), static_cast<double>(gamma)));
}

float Color::decodeAlpha(unsigned char byte)
{
    return static_cast<float>(byte) / 255.0f;
}

void Color::to8bitRgb(ScaledRgb* out, float exponent) const
{
    if (!out)
        return;
    out->alpha = encodeAlpha(alpha);
    if (!(red > 1.0f) && !(green > 1.0f) && !(blue > 1.0f)) {
        out->scale = 1.0f;
        out->red = encodeChannel(red, exponent);
        out->green = encodeChannel(green, exponent);
        out->blue = encodeChannel(blue, exponent);
        return;
    }
    // The largest channel becomes the scale; ties go to red, then green.
    int largest;
    if (red >= green && red >= blue)
        largest = 0;
    else if (green >= blue)
        largest = 1;
    else
        largest = 2;
    const float channels[3] = {red, green, blue};
    const float m = channels[largest];
    const float inv = 1.0f / m;
    unsigned char bytes[3];
    for (int i = 0; i < 3; ++i)
        bytes[i] = i == largest ? 255 : encodeChannel(channels[i] * inv, exponent);
    out->scale = m;
    out->red = bytes[0];
    out->green = bytes[1];
    out->blue = bytes[2];
}

bool Color::isEqualA(unsigned char const* rgba, float exponent) const
{
    if (!rgba)
        return false;
    return encodeChannel(red, exponent) == rgba[0] && encodeChannel(green, exponent) == rgba[1]
           && encodeChannel(blue, exponent) == rgba[2] && encodeAlpha(alpha) == rgba[3];
}

} // namespace KelUtils

#pragma once

#include "params/ScaledRgb.h"

namespace KelUtils {

// A colour in linear light. Red, green and blue may exceed 1 (over-bright colours) but are never
// below 0 in a parameter; alpha is opacity in 0..1 and is never gamma-encoded.
struct Color
{
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 1.0f;

    // Exponents the editors use at the 8-bit boundary (single-precision constants).
    static constexpr float Gamma = 2.2f;
    static constexpr float InverseGamma = 0.45454544f;

    Color() = default;
    Color(float r, float g, float b, float a = 1.0f) : red(r), green(g), blue(b), alpha(a) {}

    bool operator==(Color const& other) const = default;

    // All four channels finite, red/green/blue not below 0, alpha within 0..1.
    bool isValid() const;
    bool isFinite() const;
    // Negative (and not-a-number) channels become 0, alpha is clamped to 0..1; over-bright
    // channels stay. Infinite channels are not handled here: callers drop non-finite input.
    Color clamped() const;

    // Gamma-encodes to bytes; a colour with a channel above 1 is divided by its largest channel
    // first, which becomes the scale.
    void to8bitRgb(ScaledRgb* out, float exponent) const;
    // Whether the clamped, unscaled 8-bit form (as the colour swatches show it) equals rgba[0..3].
    bool isEqualA(unsigned char const* rgba, float exponent) const;

    // byte = trunc(pow(c, exponent) * 255.999) in double precision, 255 at most, 0 for c <= 0.
    static unsigned char encodeChannel(float channel, float exponent);
    // byte = trunc(alpha * 255 + 0.5) in single precision, clamped to 0..255.
    static unsigned char encodeAlpha(float alpha);
    // channel = pow(byte / 255, gamma): the quotient in single, the power in double precision.
    static float decodeChannel(unsigned char byte, float gamma);
    static float decodeAlpha(unsigned char byte);
};

} // namespace KelUtils

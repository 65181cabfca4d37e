#pragma once

#include "effects/NoiseTables.h"

#include <bit>
#include <cmath>
#include <cstdint>

// Building blocks shared by the noise functions. All arithmetic is single precision
// and all hashing unsigned 32-bit with wrap-around, so results match to the bit.
namespace KelUtils {

// True when truncating t to a 32-bit integer is defined (false for NaN and infinities).
inline bool fitsLattice(float t)
{
    return t > -2147483648.0f && t < 2147483648.0f;
}

// Integer truncation, minus 1 below zero: at negative whole numbers this is one less
// than the mathematical floor, and the fraction there is 1. Beyond 32 bits (where every
// float is whole) the index wraps like the hashing does; NaN and infinities give 0.
inline std::int32_t fastFloor(float t)
{
    if (fitsLattice(t)) {
        const auto n = static_cast<std::int32_t>(t);
        return t < 0.0f ? static_cast<std::int32_t>(static_cast<std::uint32_t>(n) - 1u) : n;
    }
    if (!std::isfinite(t))
        return 0;
    const double wrapped = std::fmod(static_cast<double>(t), 4294967296.0);
    const auto n = static_cast<std::uint32_t>(static_cast<std::int64_t>(wrapped));
    return static_cast<std::int32_t>(t < 0.0f ? n - 1u : n);
}

// t - fastFloor(t) as the noises compute it; where the index wrapped, the fraction is
// the one a whole number has (0, or 1 below zero) so that weights stay in 0..1.
inline float latticeFraction(float t, std::int32_t i)
{
    if (fitsLattice(t))
        return t - static_cast<float>(i);
    return t < 0.0f ? 1.0f : 0.0f;
}

// (i + 1) - t: the weight of the lower corner in the linearly filtered noises.
inline float lowerCornerWeight(float t, std::int32_t i)
{
    if (fitsLattice(t))
        return static_cast<float>(static_cast<std::int32_t>(static_cast<std::uint32_t>(i) + 1u)) - t;
    return 1.0f - latticeFraction(t, i);
}

// A float in [0, 1) in steps of 2^-23, made by putting hashed bits into the mantissa of 1.0.
inline float unitRandom(std::uint32_t h)
{
    const std::uint32_t mantissa = ((h ^ 0x698b58u) * 987654323u) & 0x7fffffu;
    return std::bit_cast<float>(mantissa + 0x3f800000u) - 1.0f;
}

// The pieces below serve the noise sources only.
namespace NoiseDetail {

// Smoothing curve t^3 (t (6t - 15) + 10) of the gradient noises.
inline float fade(float t)
{
    return t * t * t * (t * (6.0f * t - 15.0f) + 10.0f);
}

inline float interpolate(float f, float low, float high)
{
    return (1.0f - f) * low + f * high;
}

// Two-dimensional gradients (1.8, 1), (-1, -1.8), (1, 1.8), (-1.8, -1) from bits 0 and 2.
inline float gradient2D(std::uint32_t h, float u, float v)
{
    const bool swap = (h & 7u) >= 4u;
    const float p = swap ? v : u;
    const float q = swap ? u : v;
    return (h & 1u) == 0u ? 1.8f * p + q : -p - 1.8f * q;
}

// Three-dimensional gradients from the low four bits of h.
inline float gradient3D(std::uint32_t h, float x, float y, float z)
{
    const bool twelveOrThirteen = h == 12u || h == 13u;
    const float p = (h < 8u || twelveOrThirteen) ? x : y;
    const float q = (h < 4u || twelveOrThirteen) ? y : z;
    return ((h & 1u) != 0u ? -p : p) + ((h & 2u) != 0u ? -q : q);
}

// Four-dimensional gradients: per axis x, y, z, w, bit 2k includes its offset and
// bit 2k + 1 chooses adding (set) over subtracting (clear).
inline float gradient4D(std::uint32_t h, float x, float y, float z, float w)
{
    const float offsets[4] = {x, y, z, w};
    float g = 0.0f;
    for (unsigned k = 0; k < 4; ++k) {
        if (((h >> (2 * k)) & 1u) == 0u)
            continue;
        if (((h >> (2 * k + 1)) & 1u) != 0u)
            g += offsets[k];
        else
            g -= offsets[k];
    }
    return g;
}

// The two grad1 values around lattice cell i of the one-dimensional noises.
struct Grad1Pair
{
    float e0;
    float e1;
};

inline Grad1Pair grad1Pair(std::int32_t i, std::uint32_t seed)
{
    const auto c = static_cast<std::int32_t>(static_cast<std::uint32_t>(i) + noise_perm[seed & 255u]);
    const auto hi = static_cast<std::uint32_t>((c / 256) & 255);
    const auto lo = static_cast<std::uint32_t>(c & 255);
    return {grad1[noise_perm[hi + noise_perm[lo]] & 15u], grad1[noise_perm[noise_perm[lo + 1u] + hi] & 15u]};
}

} // namespace NoiseDetail

} // namespace KelUtils

#include "effects/GradientNoise.h"

#include "effects/NoiseHelpers.h"

#include <cstdint>

namespace KelUtils {

using namespace NoiseDetail;

namespace {

// Cell index and offset within the cell along one axis.
struct AxisCell
{
    std::int32_t index;
    float fraction;
};

AxisCell cellOf(float t)
{
    const std::int32_t i = fastFloor(t);
    return {i, latticeFraction(t, i)};
}

// Hash level of one axis: (noise_perm[s + axis] + index) AND 255.
std::uint32_t gradientLevel(std::uint32_t s, unsigned axis, std::int32_t index)
{
    return (noise_perm[s + axis] + static_cast<std::uint32_t>(index)) & 255u;
}

} // namespace

float perlinNoise1D(float x, unsigned seed)
{
    const AxisCell cx = cellOf(x);
    const Grad1Pair e = grad1Pair(cx.index, seed);
    const float f = fade(cx.fraction);
    return (1.0f - f) * e.e0 + f * e.e1;
}

float perlinNoise2D(float x, float y, unsigned seed)
{
    const AxisCell cx = cellOf(x);
    const AxisCell cy = cellOf(y);
    const std::uint32_t s = seed & 255u;
    const std::uint32_t A = gradientLevel(s, 0, cx.index);
    const std::uint32_t B = gradientLevel(s, 1, cy.index);
    const float fx = cx.fraction;
    const float fy = cy.fraction;

    const float g00 = gradient2D(noise_perm[noise_perm[A] + B], fx, fy);
    const float g01 = gradient2D(noise_perm[noise_perm[A] + B + 1u], fx, fy - 1.0f);
    const float g10 = gradient2D(noise_perm[noise_perm[A + 1u] + B], fx - 1.0f, fy);
    const float g11 = gradient2D(noise_perm[noise_perm[A + 1u] + B + 1u], fx - 1.0f, fy - 1.0f);

    const float u = fade(fx);
    const float v = fade(fy);
    return interpolate(u, interpolate(v, g00, g01), interpolate(v, g10, g11));
}

float perlinNoise3D(float x, float y, float z, unsigned seed)
{
    const AxisCell cx = cellOf(x);
    const AxisCell cy = cellOf(y);
    const AxisCell cz = cellOf(z);
    const std::uint32_t s = seed & 255u;
    const std::uint32_t A = gradientLevel(s, 0, cx.index);
    const std::uint32_t B = gradientLevel(s, 1, cy.index);
    const std::uint32_t Z = gradientLevel(s, 2, cz.index);

    float g[2][2][2];
    for (unsigned a = 0; a < 2; ++a)
        for (unsigned b = 0; b < 2; ++b)
            for (unsigned c = 0; c < 2; ++c) {
                const std::uint32_t h = noise_perm[noise_perm[noise_perm[A + a] + B + b] + Z + c] & 15u;
                g[a][b][c] = gradient3D(h, cx.fraction - static_cast<float>(a), cy.fraction - static_cast<float>(b),
                                        cz.fraction - static_cast<float>(c));
            }

    const float u = fade(cx.fraction);
    const float v = fade(cy.fraction);
    const float w = fade(cz.fraction);
    return interpolate(u,
                       interpolate(v, interpolate(w, g[0][0][0], g[0][0][1]), interpolate(w, g[0][1][0], g[0][1][1])),
                       interpolate(v, interpolate(w, g[1][0][0], g[1][0][1]), interpolate(w, g[1][1][0], g[1][1][1])));
}

float perlinNoise4D(float x, float y, float z, float w, unsigned seed)
{
    const AxisCell cells[4] = {cellOf(x), cellOf(y), cellOf(z), cellOf(w)};
    const std::uint32_t s = seed & 255u;
    std::uint32_t levels[4];
    for (unsigned k = 0; k < 4; ++k)
        levels[k] = gradientLevel(s, k, cells[k].index);

    // The corner's bit k is set for the upper end of axis k.
    float g[16];
    for (unsigned corner = 0; corner < 16; ++corner) {
        std::uint32_t h = 0;
        float offsets[4];
        for (unsigned k = 0; k < 4; ++k) {
            const std::uint32_t upper = (corner >> k) & 1u;
            h = k == 0 ? levels[0] + upper : noise_perm[h] + levels[k] + upper;
            offsets[k] = cells[k].fraction - static_cast<float>(upper);
        }
        g[corner] = gradient4D(noise_perm[h], offsets[0], offsets[1], offsets[2], offsets[3]);
    }

    // Blend along w first and along x last, so x is the outermost blend as in two dimensions.
    for (unsigned k = 4; k-- > 0;) {
        const float f = fade(cells[k].fraction);
        const unsigned half = 1u << k;
        for (unsigned c = 0; c < half; ++c)
            g[c] = interpolate(f, g[c], g[c + half]);
    }
    return g[0];
}

float musgraveNoise1D(float x, unsigned seed)
{
    return perlinNoise1D(perlinNoise1D(x + 0.5f, seed), seed);
}

float musgraveNoise2D(float x, float y, unsigned seed)
{
    const float a = perlinNoise2D(x + 3.83f, y + 3.83f, seed);
    const float b = perlinNoise2D(x + 0.5f, y + 0.5f, seed);
    return perlinNoise2D(b, a, seed);
}

float musgraveNoise3D(float x, float y, float z, unsigned seed)
{
    const float c = perlinNoise3D(x + 8.27f, y + 8.27f, z + 8.27f, seed);
    const float b = perlinNoise3D(x + 3.83f, y + 3.83f, z + 3.83f, seed);
    const float a = perlinNoise3D(x + 0.5f, y + 0.5f, z + 0.5f, seed);
    return perlinNoise3D(a, b, c, seed);
}

float musgraveNoise4D(float x, float y, float z, float w, unsigned seed)
{
    const float d = perlinNoise4D(x + 13.82f, y + 13.82f, z + 13.82f, w + 13.82f, seed);
    const float c = perlinNoise4D(x + 8.27f, y + 8.27f, z + 8.27f, w + 8.27f, seed);
    const float b = perlinNoise4D(x + 3.83f, y + 3.83f, z + 3.83f, w + 3.83f, seed);
    const float a = perlinNoise4D(x + 0.5f, y + 0.5f, z + 0.5f, w + 0.5f, seed);
    return perlinNoise4D(a, b, c, d, seed);
}

} // namespace KelUtils

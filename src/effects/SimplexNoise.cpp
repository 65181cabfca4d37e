#include "effects/SimplexNoise.h"

#include "effects/NoiseHelpers.h"

#include <cstdint>

namespace KelUtils {

using namespace NoiseDetail;

namespace {

float pow4(float t)
{
    const float t2 = t * t;
    return t2 * t2;
}

std::uint32_t simplexLevel(std::uint32_t s, unsigned axis, std::int32_t index)
{
    return (noise_perm[s + axis] + static_cast<std::uint32_t>(index)) & 255u;
}

std::int32_t wrappedSum(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

} // namespace

float simplexNoise1D(float x, unsigned seed)
{
    const std::int32_t i = fastFloor(x);
    const float f = latticeFraction(x, i);
    const Grad1Pair e = grad1Pair(i, seed);
    return pow4(1.0f - f * f) * e.e0 + pow4((2.0f - f) * f) * e.e1;
}

float simplexNoise2D(float x, float y, unsigned seed)
{
    const float t = (x + y) * 0.3660254f;
    const std::int32_t i = fastFloor(x + t);
    const std::int32_t j = fastFloor(y + t);
    const float u = static_cast<float>(wrappedSum(i, j)) * 0.211325f;
    const float x0 = x - (static_cast<float>(i) - u);
    const float y0 = y - (static_cast<float>(j) - u);

    const std::uint32_t i1 = x0 > y0 ? 1u : 0u;
    const std::uint32_t j1 = 1u - i1;
    const float x1 = x0 - static_cast<float>(i1) + 0.211325f;
    const float y1 = y0 - static_cast<float>(j1) + 0.211325f;
    const float x2 = x0 - 1.0f + 0.42265f;
    const float y2 = y0 - 1.0f + 0.42265f;

    const std::uint32_t s = seed & 255u;
    const std::uint32_t ii = simplexLevel(s, 0, i);
    const std::uint32_t jj = simplexLevel(s, 1, j);
    const std::uint32_t h0 = noise_perm[noise_perm[ii] + jj];
    const std::uint32_t h1 = noise_perm[noise_perm[ii + i1] + jj + j1];
    const std::uint32_t h2 = noise_perm[noise_perm[ii + 1u] + jj + 1u];

    float sum = 0.0f;
    const float w0 = 0.5f - x0 * x0 - y0 * y0;
    if (w0 > 0.0f)
        sum += pow4(w0) * gradient2D(h0, x0, y0);
    const float w1 = 0.5f - x1 * x1 - y1 * y1;
    if (w1 > 0.0f)
        sum += pow4(w1) * gradient2D(h1, x1, y1);
    const float w2 = 0.5f - x2 * x2 - y2 * y2;
    if (w2 > 0.0f)
        sum += pow4(w2) * gradient2D(h2, x2, y2);
    return sum * 49.5f;
}

float simplexNoise3D(float x, float y, float z, unsigned seed)
{
    constexpr float F3 = 1.0f / 3.0f;
    constexpr float G3 = 1.0f / 6.0f;

    const float t = (x + y + z) * F3;
    const std::int32_t i = fastFloor(x + t);
    const std::int32_t j = fastFloor(y + t);
    const std::int32_t k = fastFloor(z + t);
    const float u = static_cast<float>(wrappedSum(wrappedSum(i, j), k)) * G3;
    const float x0 = x - (static_cast<float>(i) - u);
    const float y0 = y - (static_cast<float>(j) - u);
    const float z0 = z - (static_cast<float>(k) - u);

    // Second and third corners, ordered as the reference three-dimensional simplex noise.
    unsigned c1[3];
    unsigned c2[3];
    auto set = [&](unsigned a0, unsigned a1, unsigned a2, unsigned b0, unsigned b1, unsigned b2) {
        c1[0] = a0, c1[1] = a1, c1[2] = a2;
        c2[0] = b0, c2[1] = b1, c2[2] = b2;
    };
    if (x0 >= y0) {
        if (y0 >= z0)
            set(1, 0, 0, 1, 1, 0);
        else if (x0 >= z0)
            set(1, 0, 0, 1, 0, 1);
        else
            set(0, 0, 1, 1, 0, 1);
    } else {
        if (z0 > y0)
            set(0, 0, 1, 0, 1, 1);
        else if (z0 > x0)
            set(0, 1, 0, 0, 1, 1);
        else
            set(0, 1, 0, 1, 1, 0);
    }
    const unsigned corners[4][3] = {{0, 0, 0}, {c1[0], c1[1], c1[2]}, {c2[0], c2[1], c2[2]}, {1, 1, 1}};
    const float shifts[4] = {0.0f, G3, 2.0f * G3, 3.0f * G3};
    const float origin[3] = {x0, y0, z0};

    const std::uint32_t s = seed & 255u;
    const std::uint32_t A = simplexLevel(s, 0, i);
    const std::uint32_t B = simplexLevel(s, 1, j);
    const std::uint32_t Z = simplexLevel(s, 2, k);

    float sum = 0.0f;
    for (unsigned m = 0; m < 4; ++m) {
        const unsigned* c = corners[m];
        float d[3];
        for (unsigned axis = 0; axis < 3; ++axis)
            d[axis] = origin[axis] - static_cast<float>(c[axis]) + shifts[m];
        const float w = 0.6f - d[0] * d[0] - d[1] * d[1] - d[2] * d[2];
        if (w > 0.0f) {
            const std::uint32_t h = noise_perm[noise_perm[noise_perm[A + c[0]] + B + c[1]] + Z + c[2]] & 15u;
            sum += pow4(w) * gradient3D(h, d[0], d[1], d[2]);
        }
    }
    return sum * 32.5f;
}

float simplexNoise4D(float x, float y, float z, float w, unsigned seed)
{
    constexpr float F4 = 0.309017f;
    constexpr float G4 = 0.1381966f;

    const float in[4] = {x, y, z, w};
    const float t = (x + y + z + w) * F4;
    std::int32_t idx[4];
    std::int32_t indexSum = 0;
    for (unsigned a = 0; a < 4; ++a) {
        idx[a] = fastFloor(in[a] + t);
        indexSum = wrappedSum(indexSum, idx[a]);
    }
    const float u = static_cast<float>(indexSum) * G4;
    float origin[4];
    for (unsigned a = 0; a < 4; ++a)
        origin[a] = in[a] - (static_cast<float>(idx[a]) - u);

    const unsigned row = (origin[0] > origin[1] ? 32u : 0u) + (origin[0] > origin[2] ? 16u : 0u)
                         + (origin[1] > origin[2] ? 8u : 0u) + (origin[0] > origin[3] ? 4u : 0u)
                         + (origin[1] > origin[3] ? 2u : 0u) + (origin[2] > origin[3] ? 1u : 0u);
    const auto& rank = simplex[row];

    const std::uint32_t s = seed & 255u;
    std::uint32_t levels[4];
    for (unsigned a = 0; a < 4; ++a)
        levels[a] = simplexLevel(s, a, idx[a]);

    float sum = 0.0f;
    for (unsigned m = 0; m < 5; ++m) {
        // Corner m steps along each axis whose rank is at least 4 - m; the last one along all.
        const float shift = static_cast<float>(m) * G4;
        std::uint32_t step[4];
        float d[4];
        for (unsigned a = 0; a < 4; ++a) {
            step[a] = (m > 0 && rank[a] + m >= 4u) ? 1u : 0u;
            d[a] = origin[a] - static_cast<float>(step[a]) + shift;
        }
        const float weight = 0.6f - d[0] * d[0] - d[1] * d[1] - d[2] * d[2] - d[3] * d[3];
        if (weight > 0.0f) {
            const std::uint32_t h = noise_perm[noise_perm[noise_perm[noise_perm[levels[0] + step[0]] + levels[1] + step[1]]
                                                          + levels[2] + step[2]]
                                               + levels[3] + step[3]];
            sum += pow4(weight) * gradient4D(h, d[0], d[1], d[2], d[3]);
        }
    }
    return sum * 23.0f;
}

} // namespace KelUtils

#include "effects/FractalNoise.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace KelUtils {

namespace {

constexpr float kMinFraction = 0.001f;

// Whole octaves; a count that does not fit an int is clamped rather than left undefined.
std::int32_t wholeOctaves(float octaves)
{
    if (!(octaves > -2147483648.0f))
        return 0;
    if (octaves >= 2147483648.0f)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(octaves);
}

template <std::size_t D>
using Point = std::array<float, D>;

template <std::size_t D>
Point<D> scaled(Point<D> p, float factor)
{
    for (float& c : p)
        c *= factor;
    return p;
}

template <std::size_t D, typename Basis>
float addSum(Point<D> p, Basis basis, float octaves, float increment, float lacunarity)
{
    float sum = basis(p);
    float amplitude = 1.0f;
    float norm = 2.0f;
    const std::int32_t n = wholeOctaves(octaves);
    for (std::int32_t k = 1; k < n; ++k) {
        p = scaled(p, lacunarity);
        amplitude *= increment;
        sum += basis(p) * amplitude;
        norm += amplitude;
    }
    const float rest = octaves - static_cast<float>(n);
    if (rest > kMinFraction) {
        const float weight = amplitude * increment * rest;
        sum += basis(scaled(p, lacunarity)) * weight;
        norm += weight;
    }
    return sum / norm;
}

template <std::size_t D, typename Basis>
float addAbsSum(Point<D> p, Basis basis, float octaves, float increment, float lacunarity)
{
    const std::int32_t n = wholeOctaves(octaves);
    float amplitude = 1.0f;
    float sum = 0.0f;
    float norm = 1.0f;
    std::int32_t taken = 0;
    for (;;) {
        const float v = std::fabs(basis(p));
        norm += amplitude;
        sum += v * amplitude;
        if (++taken >= n)
            break;
        p = scaled(p, lacunarity);
        amplitude *= increment;
    }
    const float rest = octaves - static_cast<float>(n);
    if (rest > kMinFraction) {
        const float weight = amplitude * increment * rest;
        sum += std::fabs(basis(scaled(p, lacunarity))) * weight;
        norm += weight;
    }
    return sum / norm;
}

template <std::size_t D, typename Basis>
float mulSum(Point<D> p, Basis basis, int octaves, float increment, float lacunarity, float bias)
{
    float product = basis(p) + bias;
    float amplitude = 1.0f;
    for (int k = 1; k < octaves; ++k) {
        p = scaled(p, lacunarity);
        amplitude *= increment;
        product *= (basis(p) + bias) * amplitude;
    }
    return product;
}

// A missing basis reads as 0 rather than crashing.
auto bind(NoiseFunction1D f, unsigned seed)
{
    return [f, seed](const Point<1>& p) { return f != nullptr ? f(p[0], seed) : 0.0f; };
}

auto bind(NoiseFunction2D f, unsigned seed)
{
    return [f, seed](const Point<2>& p) { return f != nullptr ? f(p[0], p[1], seed) : 0.0f; };
}

auto bind(NoiseFunction3D f, unsigned seed)
{
    return [f, seed](const Point<3>& p) { return f != nullptr ? f(p[0], p[1], p[2], seed) : 0.0f; };
}

auto bind(NoiseFunction4D f, unsigned seed)
{
    return [f, seed](const Point<4>& p) { return f != nullptr ? f(p[0], p[1], p[2], p[3], seed) : 0.0f; };
}

} // namespace

float fractalNoiseAdd1D(float x, NoiseFunction1D basis, float octaves, float increment, float lacunarity,
                        unsigned seed)
{
    return addSum(Point<1>{x}, bind(basis, seed), octaves, increment, lacunarity);
}

float fractalNoiseAdd2D(float x, float y, NoiseFunction2D basis, float octaves, float increment, float lacunarity,
                        unsigned seed)
{
    return addSum(Point<2>{x, y}, bind(basis, seed), octaves, increment, lacunarity);
}

float fractalNoiseAdd3D(float x, float y, float z, NoiseFunction3D basis, float octaves, float increment,
                        float lacunarity, unsigned seed)
{
    return addSum(Point<3>{x, y, z}, bind(basis, seed), octaves, increment, lacunarity);
}

float fractalNoiseAdd4D(float x, float y, float z, float w, NoiseFunction4D basis, float octaves, float increment,
                        float lacunarity, unsigned seed)
{
    return addSum(Point<4>{x, y, z, w}, bind(basis, seed), octaves, increment, lacunarity);
}

float fractalNoiseAddAbs1D(float x, NoiseFunction1D basis, float octaves, float increment, float lacunarity,
                           unsigned seed)
{
    return addAbsSum(Point<1>{x}, bind(basis, seed), octaves, increment, lacunarity);
}

float fractalNoiseAddAbs2D(float x, float y, NoiseFunction2D basis, float octaves, float increment,
                           float lacunarity, unsigned seed)
{
    return addAbsSum(Point<2>{x, y}, bind(basis, seed), octaves, increment, lacunarity);
}

float fractalNoiseAddAbs3D(float x, float y, float z, NoiseFunction3D basis, float octaves, float increment,
                           float lacunarity, unsigned seed)
{
    return addAbsSum(Point<3>{x, y, z}, bind(basis, seed), octaves, increment, lacunarity);
}

float fractalNoiseAddAbs4D(float x, float y, float z, float w, NoiseFunction4D basis, float octaves,
                           float increment, float lacunarity, unsigned seed)
{
    return addAbsSum(Point<4>{x, y, z, w}, bind(basis, seed), octaves, increment, lacunarity);
}

float fractalNoiseMul1D(float x, NoiseFunction1D basis, int octaves, float increment, float lacunarity, float bias,
                        unsigned seed)
{
    return mulSum(Point<1>{x}, bind(basis, seed), octaves, increment, lacunarity, bias);
}

float fractalNoiseMul2D(float x, float y, NoiseFunction2D basis, int octaves, float increment, float lacunarity,
                        float bias, unsigned seed)
{
    return mulSum(Point<2>{x, y}, bind(basis, seed), octaves, increment, lacunarity, bias);
}

float fractalNoiseMul3D(float x, float y, float z, NoiseFunction3D basis, int octaves, float increment,
                        float lacunarity, float bias, unsigned seed)
{
    return mulSum(Point<3>{x, y, z}, bind(basis, seed), octaves, increment, lacunarity, bias);
}

float fractalNoiseMul4D(float x, float y, float z, float w, NoiseFunction4D basis, int octaves, float increment,
                        float lacunarity, float bias, unsigned seed)
{
    return mulSum(Point<4>{x, y, z, w}, bind(basis, seed), octaves, increment, lacunarity, bias);
}

} // namespace KelUtils

#include "effects/LatticeNoise.h"

#include "effects/NoiseHelpers.h"

#include <cstdint>

namespace KelUtils {

namespace {

constexpr float kCellShift = 0.00137f;

constexpr std::uint32_t kPrimeX = 3290387u;
constexpr std::uint32_t kPrimeY = 4433105u;
constexpr std::uint32_t kPrimeZ = 6876199u;
constexpr std::uint32_t kPrimeW = 9968761u;

std::uint32_t axisHash(std::int32_t index, std::uint32_t prime)
{
    return static_cast<std::uint32_t>(index) * prime;
}

// Shifted coordinate of one axis with its cell index and the weight of the lower corner.
struct Axis
{
    std::uint32_t hash;     // index x prime
    std::uint32_t nextHash; // (index + 1) x prime
    float weight;           // (index + 1) - shifted coordinate
};

Axis filteredAxis(float t, std::uint32_t prime)
{
    const float shifted = t + kCellShift;
    const std::int32_t i = fastFloor(shifted);
    const std::uint32_t hash = axisHash(i, prime);
    return {hash, hash + prime, lowerCornerWeight(shifted, i)};
}

// Sum of the corner values, each weighted by the product of its per-axis weights;
// corners in order with x varying fastest, as in two dimensions.
template <unsigned Dims>
float interpolateCorners(const Axis (&axes)[Dims], std::uint32_t seed)
{
    float v = 0.0f;
    for (unsigned corner = 0; corner < (1u << Dims); ++corner) {
        std::uint32_t h = seed;
        for (unsigned k = 0; k < Dims; ++k)
            h += ((corner >> k) & 1u) != 0u ? axes[k].nextHash : axes[k].hash;
        float term = unitRandom(h);
        for (unsigned k = 0; k < Dims; ++k)
            term *= ((corner >> k) & 1u) != 0u ? 1.0f - axes[k].weight : axes[k].weight;
        v += term;
    }
    return v;
}

} // namespace

float randomNoise1D(float x, unsigned seed)
{
    const std::uint32_t h = seed + axisHash(fastFloor(x + kCellShift), kPrimeX);
    return 2.0f * unitRandom(h) - 1.0f;
}

float randomNoise2D(float x, float y, unsigned seed)
{
    const std::uint32_t h = seed + axisHash(fastFloor(x + kCellShift), kPrimeX)
                            + axisHash(fastFloor(y + kCellShift), kPrimeY);
    return 2.0f * unitRandom(h) - 1.0f;
}

float randomNoise3D(float x, float y, float z, unsigned seed)
{
    const std::uint32_t h = seed + axisHash(fastFloor(x + kCellShift), kPrimeX)
                            + axisHash(fastFloor(y + kCellShift), kPrimeY)
                            + axisHash(fastFloor(z + kCellShift), kPrimeZ);
    return 2.0f * unitRandom(h) - 1.0f;
}

float randomNoise4D(float x, float y, float z, float w, unsigned seed)
{
    const std::uint32_t h = seed + axisHash(fastFloor(x + kCellShift), kPrimeX)
                            + axisHash(fastFloor(y + kCellShift), kPrimeY)
                            + axisHash(fastFloor(z + kCellShift), kPrimeZ)
                            + axisHash(fastFloor(w + kCellShift), kPrimeW);
    return 2.0f * unitRandom(h) - 1.0f;
}

float randomNoiseFiltered1D(float x, unsigned seed)
{
    const Axis ax = filteredAxis(x, kPrimeX);
    const float a = ax.weight;
    const float v = unitRandom(seed + ax.hash) * a + unitRandom(seed + ax.nextHash) * (1.0f - a);
    return 2.0f * v - 1.0f;
}

float randomNoiseFiltered2D(float x, float y, unsigned seed)
{
    const Axis ax = filteredAxis(x, kPrimeX);
    const Axis ay = filteredAxis(y, kPrimeY);
    const float a = ax.weight;
    const float b = ay.weight;
    const float q00 = unitRandom(seed + ax.hash + ay.hash);
    const float q10 = unitRandom(seed + ax.nextHash + ay.hash);
    const float q01 = unitRandom(seed + ax.hash + ay.nextHash);
    const float q11 = unitRandom(seed + ax.nextHash + ay.nextHash);
    const float v = q00 * a * b + q10 * (1.0f - a) * b + q01 * a * (1.0f - b) + q11 * (1.0f - a) * (1.0f - b);
    return 2.0f * v - 1.0f;
}

float randomNoiseFiltered3D(float x, float y, float z, unsigned seed)
{
    const Axis axes[3] = {filteredAxis(x, kPrimeX), filteredAxis(y, kPrimeY), filteredAxis(z, kPrimeZ)};
    return 2.0f * interpolateCorners(axes, seed) - 1.0f;
}

float randomNoiseFiltered4D(float x, float y, float z, float w, unsigned seed)
{
    const Axis axes[4] = {filteredAxis(x, kPrimeX), filteredAxis(y, kPrimeY), filteredAxis(z, kPrimeZ),
                          filteredAxis(w, kPrimeW)};
    return 2.0f * interpolateCorners(axes, seed) - 1.0f;
}

} // namespace KelUtils

#include "effects/CellularPoints.h"

#include "effects/NoiseHelpers.h"

#include <cmath>

namespace KelUtils {

namespace {

std::uint32_t cellHash(int i, int j, std::uint32_t base)
{
    return static_cast<std::uint32_t>(i) * 702395077u + static_cast<std::uint32_t>(j) * 915488749u + base;
}

std::uint32_t cellHash(int i, int j, int k, std::uint32_t base)
{
    return static_cast<std::uint32_t>(i) * 702395077u + static_cast<std::uint32_t>(j) * 915488749u
           + static_cast<std::uint32_t>(k) * 2120969693u + base;
}

// Offset from the sample to the cell's feature point along one axis.
float offset(int cell, std::uint32_t h, float sample)
{
    return (static_cast<float>(cell) + unitRandom(h)) - sample;
}

float euclidean(int i, int j, std::uint32_t h, float x, float y)
{
    const float dx = offset(i, h, x);
    const float dy = offset(j, h + 1u, y);
    return dx * dx + dy * dy;
}

float euclidean(int i, int j, int k, std::uint32_t h, float x, float y, float z)
{
    const float dx = offset(i, h, x);
    const float dy = offset(j, h + 1u, y);
    const float dz = offset(k, h + 2u, z);
    return dx * dx + dy * dy + dz * dz;
}

float cityBlock(int i, int j, std::uint32_t h, float x, float y)
{
    return std::fabs(offset(i, h, x)) + std::fabs(offset(j, h + 1u, y));
}

float cityBlock(int i, int j, int k, std::uint32_t h, float x, float y, float z)
{
    return std::fabs(offset(i, h, x)) + std::fabs(offset(j, h + 1u, y)) + std::fabs(offset(k, h + 2u, z));
}

int insertNearest(float& f1, float d, int count)
{
    for (int m = 0; m < count; ++m) {
        if (d < f1)
            f1 = d;
    }
    return count;
}

int insertPair(DistancePair& distances, float d, int count)
{
    for (int m = 0; m < count; ++m)
        distances.insert(d);
    return count;
}

int insertIdentified(DistancePair& distances, std::uint32_t& identity, float d, std::uint32_t h, int count)
{
    for (int m = 0; m < count; ++m) {
        if (distances.insert(d))
            identity = h + static_cast<std::uint32_t>(m);
    }
    return count;
}

} // namespace

int cellularPointCount(unsigned seed)
{
    return poisson_count[seed >> 24];
}

int worleyF1AddPoints2D(float& f1, int i, int j, float x, float y, unsigned seed)
{
    return insertNearest(f1, euclidean(i, j, cellHash(i, j, seed), x, y), cellularPointCount(seed));
}

int worleyF1AddPoints3D(float& f1, int i, int j, int k, float x, float y, float z, unsigned seed)
{
    return insertNearest(f1, euclidean(i, j, k, cellHash(i, j, k, seed), x, y, z), cellularPointCount(seed));
}

int worleyF2AddPoints2D(DistancePair& distances, int i, int j, float x, float y, unsigned seed)
{
    return insertPair(distances, euclidean(i, j, cellHash(i, j, seed), x, y), cellularPointCount(seed));
}

int worleyF2AddPoints3D(DistancePair& distances, int i, int j, int k, float x, float y, float z, unsigned seed)
{
    return insertPair(distances, euclidean(i, j, k, cellHash(i, j, k, seed), x, y, z), cellularPointCount(seed));
}

int manhattanF1AddPoints2D(float& f1, int i, int j, float x, float y, unsigned seed)
{
    return insertNearest(f1, cityBlock(i, j, cellHash(i, j, seed), x, y), cellularPointCount(seed));
}

int manhattanF1AddPoints3D(float& f1, int i, int j, int k, float x, float y, float z, unsigned seed)
{
    return insertNearest(f1, cityBlock(i, j, k, cellHash(i, j, k, seed), x, y, z), cellularPointCount(seed));
}

int manhattanF2AddPoints2D(DistancePair& distances, int i, int j, float x, float y, unsigned seed)
{
    return insertPair(distances, cityBlock(i, j, cellHash(i, j, seed), x, y), cellularPointCount(seed));
}

int manhattanF2AddPoints3D(DistancePair& distances, int i, int j, int k, float x, float y, float z,
                           unsigned seed)
{
    return insertPair(distances, cityBlock(i, j, k, cellHash(i, j, k, seed), x, y, z), cellularPointCount(seed));
}

int voronoiAddPoints2D(DistancePair& distances, std::uint32_t& identity, int i, int j, float x, float y,
                       unsigned seed)
{
    const std::uint32_t h = cellHash(i, j, seed << 5);
    return insertIdentified(distances, identity, euclidean(i, j, h, x, y), h, cellularPointCount(seed));
}

int voronoiAddPoints3D(DistancePair& distances, std::uint32_t& identity, int i, int j, int k, float x, float y,
                       float z, unsigned seed)
{
    const std::uint32_t h = cellHash(i, j, k, seed << 5);
    return insertIdentified(distances, identity, euclidean(i, j, k, h, x, y, z), h, cellularPointCount(seed));
}

} // namespace KelUtils

#pragma once

#include "effects/CellularPoints.h"

#include <cstdint>

// Cellular noises: values derived from the distances F1 (nearest) and F2 (second
// nearest) from the sample to the cells' feature points, or from the identity of the
// nearest point. Worley and Voronoi measure squared Euclidean distance, Manhattan the
// city-block distance. Where no feature point exists (seeds whose top byte selects a
// count of 0) both distances stay DistancePair::far and the identity is 0.
namespace KelUtils {

float worleyF1Noise2D(float x, float y, unsigned seed);             // F1 - 0.4
float worleyF1Noise3D(float x, float y, float z, unsigned seed);
float worleyF2Noise2D(float x, float y, unsigned seed);             // F2 - 0.6
float worleyF2Noise3D(float x, float y, float z, unsigned seed);
float manhattanF1Noise2D(float x, float y, unsigned seed);          // F1 - 0.7
float manhattanF1Noise3D(float x, float y, float z, unsigned seed);
float manhattanF2Noise2D(float x, float y, unsigned seed);          // F2 - 1.1
float manhattanF2Noise3D(float x, float y, float z, unsigned seed);
float voronoiNoise2D(float x, float y, unsigned seed);              // unit random(identity) - 0.5
float voronoiNoise3D(float x, float y, float z, unsigned seed);
float voronoiF1F2Noise2D(float x, float y, unsigned seed);          // 2 (F2 - F1) - 0.5
float voronoiF1F2Noise3D(float x, float y, float z, unsigned seed);
float voronoiCracksNoise2D(float x, float y, unsigned seed);        // 0.5 when F2 > 1.1 F1, else -0.5
float voronoiCracksNoise3D(float x, float y, float z, unsigned seed);

// The Voronoi search: starts from a fresh distance pair and identity 0 and prunes
// against F1 when n is 0, against F2 otherwise.
void baseVoronoiNoise2D(float x, float y, unsigned seed, int n, DistancePair& distances, std::uint32_t& identity);
void baseVoronoiNoise3D(float x, float y, float z, unsigned seed, int n, DistancePair& distances,
                        std::uint32_t& identity);

} // namespace KelUtils

#pragma once

#include <cstdint>

// Feature points of the cellular noises. Space is cut into unit cells; cell (i, j[, k])
// holds one pseudo-random point per count taken from poisson_count by the seed's top
// byte (one point for every seed below 2^24). The helpers insert one cell's point into
// the running distances; their result is how many times the point was taken.
namespace KelUtils {

// The two nearest distances found so far, F1 <= F2; "far" until a point is inserted.
struct DistancePair
{
    static constexpr float far = 1000000.0f;

    float f1 = far;
    float f2 = far;

    // Returns true when d became the new nearest distance.
    bool insert(float d)
    {
        if (d < f1) {
            f2 = f1;
            f1 = d;
            return true;
        }
        if (d < f2)
            f2 = d;
        return false;
    }
};

// Times each cell's point is taken for this seed.
int cellularPointCount(unsigned seed);

// Squared Euclidean distance, nearest only.
int worleyF1AddPoints2D(float& f1, int i, int j, float x, float y, unsigned seed);
int worleyF1AddPoints3D(float& f1, int i, int j, int k, float x, float y, float z, unsigned seed);
// Squared Euclidean distance, nearest two.
int worleyF2AddPoints2D(DistancePair& distances, int i, int j, float x, float y, unsigned seed);
int worleyF2AddPoints3D(DistancePair& distances, int i, int j, int k, float x, float y, float z, unsigned seed);

// City-block distance, nearest only and nearest two.
int manhattanF1AddPoints2D(float& f1, int i, int j, float x, float y, unsigned seed);
int manhattanF1AddPoints3D(float& f1, int i, int j, int k, float x, float y, float z, unsigned seed);
int manhattanF2AddPoints2D(DistancePair& distances, int i, int j, float x, float y, unsigned seed);
int manhattanF2AddPoints3D(DistancePair& distances, int i, int j, int k, float x, float y, float z,
                           unsigned seed);

// Squared Euclidean distance, nearest two, with the identity of the nearest point: the
// cell hash (built with seed x 32), plus m for the m-th time the point is taken.
int voronoiAddPoints2D(DistancePair& distances, std::uint32_t& identity, int i, int j, float x, float y,
                       unsigned seed);
int voronoiAddPoints3D(DistancePair& distances, std::uint32_t& identity, int i, int j, int k, float x, float y,
                       float z, unsigned seed);

} // namespace KelUtils

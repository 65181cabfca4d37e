#include "effects/CellularNoise.h"

#include "effects/NoiseHelpers.h"

#include <cmath>
#include <cstdlib>

namespace KelUtils {

namespace {

enum class Metric { Euclidean, CityBlock };

int wrappedAdd(int a, int b)
{
    return static_cast<int>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

float metricGap(Metric metric, float gap)
{
    return metric == Metric::Euclidean ? gap * gap : std::fabs(gap);
}

// The sample's cell and its position in it. Without feature points, or where the cell
// index would not fit 32 bits (the points could never come near), nothing is searched.
template <unsigned Dims>
struct Cell
{
    int index[Dims];
    float fraction[Dims];
    bool searchable = true;

    Cell(const float (&p)[Dims], unsigned seed)
    {
        for (unsigned a = 0; a < Dims; ++a) {
            index[a] = fastFloor(p[a]);
            fraction[a] = latticeFraction(p[a], index[a]);
            searchable = searchable && fitsLattice(p[a]);
        }
        searchable = searchable && cellularPointCount(seed) > 0;
    }
};

// Own cell first, then the eight neighbours nearest first, skipping those that cannot
// come closer than the pruning distance.
template <typename Insert>
void search2D(const Cell<2>& cell, Metric metric, const float& prune, Insert insert)
{
    if (!cell.searchable)
        return;
    insert(cell.index[0], cell.index[1]);

    const float left = metricGap(metric, cell.fraction[0]);
    const float right = metricGap(metric, 1.0f - cell.fraction[0]);
    const float down = metricGap(metric, cell.fraction[1]);
    const float up = metricGap(metric, 1.0f - cell.fraction[1]);

    struct Neighbour
    {
        int di;
        int dj;
        float bound;
    };
    const Neighbour all[8] = {{-1, 0, left},        {1, 0, right},       {0, -1, down},        {0, 1, up},
                              {-1, 1, left + up},   {1, 1, right + up},  {-1, -1, left + down}, {1, -1, right + down}};
    Neighbour list[8];
    int count = 0;
    for (const Neighbour& n : all) {
        if (n.bound < prune)
            list[count++] = n;
    }
    if (count == 0)
        return;

    // Stable: equal bounds keep their list order.
    for (int a = 1; a < count; ++a) {
        const Neighbour n = list[a];
        int b = a;
        for (; b > 0 && list[b - 1].bound > n.bound; --b)
            list[b] = list[b - 1];
        list[b] = n;
    }

    for (int a = 0; a < count; ++a) {
        if (a > 0 && !(list[a].bound < prune))
            break;
        insert(wrappedAdd(cell.index[0], list[a].di), wrappedAdd(cell.index[1], list[a].dj));
    }
}

float shellGap(Metric metric, int offset, float fraction)
{
    if (offset == 0)
        return 0.0f;
    const float gap = offset > 0 ? static_cast<float>(offset) - fraction : static_cast<float>(offset) + 1.0f - fraction;
    return metricGap(metric, gap);
}

// Own cell, then shells of growing radius until a shell has no cell close enough.
template <typename Insert>
void search3D(const Cell<3>& cell, Metric metric, const float& prune, Insert insert)
{
    if (!cell.searchable)
        return;
    insert(cell.index[0], cell.index[1], cell.index[2]);

    for (int r = 1;; ++r) {
        bool anyInserted = false;
        for (int dj = -r; dj <= r; ++dj) {
            for (int dk = -r; dk <= r; ++dk) {
                // Inside the shell's faces in y and z only the x faces belong to the shell.
                const bool yzFace = std::abs(dj) == r || std::abs(dk) == r;
                for (int di = -r; di <= r; di += yzFace ? 1 : 2 * r) {
                    const float bound = shellGap(metric, di, cell.fraction[0]) + shellGap(metric, dj, cell.fraction[1])
                                        + shellGap(metric, dk, cell.fraction[2]);
                    if (bound < prune) {
                        insert(wrappedAdd(cell.index[0], di), wrappedAdd(cell.index[1], dj),
                               wrappedAdd(cell.index[2], dk));
                        anyInserted = true;
                    }
                }
            }
        }
        if (!anyInserted)
            return;
    }
}

float nearest2D(float x, float y, unsigned seed, Metric metric)
{
    const Cell<2> cell({x, y}, seed);
    float f1 = DistancePair::far;
    const auto add = metric == Metric::Euclidean ? worleyF1AddPoints2D : manhattanF1AddPoints2D;
    search2D(cell, metric, f1, [&](int i, int j) { add(f1, i, j, x, y, seed); });
    return f1;
}

float secondNearest2D(float x, float y, unsigned seed, Metric metric)
{
    const Cell<2> cell({x, y}, seed);
    DistancePair distances;
    const auto add = metric == Metric::Euclidean ? worleyF2AddPoints2D : manhattanF2AddPoints2D;
    search2D(cell, metric, distances.f2, [&](int i, int j) { add(distances, i, j, x, y, seed); });
    return distances.f2;
}

float nearest3D(float x, float y, float z, unsigned seed, Metric metric)
{
    const Cell<3> cell({x, y, z}, seed);
    float f1 = DistancePair::far;
    const auto add = metric == Metric::Euclidean ? worleyF1AddPoints3D : manhattanF1AddPoints3D;
    search3D(cell, metric, f1, [&](int i, int j, int k) { add(f1, i, j, k, x, y, z, seed); });
    return f1;
}

float secondNearest3D(float x, float y, float z, unsigned seed, Metric metric)
{
    const Cell<3> cell({x, y, z}, seed);
    DistancePair distances;
    const auto add = metric == Metric::Euclidean ? worleyF2AddPoints3D : manhattanF2AddPoints3D;
    search3D(cell, metric, distances.f2, [&](int i, int j, int k) { add(distances, i, j, k, x, y, z, seed); });
    return distances.f2;
}

float crack(const DistancePair& distances)
{
    return cracks_values[distances.f2 > 1.1f * distances.f1 ? 1 : 0];
}

} // namespace

void baseVoronoiNoise2D(float x, float y, unsigned seed, int n, DistancePair& distances, std::uint32_t& identity)
{
    distances = DistancePair();
    identity = 0;
    const Cell<2> cell({x, y}, seed);
    const float& prune = n == 0 ? distances.f1 : distances.f2;
    search2D(cell, Metric::Euclidean, prune,
             [&](int i, int j) { voronoiAddPoints2D(distances, identity, i, j, x, y, seed); });
}

void baseVoronoiNoise3D(float x, float y, float z, unsigned seed, int n, DistancePair& distances,
                        std::uint32_t& identity)
{
    distances = DistancePair();
    identity = 0;
    const Cell<3> cell({x, y, z}, seed);
    const float& prune = n == 0 ? distances.f1 : distances.f2;
    search3D(cell, Metric::Euclidean, prune,
             [&](int i, int j, int k) { voronoiAddPoints3D(distances, identity, i, j, k, x, y, z, seed); });
}

float worleyF1Noise2D(float x, float y, unsigned seed)
{
    return nearest2D(x, y, seed, Metric::Euclidean) - 0.4f;
}

float worleyF1Noise3D(float x, float y, float z, unsigned seed)
{
    return nearest3D(x, y, z, seed, Metric::Euclidean) - 0.4f;
}

float worleyF2Noise2D(float x, float y, unsigned seed)
{
    return secondNearest2D(x, y, seed, Metric::Euclidean) - 0.6f;
}

float worleyF2Noise3D(float x, float y, float z, unsigned seed)
{
    return secondNearest3D(x, y, z, seed, Metric::Euclidean) - 0.6f;
}

float manhattanF1Noise2D(float x, float y, unsigned seed)
{
    return nearest2D(x, y, seed, Metric::CityBlock) - 0.7f;
}

float manhattanF1Noise3D(float x, float y, float z, unsigned seed)
{
    return nearest3D(x, y, z, seed, Metric::CityBlock) - 0.7f;
}

float manhattanF2Noise2D(float x, float y, unsigned seed)
{
    return secondNearest2D(x, y, seed, Metric::CityBlock) - 1.1f;
}

float manhattanF2Noise3D(float x, float y, float z, unsigned seed)
{
    return secondNearest3D(x, y, z, seed, Metric::CityBlock) - 1.1f;
}

float voronoiNoise2D(float x, float y, unsigned seed)
{
    DistancePair distances;
    std::uint32_t identity = 0;
    baseVoronoiNoise2D(x, y, seed, 0, distances, identity);
    return unitRandom(identity) - 0.5f;
}

float voronoiNoise3D(float x, float y, float z, unsigned seed)
{
    DistancePair distances;
    std::uint32_t identity = 0;
    baseVoronoiNoise3D(x, y, z, seed, 0, distances, identity);
    return unitRandom(identity) - 0.5f;
}

float voronoiF1F2Noise2D(float x, float y, unsigned seed)
{
    DistancePair distances;
    std::uint32_t identity = 0;
    baseVoronoiNoise2D(x, y, seed, 1, distances, identity);
    return 2.0f * (distances.f2 - distances.f1) - 0.5f;
}

float voronoiF1F2Noise3D(float x, float y, float z, unsigned seed)
{
    DistancePair distances;
    std::uint32_t identity = 0;
    baseVoronoiNoise3D(x, y, z, seed, 1, distances, identity);
    return 2.0f * (distances.f2 - distances.f1) - 0.5f;
}

float voronoiCracksNoise2D(float x, float y, unsigned seed)
{
    DistancePair distances;
    std::uint32_t identity = 0;
    baseVoronoiNoise2D(x, y, seed, 1, distances, identity);
    return crack(distances);
}

float voronoiCracksNoise3D(float x, float y, float z, unsigned seed)
{
    DistancePair distances;
    std::uint32_t identity = 0;
    baseVoronoiNoise3D(x, y, z, seed, 1, distances, identity);
    return crack(distances);
}

} // namespace KelUtils

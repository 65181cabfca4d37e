#include "effects/CellularNoise.h"
#include "effects/NoiseHelpers.h"
#include "effects/NoiseTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

using namespace KelUtils;

namespace {

enum class CellKind { Worley, Manhattan, Voronoi };

struct Nearest
{
    float f1 = 1000000.0f;
    float f2 = 1000000.0f;
    std::uint32_t identity = 0;
};

std::uint32_t hash2D(int i, int j, std::uint32_t base)
{
    return static_cast<std::uint32_t>(i) * 702395077u + static_cast<std::uint32_t>(j) * 915488749u + base;
}

std::uint32_t hash3D(int i, int j, int k, std::uint32_t base)
{
    return hash2D(i, j, base) + static_cast<std::uint32_t>(k) * 2120969693u;
}

std::uint32_t baseOf(CellKind kind, unsigned seed)
{
    return kind == CellKind::Voronoi ? seed << 5 : seed;
}

Nearest nearestOf(std::vector<std::pair<float, std::uint32_t>> found)
{
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Nearest n;
    if (!found.empty()) {
        n.f1 = found[0].first;
        n.identity = found[0].second;
    }
    if (found.size() > 1)
        n.f2 = found[1].first;
    return n;
}

// Every point of the block of cells around the sample, without pruning: 3 x 3 in two
// dimensions, 9 x 9 x 9 in three (pass z = NaN for two).
Nearest bruteForce(float x, float y, float z, unsigned seed, CellKind kind)
{
    const bool flat = std::isnan(z);
    const int reach = flat ? 1 : 4;
    const int count = poisson_count[seed >> 24];
    const int i0 = fastFloor(x);
    const int j0 = fastFloor(y);
    const int k0 = flat ? 0 : fastFloor(z);
    std::vector<std::pair<float, std::uint32_t>> found;
    for (int dj = -reach; dj <= reach; ++dj) {
        for (int dk = flat ? 0 : -reach; dk <= (flat ? 0 : reach); ++dk) {
            for (int di = -reach; di <= reach; ++di) {
                const int i = i0 + di;
                const int j = j0 + dj;
                const int k = k0 + dk;
                const std::uint32_t h = flat ? hash2D(i, j, baseOf(kind, seed)) : hash3D(i, j, k, baseOf(kind, seed));
                const float dx = (static_cast<float>(i) + unitRandom(h)) - x;
                const float dy = (static_cast<float>(j) + unitRandom(h + 1u)) - y;
                const float dz = flat ? 0.0f : (static_cast<float>(k) + unitRandom(h + 2u)) - z;
                float d = kind == CellKind::Manhattan ? std::fabs(dx) + std::fabs(dy) : dx * dx + dy * dy;
                if (!flat)
                    d = kind == CellKind::Manhattan ? d + std::fabs(dz) : d + dz * dz;
                for (int m = 0; m < count; ++m)
                    found.emplace_back(d, h + static_cast<std::uint32_t>(m));
            }
        }
    }
    return nearestOf(std::move(found));
}

Nearest bruteForce2D(float x, float y, unsigned seed, CellKind kind)
{
    return bruteForce(x, y, std::numeric_limits<float>::quiet_NaN(), seed, kind);
}

constexpr unsigned kNoPoints = 1u << 24;   // poisson_count[1] = 0
constexpr unsigned kTwoPoints = 2u << 24;  // poisson_count[2] = 2
constexpr unsigned kFivePoints = 3u << 24; // poisson_count[3] = 5

} // namespace

TEST(CellularNoise, SampleOnAFeaturePoint)
{
    // Cell (0, 0), seed 0: hash 0, point (unitRandom(0), unitRandom(1)).
    const float px = unitRandom(0);
    const float py = unitRandom(1);
    EXPECT_EQ(worleyF1Noise2D(px, py, 0), -0.4f);
    EXPECT_EQ(manhattanF1Noise2D(px, py, 0), -0.7f);
    EXPECT_EQ(voronoiCracksNoise2D(px, py, 0), 0.5f);

    // Worley hashes step by one per seed, so seed 1's point of cell (0, 0) is (unitRandom(1), unitRandom(2));
    // Voronoi hashes step by 32 per seed: (unitRandom(32), unitRandom(33)), whose identity is 32.
    EXPECT_EQ(worleyF1Noise2D(unitRandom(1), unitRandom(2), 1), -0.4f);
    const float vx = unitRandom(32);
    const float vy = unitRandom(33);
    EXPECT_EQ(voronoiNoise2D(vx, vy, 1), unitRandom(32) - 0.5f);
    DistancePair pair;
    std::uint32_t identity = 7;
    baseVoronoiNoise2D(vx, vy, 1, 1, pair, identity);
    EXPECT_EQ(pair.f1, 0.0f);
    EXPECT_EQ(identity, 32u);
    EXPECT_EQ(voronoiF1F2Noise2D(vx, vy, 1), 2.0f * pair.f2 - 0.5f);
}

TEST(CellularNoise, ReferenceValues)
{
    struct Case
    {
        float x, y;
        unsigned seed;
        float worleyF1, worleyF2, manhattanF1, manhattanF2, voronoi, voronoiF1F2, cracks;
    };
    // Worked out independently from the formulas in single precision.
    const Case cases[] = {
        {0.3f, 0.7f, 0u, -0x1.8eb038p-3f, -0x1.39ff82p-2f, -0x1.3e0be8p-3f, -0x1.c01268p-2f, 0x1.6f79c8p-2f,
         -0x1.4bb53p-2f, 0.5f},
        {1.25f, -2.5f, 3u, -0x1.76e27ap-3f, -0x1.d1ac8p-5f, -0x1.8024c8p-3f, -0x1.6e359p-3f, -0x1.ad1e7p-2f,
         0x1.0efa9p-2f, 0.5f},
        {10.1f, 4.2f, 77u, -0x1.a5ce3cp-3f, -0x1.5af0fp-2f, -0x1.8bead8p-3f, -0x1.d98708p-2f, -0x1.d4446p-3f,
         0x1.22129p-1f, 0.5f},
        {-7.6f, 3.3f, 4000000000u, -0x1.5c068cp-2f, -0x1.1469acp-1f, -0x1.cd645cp-2f, -0x1.b37efcp-1f,
         0x1.5524ap-4f, -0.5f, -0.5f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(worleyF1Noise2D(c.x, c.y, c.seed), c.worleyF1) << c.x;
        EXPECT_EQ(worleyF2Noise2D(c.x, c.y, c.seed), c.worleyF2) << c.x;
        EXPECT_EQ(manhattanF1Noise2D(c.x, c.y, c.seed), c.manhattanF1) << c.x;
        EXPECT_EQ(manhattanF2Noise2D(c.x, c.y, c.seed), c.manhattanF2) << c.x;
        EXPECT_EQ(voronoiNoise2D(c.x, c.y, c.seed), c.voronoi) << c.x;
        EXPECT_EQ(voronoiF1F2Noise2D(c.x, c.y, c.seed), c.voronoiF1F2) << c.x;
        EXPECT_EQ(voronoiCracksNoise2D(c.x, c.y, c.seed), c.cracks) << c.x;
    }
}

TEST(CellularNoise, PrunedSearchFindsTheNearestPointsOfTheBlock)
{
    bool sawCrack = false;
    bool sawPlateau = false;
    for (unsigned seed : {0u, 5u, 123456u, kTwoPoints + 3u, kFivePoints + 1u}) {
        for (float y = -3.1f; y < 3.0f; y += 0.173f) {
            for (float x = -3.05f; x < 3.0f; x += 0.131f) {
                const Nearest w = bruteForce2D(x, y, seed, CellKind::Worley);
                const Nearest m = bruteForce2D(x, y, seed, CellKind::Manhattan);
                const Nearest v = bruteForce2D(x, y, seed, CellKind::Voronoi);
                ASSERT_EQ(worleyF1Noise2D(x, y, seed), w.f1 - 0.4f) << x << ", " << y << " seed " << seed;
                ASSERT_EQ(worleyF2Noise2D(x, y, seed), w.f2 - 0.6f) << x << ", " << y << " seed " << seed;
                ASSERT_EQ(manhattanF1Noise2D(x, y, seed), m.f1 - 0.7f) << x << ", " << y << " seed " << seed;
                ASSERT_EQ(manhattanF2Noise2D(x, y, seed), m.f2 - 1.1f) << x << ", " << y << " seed " << seed;
                ASSERT_EQ(voronoiNoise2D(x, y, seed), unitRandom(v.identity) - 0.5f) << x << ", " << y;
                ASSERT_EQ(voronoiF1F2Noise2D(x, y, seed), 2.0f * (v.f2 - v.f1) - 0.5f) << x << ", " << y;
                const bool crack = !(v.f2 > 1.1f * v.f1);
                ASSERT_EQ(voronoiCracksNoise2D(x, y, seed), crack ? -0.5f : 0.5f) << x << ", " << y;
                sawCrack = sawCrack || crack;
                sawPlateau = sawPlateau || !crack;
            }
        }
    }
    EXPECT_TRUE(sawCrack);
    EXPECT_TRUE(sawPlateau);
}

TEST(CellularNoise, NoFeaturePointLeavesFarDistancesAndIdentityZero)
{
    ASSERT_EQ(poisson_count[kNoPoints >> 24], 0);
    const float far = 1000000.0f;
    for (float x : {0.25f, -3.5f, 17.75f}) {
        const float y = x * 0.5f + 0.125f;
        EXPECT_EQ(worleyF1Noise2D(x, y, kNoPoints), far - 0.4f);
        EXPECT_EQ(worleyF2Noise2D(x, y, kNoPoints), far - 0.6f);
        EXPECT_EQ(manhattanF1Noise2D(x, y, kNoPoints), far - 0.7f);
        EXPECT_EQ(manhattanF2Noise2D(x, y, kNoPoints), far - 1.1f);
        EXPECT_EQ(voronoiNoise2D(x, y, kNoPoints), unitRandom(0) - 0.5f);
        EXPECT_EQ(voronoiF1F2Noise2D(x, y, kNoPoints), -0.5f);
        EXPECT_EQ(voronoiCracksNoise2D(x, y, kNoPoints), -0.5f);
        // Three dimensions end at once instead of walking shell after empty shell.
        EXPECT_EQ(manhattanF2Noise3D(x, y, x, kNoPoints), far - 1.1f);

        DistancePair pair{1.0f, 2.0f};
        std::uint32_t identity = 0xdeadbeef;
        baseVoronoiNoise2D(x, y, kNoPoints, 0, pair, identity);
        EXPECT_EQ(identity, 0u);
        EXPECT_EQ(pair.f2, far);
        identity = 0xdeadbeef;
        baseVoronoiNoise3D(x, y, x, kNoPoints, 1, pair, identity);
        EXPECT_EQ(identity, 0u);
    }
}

TEST(CellularNoise, HugeAndNonFiniteCoordinatesReturnAtOnce)
{
    const float far = 1000000.0f;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float c : {1e20f, -1e20f, 3e9f, inf, -inf, nan}) {
        EXPECT_EQ(worleyF1Noise2D(c, 0.5f, 3), far - 0.4f);
        EXPECT_EQ(manhattanF2Noise2D(0.5f, c, 3), far - 1.1f);
        EXPECT_EQ(voronoiNoise2D(c, c, 3), unitRandom(0) - 0.5f);
        EXPECT_EQ(worleyF2Noise3D(0.5f, 0.5f, c, 3), far - 0.6f);
        EXPECT_EQ(voronoiCracksNoise3D(c, 0.5f, 0.5f, 3), -0.5f);
    }
    // Large but representable coordinates still find their points.
    EXPECT_LT(worleyF1Noise2D(2e9f, -2e9f, 3), 3.0f);
    EXPECT_LT(manhattanF2Noise3D(1e9f, 5e8f, -7e8f, 3), 10.0f);
}

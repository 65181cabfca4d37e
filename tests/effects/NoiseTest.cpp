#include "effects/NoiseFunctions.h"
#include "effects/NoiseHelpers.h"
#include "effects/NoiseTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

using namespace KelUtils;

namespace {

// A float x whose shifted coordinate x + 0.00137 is exactly the whole number k.
float shiftedToWhole(float k)
{
    float x = k - 0.00137f;
    for (int step = 0; step < 64 && x + 0.00137f != k; ++step)
        x = std::nextafter(x, x + 0.00137f < k ? k : -std::numeric_limits<float>::infinity());
    return x;
}

struct Sample
{
    float x;
    float y;
    unsigned seed;
};

// Points and seeds of the reference values below, which were worked out independently
// from the formulas in single precision.
constexpr Sample kSamples[] = {{0.3f, 0.7f, 0u}, {1.25f, -2.5f, 3u}, {10.1f, 4.2f, 77u}, {-7.6f, 3.3f, 4000000000u}};

} // namespace

TEST(RandomNoise, HandWorkedValues)
{
    // Cell (0, 0), seed 0: hash 0, so 2 * unitRandom(0) - 1.
    EXPECT_EQ(randomNoise2D(0.5f, 0.5f, 0), (2.0f * 3681928.0f - 8388608.0f) / 8388608.0f);
    // Cell (1, 2), seed 5: hash 5 + 3290387 + 2 * 4433105.
    EXPECT_EQ(randomNoise2D(1.5f, 2.5f, 5), 2.0f * unitRandom(5u + 3290387u + 2u * 4433105u) - 1.0f);
    EXPECT_EQ(randomNoise1D(-0.5f, 9), 2.0f * unitRandom(9u - 3290387u) - 1.0f);
    EXPECT_EQ(randomNoise3D(0.5f, 0.5f, 1.5f, 0), 2.0f * unitRandom(6876199u) - 1.0f);
    EXPECT_EQ(randomNoise4D(0.5f, 0.5f, 0.5f, 2.5f, 1), 2.0f * unitRandom(1u + 2u * 9968761u) - 1.0f);

    const float expectedPlain[] = {-0x1.f45ep-4f, -0x1.c02fep-3f, -0x1.310758p-1f, -0x1.134cep-3f};
    const float expectedFiltered[] = {-0x1.4b84p-5f, -0x1.0f963p-4f, -0x1.b1c9p-2f, 0x1.b9a04p-5f};
    for (int n = 0; n < 4; ++n) {
        const Sample& s = kSamples[n];
        EXPECT_EQ(randomNoise2D(s.x, s.y, s.seed), expectedPlain[n]) << n;
        EXPECT_EQ(randomNoiseFiltered2D(s.x, s.y, s.seed), expectedFiltered[n]) << n;
    }
}

TEST(RandomNoise, ConstantOverCellsThatStartBelowWholeNumbers)
{
    const float inside = randomNoise2D(2.0f, 3.0f, 11);
    for (float x = 2.0f - 0.0013f; x < 3.0f - 0.0014f; x += 0.01f)
        for (float y = 3.0f - 0.0013f; y < 4.0f - 0.0014f; y += 0.01f)
            ASSERT_EQ(randomNoise2D(x, y, 11), inside) << x << ", " << y;
    EXPECT_NE(randomNoise2D(2.0f - 0.0015f, 3.5f, 11), inside);
    EXPECT_NE(randomNoise2D(3.0f - 0.0013f, 3.5f, 11), inside);

    // A shifted coordinate of exactly -2 belongs to the cell to its left.
    const float x = shiftedToWhole(-2.0f);
    ASSERT_EQ(x + 0.00137f, -2.0f);
    EXPECT_EQ(randomNoise2D(x, 0.5f, 4), randomNoise2D(-2.5f, 0.5f, 4));
    EXPECT_NE(randomNoise2D(x, 0.5f, 4), randomNoise2D(-1.5f, 0.5f, 4));
}

TEST(GradientNoise, HandWorkedCentreOfCell)
{
    // Seed 0: A = 215, B = 164; corner hashes 40, 53, 216, 32 give the gradients
    // (1.8, 1), (-1.8, -1) swapped, (1.8, 1), (1.8, 1); at (0.5, 0.5) the corner values
    // are 1.4, -0.4, -0.4, -1.4 and every fade weight is 0.5: the mean, -0.2.
    EXPECT_EQ(perlinNoise2D(0.5f, 0.5f, 0), -0x1.999998p-3f);
    EXPECT_FLOAT_EQ(perlinNoise2D(0.5f, 0.5f, 0), -0.2f);
    // One dimension at 0: c = 215, lo = 215, hi = 0; noise_perm[117] = 130, 130 & 15 = 2.
    EXPECT_EQ(perlinNoise1D(0.0f, 0), 0.4498f);

    const float expectedPerlin[] = {-0x1.d039e2p-3f, -0x1.27cp-1f, 0x1.e21aa4p-2f, -0x1.206c0cp-1f};
    const float expectedMusgrave[] = {-0x1.1ba876p-1f, 0x1.708744p-1f, 0x1.b9a638p-2f, 0x1.42a95cp-3f};
    for (int n = 0; n < 4; ++n) {
        const Sample& s = kSamples[n];
        EXPECT_EQ(perlinNoise2D(s.x, s.y, s.seed), expectedPerlin[n]) << n;
        EXPECT_EQ(musgraveNoise2D(s.x, s.y, s.seed), expectedMusgrave[n]) << n;
    }
}

TEST(GradientNoise, PeriodicAndContinuousAtNegativeWholeNumbers)
{
    // Lattice indexes wrap at 256, so shifting by 256 changes nothing.
    EXPECT_EQ(perlinNoise2D(0.25f, 0.3f, 7), perlinNoise2D(256.25f, 0.3f, 7));
    EXPECT_EQ(perlinNoise3D(0.25f, -3.75f, 1.5f, 7), perlinNoise3D(0.25f, 252.25f, 1.5f, 7));
    // At -2 the point sits at the right end of the cell to its left; the interpolation
    // gives the value the right-hand cell would (-2 and 254 share the lattice line).
    EXPECT_EQ(perlinNoise2D(-2.0f, 0.3f, 7), perlinNoise2D(254.0f, 0.3f, 7));
    EXPECT_NE(perlinNoise2D(-2.0f, 0.3f, 7), 0.0f);
    EXPECT_NEAR(perlinNoise1D(-2.0f, 7), perlinNoise1D(-1.9999f, 7), 1e-3f);
    EXPECT_NEAR(perlinNoise2D(-2.0f, 0.3f, 7), perlinNoise2D(-2.0001f, 0.3f, 7), 1e-3f);
    EXPECT_NEAR(perlinNoise2D(-2.0f, 0.3f, 7), perlinNoise2D(-1.9999f, 0.3f, 7), 1e-3f);
}

TEST(SimplexNoise, HandWorkedAndReferenceValues)
{
    // At the origin the only corner in reach is the origin itself, with zero offset.
    for (unsigned seed : {0u, 5u, 200u}) {
        EXPECT_EQ(simplexNoise2D(0.0f, 0.0f, seed), 0.0f);
        EXPECT_EQ(simplexNoise3D(0.0f, 0.0f, 0.0f, seed), 0.0f);
        EXPECT_EQ(simplexNoise4D(0.0f, 0.0f, 0.0f, 0.0f, seed), 0.0f);
    }
    // At whole x the one-dimensional simplex and gradient noises both give e0.
    for (int i = -4; i <= 4; ++i)
        EXPECT_EQ(simplexNoise1D(static_cast<float>(i), 3), perlinNoise1D(static_cast<float>(i), 3)) << i;

    const float expected[] = {-0x1.447bap-1f, 0x1.13c1bcp-1f, -0x1.43811ap-1f, 0x1.74d1d4p-1f};
    for (int n = 0; n < 4; ++n) {
        const Sample& s = kSamples[n];
        EXPECT_EQ(simplexNoise2D(s.x, s.y, s.seed), expected[n]) << n;
    }
}

namespace {

// Bases whose octaves can be summed by hand.
float basisX(float x, float, unsigned) { return x; }
float basisNegX(float x, float, unsigned) { return -x; }
float basisSeed(float, float, unsigned seed) { return static_cast<float>(seed); }
float basisX1(float x, unsigned) { return x; }
float basisX4(float x, float, float, float w, unsigned) { return x + w; }

} // namespace

TEST(FractalNoise, AdditiveSums)
{
    // Octaves at x 1, 2, 4 with amplitudes 1, 0.5, 0.25: (1 + 1 + 1) / (2 + 0.5 + 0.25).
    EXPECT_EQ(fractalNoiseAdd2D(1.0f, 0.0f, basisX, 3.0f, 0.5f, 2.0f, 0), 3.0f / 2.75f);
    // One octave: half the basis.
    EXPECT_EQ(fractalNoiseAdd2D(0.3f, 0.7f, perlinNoise2D, 1.0f, 0.5f, 2.0f, 4), perlinNoise2D(0.3f, 0.7f, 4) / 2.0f);
    // 1.5 octaves with increment 0.5: (b(x) + 0.25 b(2x)) / 2.25.
    const float b0 = perlinNoise2D(0.3f, 0.7f, 4);
    const float b1 = perlinNoise2D(0.6f, 1.4f, 4);
    EXPECT_EQ(fractalNoiseAdd2D(0.3f, 0.7f, perlinNoise2D, 1.5f, 0.5f, 2.0f, 4), (b0 + b1 * 0.25f) / 2.25f);
    // A fractional part up to 0.001 adds nothing.
    EXPECT_EQ(fractalNoiseAdd2D(0.3f, 0.7f, perlinNoise2D, 0.001f, 0.5f, 2.0f, 4), b0 / 2.0f);
    EXPECT_EQ(fractalNoiseAdd2D(0.3f, 0.7f, perlinNoise2D, 2.0009f, 0.5f, 2.0f, 4),
              fractalNoiseAdd2D(0.3f, 0.7f, perlinNoise2D, 2.0f, 0.5f, 2.0f, 4));
    EXPECT_NE(fractalNoiseAdd2D(0.3f, 0.7f, perlinNoise2D, 2.01f, 0.5f, 2.0f, 4),
              fractalNoiseAdd2D(0.3f, 0.7f, perlinNoise2D, 2.0f, 0.5f, 2.0f, 4));
    // The seed reaches every octave; every dimension scales every coordinate.
    EXPECT_EQ(fractalNoiseAdd2D(0.0f, 0.0f, basisSeed, 4.0f, 0.5f, 2.0f, 6), 6.0f * 1.875f / 2.875f);
    EXPECT_EQ(fractalNoiseAdd1D(1.0f, basisX1, 2.0f, 0.5f, 3.0f, 0), (1.0f + 3.0f * 0.5f) / 2.5f);
    EXPECT_EQ(fractalNoiseAdd4D(1.0f, 0.0f, 0.0f, 1.0f, basisX4, 2.0f, 0.5f, 3.0f, 0), (2.0f + 6.0f * 0.5f) / 2.5f);
}

TEST(FractalNoise, AbsoluteAndMultiplicativeSums)
{
    // |-1|, |-2|, |-4| with amplitudes 1, 0.5, 0.25 over 1 + 1.75.
    EXPECT_EQ(fractalNoiseAddAbs2D(1.0f, 0.0f, basisNegX, 3.0f, 0.5f, 2.0f, 0), 3.0f / 2.75f);
    // At least one octave, plus the fractional one: (1 + 0.5 * 0.5 * 2) / (2 + 0.25).
    EXPECT_EQ(fractalNoiseAddAbs2D(1.0f, 0.0f, basisNegX, 0.5f, 0.5f, 2.0f, 0), (1.0f + 2.0f * 0.25f) / 2.25f);

    // (1 + 1) * ((2 + 1) * 0.5) * ((4 + 1) * 0.25)
    EXPECT_EQ(fractalNoiseMul2D(1.0f, 0.0f, basisX, 3, 0.5f, 2.0f, 1.0f, 0), 3.75f);
    EXPECT_EQ(fractalNoiseMul2D(0.3f, 0.7f, perlinNoise2D, 1, 0.5f, 2.0f, 0.25f, 4),
              perlinNoise2D(0.3f, 0.7f, 4) + 0.25f);
    EXPECT_EQ(fractalNoiseMul2D(0.3f, 0.7f, perlinNoise2D, 0, 0.5f, 2.0f, 0.25f, 4),
              perlinNoise2D(0.3f, 0.7f, 4) + 0.25f);
}

TEST(FractalNoise, MissingBasisReadsAsZero)
{
    EXPECT_EQ(fractalNoiseAdd2D(1.0f, 2.0f, nullptr, 3.5f, 0.5f, 2.0f, 0), 0.0f);
    EXPECT_EQ(fractalNoiseAddAbs3D(1.0f, 2.0f, 3.0f, nullptr, 3.0f, 0.5f, 2.0f, 0), 0.0f);
    EXPECT_EQ(fractalNoiseMul1D(1.0f, nullptr, 3, 0.5f, 2.0f, 2.0f, 0), 2.0f * (2.0f * 0.5f) * (2.0f * 0.25f));
}

TEST(NoiseFunctions, HugeAndNonFiniteCoordinatesStayFinite)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float coordinates[] = {3e9f, -3e9f, 1e20f, -1e38f, 2147483520.0f, -2147483648.0f, inf, -inf, nan};
    for (float c : coordinates) {
        const float values[] = {randomNoise2D(c, 0.5f, 1),          randomNoiseFiltered2D(c, c, 1),
                                randomNoiseFiltered4D(c, 1.0f, c, 2.0f, 1), perlinNoise1D(c, 1),
                                perlinNoise2D(c, 0.5f, 1),          perlinNoise3D(0.5f, c, 0.5f, 1),
                                perlinNoise4D(c, c, 0.5f, 0.5f, 1), musgraveNoise2D(c, c, 1),
                                simplexNoise1D(c, 1),               simplexNoise2D(c, 0.5f, 1),
                                simplexNoise3D(c, 0.5f, 0.5f, 1),   simplexNoise4D(0.5f, c, 0.5f, 0.5f, 1)};
        for (float v : values)
            EXPECT_TRUE(std::isfinite(v)) << c;
    }
    // Fifteen octaves at lacunarity 5 carry ordinary coordinates far beyond 32 bits.
    for (float x = 0.0f; x < 4000.0f; x += 397.0f) {
        EXPECT_TRUE(std::isfinite(fractalNoiseAdd2D(x * 1.25f, x, perlinNoise2D, 15.0f, 2.0f, 5.0f, 3)));
        EXPECT_TRUE(std::isfinite(fractalNoiseAdd2D(x * 1.25f, x, simplexNoise2D, 15.0f, 0.01f, 5.0f, 3)));
        EXPECT_TRUE(std::isfinite(fractalNoiseAdd2D(x * 1.25f, x, randomNoiseFiltered2D, 14.5f, 2.0f, 5.0f, 3)));
    }
}

#pragma once

// Gradient ("Perlin") noise and the domain-warped gradient noise ("Musgrave"). Only the
// low 8 bits of the seed select the permutation offset, so seeds that agree in their
// low byte give the same noise. Gradient noise is 0 at whole-number coordinates.
namespace KelUtils {

// Value noise on the grad1 table, smoothly interpolated.
float perlinNoise1D(float x, unsigned seed);
float perlinNoise2D(float x, float y, unsigned seed);
float perlinNoise3D(float x, float y, float z, unsigned seed);
float perlinNoise4D(float x, float y, float z, float w, unsigned seed);

// Gradient noise evaluated at coordinates that are themselves gradient noise values.
float musgraveNoise1D(float x, unsigned seed);
float musgraveNoise2D(float x, float y, unsigned seed);
float musgraveNoise3D(float x, float y, float z, unsigned seed);
float musgraveNoise4D(float x, float y, float z, float w, unsigned seed);

} // namespace KelUtils

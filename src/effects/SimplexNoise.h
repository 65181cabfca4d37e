#pragma once

// Simplex noise: gradient contributions from the corners of the simplex that holds the
// point, each fading out with the distance to its corner. Like gradient noise, only the
// low 8 bits of the seed enter.
namespace KelUtils {

float simplexNoise1D(float x, unsigned seed);
float simplexNoise2D(float x, float y, unsigned seed);
float simplexNoise3D(float x, float y, float z, unsigned seed);
float simplexNoise4D(float x, float y, float z, float w, unsigned seed);

} // namespace KelUtils

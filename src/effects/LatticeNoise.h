#pragma once

// Lattice random noise: one hashed value per unit cell, plain (constant over the cell)
// or filtered (linearly interpolated between the cell corners). Cells start 0.00137
// below whole coordinates. Results lie in [-1, 1); the whole seed enters the hash.
namespace KelUtils {

float randomNoise1D(float x, unsigned seed);
float randomNoise2D(float x, float y, unsigned seed);
float randomNoise3D(float x, float y, float z, unsigned seed);
float randomNoise4D(float x, float y, float z, float w, unsigned seed);

float randomNoiseFiltered1D(float x, unsigned seed);
float randomNoiseFiltered2D(float x, float y, unsigned seed);
float randomNoiseFiltered3D(float x, float y, float z, unsigned seed);
float randomNoiseFiltered4D(float x, float y, float z, float w, unsigned seed);

} // namespace KelUtils

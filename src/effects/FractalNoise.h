#pragma once

// Fractal sums of a basis noise over several octaves: each further octave scales the
// coordinates by the lacunarity and the amplitude by the increment. Any noise function
// of the same dimension serves as basis.
namespace KelUtils {

using NoiseFunction1D = float (*)(float x, unsigned seed);
using NoiseFunction2D = float (*)(float x, float y, unsigned seed);
using NoiseFunction3D = float (*)(float x, float y, float z, unsigned seed);
using NoiseFunction4D = float (*)(float x, float y, float z, float w, unsigned seed);

// Normalised sum: (sum of weighted basis values) / (1 + sum of weights). The integer part
// of octaves counts whole octaves; a fractional part above 0.001 adds a partly weighted one.
float fractalNoiseAdd1D(float x, NoiseFunction1D basis, float octaves, float increment, float lacunarity,
                        unsigned seed);
float fractalNoiseAdd2D(float x, float y, NoiseFunction2D basis, float octaves, float increment, float lacunarity,
                        unsigned seed);
float fractalNoiseAdd3D(float x, float y, float z, NoiseFunction3D basis, float octaves, float increment,
                        float lacunarity, unsigned seed);
float fractalNoiseAdd4D(float x, float y, float z, float w, NoiseFunction4D basis, float octaves, float increment,
                        float lacunarity, unsigned seed);

// As the normalised sum, over the absolute basis values (always at least one octave).
float fractalNoiseAddAbs1D(float x, NoiseFunction1D basis, float octaves, float increment, float lacunarity,
                           unsigned seed);
float fractalNoiseAddAbs2D(float x, float y, NoiseFunction2D basis, float octaves, float increment,
                           float lacunarity, unsigned seed);
float fractalNoiseAddAbs3D(float x, float y, float z, NoiseFunction3D basis, float octaves, float increment,
                           float lacunarity, unsigned seed);
float fractalNoiseAddAbs4D(float x, float y, float z, float w, NoiseFunction4D basis, float octaves,
                           float increment, float lacunarity, unsigned seed);

// Multiplicative multifractal: the product of (basis + bias) x amplitude over the octaves,
// the first octave with amplitude 1; no fractional octave, no normalisation.
float fractalNoiseMul1D(float x, NoiseFunction1D basis, int octaves, float increment, float lacunarity, float bias,
                        unsigned seed);
float fractalNoiseMul2D(float x, float y, NoiseFunction2D basis, int octaves, float increment, float lacunarity,
                        float bias, unsigned seed);
float fractalNoiseMul3D(float x, float y, float z, NoiseFunction3D basis, int octaves, float increment,
                        float lacunarity, float bias, unsigned seed);
float fractalNoiseMul4D(float x, float y, float z, float w, NoiseFunction4D basis, int octaves, float increment,
                        float lacunarity, float bias, unsigned seed);

} // namespace KelUtils

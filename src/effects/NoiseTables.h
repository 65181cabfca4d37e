#pragma once

#include <array>
#include <cstdint>

// Constant tables shared by the procedural noise functions. They never change, so
// every noise function stays a pure function that any thread may call.
namespace KelUtils {

// A permutation of 0..255 stored twice in a row: a table value (below 256) plus a
// lattice index up to 256 indexes it directly, without masking.
extern const std::array<std::uint32_t, 512> noise_perm;

// Values of the one-dimensional gradient and simplex noises.
extern const std::array<float, 16> grad1;

// Corner ordering of four-dimensional simplex noise: the row is chosen by the six
// pairwise comparisons of the offsets, each entry is that axis's rank (0..3).
extern const std::array<std::array<std::uint8_t, 4>, 64> simplex;

// Feature points per cell of the cellular noises, indexed by the seed's top byte.
extern const std::array<std::int32_t, 256> poisson_count;

// Results of the cracks noises: near a cell border, elsewhere.
extern const std::array<float, 2> cracks_values;

} // namespace KelUtils

#pragma once

// Under the sanitizers every step of a test costs many times what it costs in the plain build,
// and their trees run on the same two cores as the rest of the continuous integration. A sweep
// over many cases (node types, shapes, depths, sizes) runs whole in the plain build and takes a
// sample under the sanitizers, one that still meets each kind of case.

namespace SanitizedSweep {

#if defined(VYX_SANITIZED_BUILD)
inline constexpr bool sanitized = true;
#else
inline constexpr bool sanitized = false;
#endif

// `full` in the plain build, `sampled` under the sanitizers.
template<class T>
constexpr T pick(T full, T sampled)
{
    return sanitized ? sampled : full;
}

// Whether case `index` of a sweep runs: every case in the plain build, every `stride`-th one
// (from `offset`) under the sanitizers.
constexpr bool takes(int index, int stride, int offset = 0)
{
    return !sanitized || stride <= 1 || index % stride == offset % stride;
}

} // namespace SanitizedSweep

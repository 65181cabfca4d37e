#include "effects/VectorRegisters.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define VYX_X86_VECTOR_STATE 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace KelVyxNodes {

#ifdef VYX_X86_VECTOR_STATE

namespace {

// The upper 128 bits of ymm0-15 and the upper 256 of zmm0-15, the state the instruction below
// clears.
constexpr unsigned long long kUpperHalvesInUse = (1ull << 2) | (1ull << 6);

bool hasAvx()
{
    // Also asks whether the system saves the registers' upper halves.
    static const bool avx = __builtin_cpu_supports("avx");
    return avx;
}

__attribute__((target("avx"))) void zeroUpper()
{
    _mm256_zeroupper();
}

bool hasInUseBits()
{
    static const bool known = [] {
        unsigned int a = 0, b = 0, c = 0, d = 0;
        if (!hasAvx() || !__get_cpuid_count(0xD, 1, &a, &b, &c, &d))
            return false;
        return (a & (1u << 2)) != 0; // XGETBV with ECX = 1
    }();
    return known;
}

unsigned long long inUseBits()
{
    unsigned int low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(1));
    return (static_cast<unsigned long long>(high) << 32) | low;
}

} // namespace

void VectorRegisters::clearUpperHalves()
{
    if (hasAvx())
        zeroUpper();
}

bool VectorRegisters::canTellUpperHalvesInUse()
{
    return hasInUseBits();
}

bool VectorRegisters::upperHalvesInUse()
{
    return hasInUseBits() && (inUseBits() & kUpperHalvesInUse) != 0;
}

#else

void VectorRegisters::clearUpperHalves()
{
}

bool VectorRegisters::canTellUpperHalvesInUse()
{
    return false;
}

bool VectorRegisters::upperHalvesInUse()
{
    return false;
}

#endif

} // namespace KelVyxNodes

#include "effects/BytePairTable.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace KelVyxNodes {

namespace {

// The pixel whose channels' table indices (a's byte high, b's low) are the low three 16-bit
// words of `indices`.
inline unsigned int lookUp(unsigned char const* bytes, std::uint64_t indices)
{
    return unsigned(bytes[indices & 0xFFFFu]) | unsigned(bytes[(indices >> 16) & 0xFFFFu]) << 8
           | unsigned(bytes[(indices >> 32) & 0xFFFFu]) << 16;
}

} // namespace

void BytePairTable::perChannelSpan(unsigned int const* as, unsigned int* bs, int count) const
{
    int i = 0;
#if defined(__SSE2__)
    // Interleaving the bytes of b and a gives every channel's index at once: most of the
    // per-pixel work was shifting and masking them out one by one.
    unsigned char const* bytes = m_bytes.data();
    for (; i + 4 <= count; i += 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<__m128i const*>(as + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<__m128i const*>(bs + i));
        alignas(16) std::uint64_t indices[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(indices), _mm_unpacklo_epi8(b, a));
        _mm_store_si128(reinterpret_cast<__m128i*>(indices + 2), _mm_unpackhi_epi8(b, a));
        bs[i] = lookUp(bytes, indices[0]);
        bs[i + 1] = lookUp(bytes, indices[1]);
        bs[i + 2] = lookUp(bytes, indices[2]);
        bs[i + 3] = lookUp(bytes, indices[3]);
    }
#endif
    for (; i < count; ++i)
        bs[i] = perChannel(as[i], bs[i]);
}

} // namespace KelVyxNodes

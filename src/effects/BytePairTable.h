#pragma once

#include <vector>

namespace KelVyxNodes {

// What a channel becomes for each pair of a background and a foreground byte, for blends whose
// every result channel depends only on the same channel of the two colours and on settings
// fixed for the render: three lookups per pixel instead of the formula. Filled before sampling
// starts (onFilterStart), read by any number of threads.
class BytePairTable
{
public:
    bool isEmpty() const { return m_bytes.empty(); }

    // Fills every entry with byteOf(background, foreground), each 0..255; only the low 8 bits
    // of a result are kept.
    template<class ByteOf>
    void fill(ByteOf&& byteOf)
    {
        m_bytes.resize(256 * 256);
        for (unsigned int b = 0; b < 256; ++b) {
            for (unsigned int f = 0; f < 256; ++f)
                m_bytes[b * 256 + f] = static_cast<unsigned char>(byteOf(b, f));
        }
    }

    // 0x00RRGGBB from two colours 0x??RRGGBB (top bytes ignored).
    unsigned int blend(unsigned int background, unsigned int foreground) const
    {
        unsigned char const* t = m_bytes.data();
        return unsigned(t[((background >> 8) & 0xFF00u) | ((foreground >> 16) & 0xFFu)]) << 16
               | unsigned(t[(background & 0xFF00u) | ((foreground >> 8) & 0xFFu)]) << 8
               | t[((background << 8) & 0xFF00u) | (foreground & 0xFFu)];
    }

    // foregrounds[i] = blend(backgrounds[i], foregrounds[i]) for i < count.
    void blendSpan(unsigned int const* backgrounds, unsigned int* foregrounds, int count) const;

private:
    std::vector<unsigned char> m_bytes; // index background * 256 + foreground
};

} // namespace KelVyxNodes

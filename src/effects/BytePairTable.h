#pragma once

#include <array>
#include <cstddef>

namespace KelVyxNodes {

// The result byte of a formula of two bytes, for every pair: a per-channel formula (a blend,
// a mix, an operator) then costs one look-up per channel. Every entry is computed by the
// formula itself, so the bytes are the formula's. Filled before sampling starts, read by any
// number of threads.
class BytePairTable
{
public:
    BytePairTable() = default;
    template<class Formula>
    explicit BytePairTable(Formula formula)
    {
        fill(formula);
    }

    bool isEmpty() const { return !m_filled; }

    // formula(x, y) -> 0..255 (its low byte is kept).
    template<class Formula>
    void fill(Formula formula)
    {
        for (int x = 0; x < 256; ++x) {
            for (int y = 0; y < 256; ++y)
                m_bytes[std::size_t(x * 256 + y)] = static_cast<unsigned char>(formula(x, y));
        }
        m_filled = true;
    }

    unsigned int operator()(unsigned int x, unsigned int y) const { return m_bytes[((x & 0xFFu) << 8) | (y & 0xFFu)]; }

    // Red, green and blue of a and b paired channel by channel; bits 24..31 are ignored and 0.
    unsigned int perChannel(unsigned int a, unsigned int b) const
    {
        return unsigned(m_bytes[((a >> 8) & 0xFF00u) | ((b >> 16) & 0xFFu)]) << 16
               | unsigned(m_bytes[(a & 0xFF00u) | ((b >> 8) & 0xFFu)]) << 8
               | m_bytes[((a << 8) & 0xFF00u) | (b & 0xFFu)];
    }

    // bs[i] = perChannel(as[i], bs[i]) for i < count.
    void perChannelSpan(unsigned int const* as, unsigned int* bs, int count) const;

private:
    std::array<unsigned char, 256 * 256> m_bytes{};
    bool m_filled = false;
};

} // namespace KelVyxNodes

#pragma once

#include <array>

namespace KelVyxNodes {

// The result byte of a formula of two bytes, for every pair: a per-channel formula then costs
// one look-up per channel. Every entry is computed by the formula itself, so the bytes are the
// formula's.
class BytePairTable
{
public:
    BytePairTable() = default;
    template <class Formula>
    explicit BytePairTable(Formula formula)
    {
        fill(formula);
    }

    // formula(x, y) -> 0..255 (its low byte is kept).
    template <class Formula>
    void fill(Formula formula)
    {
        for (int x = 0; x < 256; ++x) {
            for (int y = 0; y < 256; ++y)
                m_bytes[size_t(x * 256 + y)] = static_cast<unsigned char>(formula(x, y));
        }
    }

    unsigned int operator()(unsigned int x, unsigned int y) const { return m_bytes[((x & 0xFFu) << 8) | (y & 0xFFu)]; }

    // Red, green and blue of a and b paired channel by channel; bits 24..31 are ignored and 0.
    unsigned int perChannel(unsigned int a, unsigned int b) const
    {
        return unsigned(m_bytes[((a >> 8) & 0xFF00u) | ((b >> 16) & 0xFFu)]) << 16
               | unsigned(m_bytes[(a & 0xFF00u) | ((b >> 8) & 0xFFu)]) << 8
               | m_bytes[((a << 8) & 0xFF00u) | (b & 0xFFu)];
    }

private:
    std::array<unsigned char, 256 * 256> m_bytes{};
};

} // namespace KelVyxNodes

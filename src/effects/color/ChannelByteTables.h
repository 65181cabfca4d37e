#pragma once

namespace KelVyxNodes {

// What each byte of red, green and blue becomes, for nodes whose output channel depends only
// on the same input channel and the render's settings: one lookup per channel instead of the
// formula. Filled before sampling starts (onFilterStart), read by any number of threads.
class ChannelByteTables
{
public:
    // Fills every entry with byteOf(channel, value), channel 0 red, 1 green, 2 blue, value
    // 0..255; only the low 8 bits of a result are kept.
    template<class ByteOf>
    void fill(ByteOf&& byteOf)
    {
        for (int channel = 0; channel < 3; ++channel) {
            const int shift = 16 - 8 * channel;
            for (int value = 0; value < 256; ++value)
                m_table[channel][value] = (static_cast<unsigned int>(byteOf(channel, value)) & 0xFFu) << shift;
        }
    }

    // 0x00RRGGBB of the mapped channels of rgb (the top byte is ignored).
    unsigned int map(unsigned int rgb) const
    {
        return m_table[0][(rgb >> 16) & 0xFFu] | m_table[1][(rgb >> 8) & 0xFFu] | m_table[2][rgb & 0xFFu];
    }

    void mapSpan(unsigned int* values, int count) const;

private:
    // Entries already shifted into their channel's place.
    unsigned int m_table[3][256] = {};
};

} // namespace KelVyxNodes

#include "effects/color/ChannelByteTables.h"

namespace KelVyxNodes {

void ChannelByteTables::mapSpan(unsigned int* values, int count) const
{
    // Local table pointers: a store to values could otherwise alias them and force reloads.
    unsigned int const* red = m_table[0];
    unsigned int const* green = m_table[1];
    unsigned int const* blue = m_table[2];
    for (int i = 0; i < count; ++i) {
        const unsigned int c = values[i];
        values[i] = red[(c >> 16) & 0xFFu] | green[(c >> 8) & 0xFFu] | blue[c & 0xFFu];
    }
}

} // namespace KelVyxNodes

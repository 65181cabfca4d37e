#include "effects/color/ChannelByteTables.h"

namespace KelVyxNodes {

void ChannelByteTables::mapSpan(unsigned int* values, int count) const
{
    for (int i = 0; i < count; ++i)
        values[i] = map(values[i]);
}

} // namespace KelVyxNodes

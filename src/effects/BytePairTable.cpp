#include "effects/BytePairTable.h"

namespace KelVyxNodes {

void BytePairTable::perChannelSpan(unsigned int const* as, unsigned int* bs, int count) const
{
    for (int i = 0; i < count; ++i)
        bs[i] = perChannel(as[i], bs[i]);
}

} // namespace KelVyxNodes

#include "effects/BytePairTable.h"

namespace KelVyxNodes {

void BytePairTable::blendSpan(unsigned int const* backgrounds, unsigned int* foregrounds, int count) const
{
    for (int i = 0; i < count; ++i)
        foregrounds[i] = blend(backgrounds[i], foregrounds[i]);
}

} // namespace KelVyxNodes

#pragma once

#include <QtGlobal>

// Channel masks of pictures whose headers name their pixels' bits (bitmaps, DirectDraw
// Surfaces).
namespace ColourMasks {

// A mask of one run of set bits.
inline bool isRun(quint32 mask)
{
    if (mask == 0)
        return false;
    while ((mask & 1u) == 0)
        mask >>= 1;
    return (mask & (mask + 1)) == 0;
}

} // namespace ColourMasks

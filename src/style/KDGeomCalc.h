#pragma once

#include "style/KDLayoutStruct.h"

#include <QVector>

// Distributes `space` over chain[start .. start + count - 1] from coordinate `pos`, writing each
// entry's pos and size. `spacer` >= 0 is a uniform spacing; -1 takes each entry's own. Shares
// are computed in fixed point with 8 fraction bits, so rounding leftovers travel to later entries
// instead of being lost. An entry that cannot take any height (maximum 0 or less) is followed by
// no spacing and no share of spare space.
void kdGeomCalc(QVector<KDLayoutStruct>& chain, int start, int count, int pos, int space,
                int spacer = -1);

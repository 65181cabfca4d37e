#include "effects/RowSweepHint.h"

namespace KelVyxNodes {

namespace {
thread_local int t_row = RowSweepHint::kNone;
}

void RowSweepHint::begin(int y)
{
    t_row = y;
}

void RowSweepHint::end()
{
    t_row = kNone;
}

int RowSweepHint::current()
{
    return t_row;
}

} // namespace KelVyxNodes

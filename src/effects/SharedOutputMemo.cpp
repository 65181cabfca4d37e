#include "effects/SharedOutputMemo.h"

namespace KelVyxNodes {

namespace {

// The memo keeps 24 bits: anything wider passes without being kept.
bool keepable(unsigned int value)
{
    return (value & 0xFF000000u) == 0;
}

template <class ComputeSpan>
void spanThrough(RowMemo& memo, int y, int x, int count, unsigned int* out, ComputeSpan&& computeSpan)
{
    // Runs of points not yet known are asked for in one span each.
    int i = 0;
    while (i < count) {
        if (memo.lookup(x + i, y, out[i])) {
            ++i;
            continue;
        }
        int end = i + 1;
        unsigned int dummy = 0;
        while (end < count && !memo.lookup(x + end, y, dummy))
            ++end;
        computeSpan(y, x + i, end - i, out + i);
        for (int k = i; k < end; ++k) {
            if (keepable(out[k]))
                memo.store(x + k, y, out[k]);
        }
        i = end;
    }
}

} // namespace

RowMemo& SharedOutputMemo::memo() const
{
    return m_memo.local([this](RowMemo& memo) {
        memo.reset(m_width.load(std::memory_order_relaxed), m_height.load(std::memory_order_relaxed));
    });
}

unsigned int SharedOutputMemo::getSample(QPoint const& point) const
{
    RowMemo& m = memo();
    unsigned int value = 0;
    if (m.lookup(point.x(), point.y(), value))
        return value;
    value = m_channel->getSample(point);
    if (keepable(value))
        m.store(point.x(), point.y(), value);
    return value;
}

unsigned int SharedOutputMemo::getSample3(QPoint const& point) const
{
    RowMemo& m = memo();
    unsigned int value = 0;
    if (m.lookup(point.x(), point.y(), value))
        return value;
    value = m_colour->getSample3(point);
    if (keepable(value))
        m.store(point.x(), point.y(), value);
    return value;
}

void SharedOutputMemo::getSpan(int y, int x, int count, unsigned int* out) const
{
    spanThrough(memo(), y, x, count, out, [this](int sy, int sx, int n, unsigned int* o) {
        m_channel->getSpan(sy, sx, n, o);
    });
}

void SharedOutputMemo::getSpan3(int y, int x, int count, unsigned int* out) const
{
    spanThrough(memo(), y, x, count, out, [this](int sy, int sx, int n, unsigned int* o) {
        m_colour->getSpan3(sy, sx, n, o);
    });
}

} // namespace KelVyxNodes

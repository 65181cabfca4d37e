#include "effects/SharedOutputMemo.h"

#include <algorithm>

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
    // Points left of the image are not kept: asked in one span.
    const int before = x < 0 ? int(std::min<long long>(count, -static_cast<long long>(x))) : 0;
    if (before > 0)
        computeSpan(y, x, before, out);
    RowMemo::Run run = memo.run(y, x + before, count - before);
    unsigned int* values = out + before;
    const int kept = run.count();
    // Runs of points not yet known are asked for in one span each.
    int i = 0;
    while (i < kept) {
        if (run.lookup(i, values[i])) {
            ++i;
            continue;
        }
        int end = i + 1;
        unsigned int dummy = 0;
        while (end < kept && !run.lookup(end, dummy))
            ++end;
        computeSpan(y, x + before + i, end - i, values + i);
        for (int k = i; k < end; ++k) {
            if (keepable(values[k]))
                run.store(k, values[k]);
        }
        i = end;
    }
    // Points right of the image, or all of a row that is not kept.
    if (before + kept < count)
        computeSpan(y, x + before + kept, count - before - kept, values + kept);
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

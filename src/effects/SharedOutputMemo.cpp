#include "effects/SharedOutputMemo.h"

#include "effects/ParallelRows.h"
#include "effects/RenderStack.h"
#include "effects/RowSweepHint.h"
#include "effects/SpanBuffer.h"

#include <QPoint>

#include <algorithm>
#include <cstring>
#include <new>

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

std::size_t SharedOutputMemo::storeBytes() const
{
    return std::size_t(std::max(0, m_width.load(std::memory_order_relaxed)))
           * std::size_t(std::max(0, m_height.load(std::memory_order_relaxed))) * sizeof(std::uint32_t);
}

void SharedOutputMemo::computeSpan(int y, int x, int count, unsigned int* out) const
{
    // Every read that goes further down passes here or an effect's output: the place to stop a
    // graph deeper than the thread's stack, and to see a cancellation inside a row (what is
    // computed after it is never shown).
    if (ParallelRows::cancelRequested()) {
        std::fill(out, out + count, 0u);
        return;
    }
    RenderStack::check();
    if (m_colour)
        m_colour->getSpan3(y, x, count, out);
    else
        m_channel->getSpan(y, x, count, out);
}

int SharedOutputMemo::fill(int threads, KelUtils::StatusObserver* observer, std::unique_ptr<std::uint32_t[]> spare)
{
    release();
    const int width = m_width.load(std::memory_order_relaxed);
    const int height = m_height.load(std::memory_order_relaxed);
    if (width <= 0 || height <= 0 || (!m_colour && !m_channel))
        return 0;
    std::unique_ptr<std::uint32_t[]> store = spare ? std::move(spare)
                                                   : std::unique_ptr<std::uint32_t[]>(new (std::nothrow) std::uint32_t[
                                                         std::size_t(width) * std::size_t(height)]);
    if (!store)
        return 0;
    std::uint32_t* values = store.get();
    auto fillRow = [&](int y, int /*worker*/) {
        RowSweepHint::Row sweep(y);
        unsigned int* row = values + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width && !ParallelRows::cancelRequested(); x += SpanBuffer::kInline)
            computeSpan(y, x, std::min(SpanBuffer::kInline, width - x), row + x);
    };
    if (ParallelRows::run(height, threads, fillRow, observer, false) < 0)
        return -1;
    m_store = std::move(store);
    m_storeWidth = width;
    m_storeHeight = height;
    m_filled.store(true, std::memory_order_release);
    return 1;
}

std::unique_ptr<std::uint32_t[]> SharedOutputMemo::release()
{
    m_filled.store(false, std::memory_order_release);
    std::unique_ptr<std::uint32_t[]> store = std::move(m_store);
    m_storeWidth = 0;
    m_storeHeight = 0;
    m_memo.forEach([](RowMemo& rows) { rows.release(); });
    return store;
}

std::uint32_t const* SharedOutputMemo::storedRow(int y) const
{
    if (!m_filled.load(std::memory_order_acquire) || y < 0 || y >= m_storeHeight)
        return nullptr;
    return m_store.get() + std::size_t(y) * std::size_t(m_storeWidth);
}

unsigned int SharedOutputMemo::getSample(QPoint const& point) const
{
    if (std::uint32_t const* row = storedRow(point.y())) {
        if (point.x() >= 0 && point.x() < m_storeWidth)
            return row[point.x()];
    }
    RowMemo& m = memo();
    unsigned int value = 0;
    if (m.lookup(point.x(), point.y(), value))
        return value;
    RenderStack::check();
    value = m_channel->getSample(point);
    if (keepable(value))
        m.store(point.x(), point.y(), value);
    return value;
}

unsigned int SharedOutputMemo::getSample3(QPoint const& point) const
{
    if (std::uint32_t const* row = storedRow(point.y())) {
        if (point.x() >= 0 && point.x() < m_storeWidth)
            return row[point.x()];
    }
    RowMemo& m = memo();
    unsigned int value = 0;
    if (m.lookup(point.x(), point.y(), value))
        return value;
    RenderStack::check();
    value = m_colour->getSample3(point);
    if (keepable(value))
        m.store(point.x(), point.y(), value);
    return value;
}

namespace {

// A span of a filled store: the points inside the image are copied, the rest asked for.
template <class Compute>
void spanOfStore(std::uint32_t const* row, int width, int y, int x, int count, unsigned int* out,
                 Compute&& compute)
{
    const long long first = std::max<long long>(x, 0);
    const long long last = std::min<long long>(static_cast<long long>(x) + count, width);
    if (first >= last) {
        compute(y, x, count, out);
        return;
    }
    const int before = int(first - x);
    if (before > 0)
        compute(y, x, before, out);
    std::memcpy(out + before, row + first, std::size_t(last - first) * sizeof(unsigned int));
    const int after = count - before - int(last - first);
    if (after > 0)
        compute(y, int(last), after, out + (count - after));
}

} // namespace

void SharedOutputMemo::getSpan(int y, int x, int count, unsigned int* out) const
{
    auto compute = [this](int sy, int sx, int n, unsigned int* o) { computeSpan(sy, sx, n, o); };
    if (std::uint32_t const* row = storedRow(y)) {
        spanOfStore(row, m_storeWidth, y, x, count, out, compute);
        return;
    }
    spanThrough(memo(), y, x, count, out, compute);
}

void SharedOutputMemo::getSpan3(int y, int x, int count, unsigned int* out) const
{
    auto compute = [this](int sy, int sx, int n, unsigned int* o) { computeSpan(sy, sx, n, o); };
    if (std::uint32_t const* row = storedRow(y)) {
        spanOfStore(row, m_storeWidth, y, x, count, out, compute);
        return;
    }
    spanThrough(memo(), y, x, count, out, compute);
}

} // namespace KelVyxNodes

#include "effects/KernelRows.h"

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/MaskBasedFilter.h"
#include "effects/RowSweepHint.h"
#include "effects/SpanBuffer.h"

#include <algorithm>

#include <QPoint>

#include <cstdlib>
#include <new>

namespace KelVyxNodes {

void KernelRows::reset(Setup const& setup)
{
    const bool sameShape = setup.width == m_setup.width && setup.kernelHeight == m_setup.kernelHeight
                           && !setup.colour == !m_setup.colour;
    m_setup = setup;
    m_memo.reset(setup.width, setup.height);
    if (!sameShape)
        m_ringTried = false;
    for (InputRow& row : m_ring) {
        row.y = kNoRow;
        row.used = 0;
    }
    m_clock = 0;
    for (Miss& miss : m_misses)
        miss = Miss();
    m_nextMiss = 0;
}

unsigned int KernelRows::direct(int x, int y) const
{
    if (m_setup.colour)
        return MaskBasedFilter::filter3(m_setup.colour, m_setup.width, m_setup.height, QPoint(x, y),
                                        m_setup.kernelWidth, m_setup.kernelHeight, m_setup.kernel,
                                        m_setup.factor, m_setup.bias);
    return MaskBasedFilter::filter1(m_setup.channel, m_setup.width, m_setup.height, QPoint(x, y),
                                    m_setup.kernelWidth, m_setup.kernelHeight, m_setup.kernel,
                                    m_setup.factor, m_setup.bias);
}

int KernelRows::sourceRow(int y, int r) const
{
    const long long row = (long long)y - m_setup.kernelHeight / 2 + r;
    if (m_setup.colour)
        return row < 0 || row >= m_setup.height ? kNoRow : int(row);
    // One channel wraps round the image edge, as MaskBasedFilter::filter1 does.
    long long wrapped = row % m_setup.height;
    if (wrapped < 0)
        wrapped += m_setup.height;
    return int(wrapped);
}

bool KernelRows::ensureRing()
{
    if (m_ringTried)
        return m_ringUsable;
    m_ringTried = true;
    m_ringUsable = false;
    if (m_setup.kernelHeight <= 0 || m_setup.kernelHeight > kMaxKernelHeight || m_setup.width <= 0)
        return false;
    try {
        m_ring.resize(std::size_t(m_setup.kernelHeight) + 2);
        for (InputRow& row : m_ring) {
            // Colour rows end in one float more, read (never used) by the last pixel's sums.
            row.values.assign(std::size_t(m_setup.width) * (m_setup.colour ? 3 : 1) + (m_setup.colour ? 1 : 0), 0.0f);
            row.y = kNoRow;
            row.used = 0;
        }
    } catch (std::bad_alloc const&) {
        m_ring.clear();
        return false;
    }
    m_ringUsable = true;
    return true;
}

int KernelRows::gather(int y, float const** rows)
{
    int missing = 0;
    const unsigned long long now = ++m_clock;
    for (int r = 0; r < m_setup.kernelHeight; ++r) {
        const int wanted = sourceRow(y, r);
        rows[r] = nullptr;
        if (wanted == kNoRow)
            continue;
        bool found = false;
        for (InputRow& row : m_ring) {
            if (row.y == wanted) {
                row.used = now;
                rows[r] = row.values.data();
                found = true;
                break;
            }
        }
        if (!found)
            ++missing;
    }
    return missing;
}

bool KernelRows::worthReading(int y, int missing, int points)
{
    const int hint = RowSweepHint::current();
    if (hint != RowSweepHint::kNone && std::abs((long long)y - hint) <= 8)
        return true;
    // Otherwise once this row's direct sums have cost what reading the rows costs.
    Miss* miss = nullptr;
    for (Miss& m : m_misses) {
        if (m.y == y)
            miss = &m;
    }
    if (!miss) {
        miss = &m_misses[m_nextMiss];
        m_nextMiss = (m_nextMiss + 1) % kRecentMisses;
        *miss = Miss{y, 0};
    }
    miss->cost += (long long)points * m_setup.kernelWidth * m_setup.kernelHeight;
    if (miss->cost < (long long)missing * m_setup.width)
        return false;
    miss->y = kNoRow;
    return true;
}

void KernelRows::readRows(int y)
{
    const unsigned long long now = m_clock; // rows gathered for y carry this stamp
    for (int r = 0; r < m_setup.kernelHeight; ++r) {
        const int wanted = sourceRow(y, r);
        if (wanted == kNoRow)
            continue;
        bool present = false;
        for (InputRow const& row : m_ring)
            present = present || row.y == wanted;
        if (present)
            continue;
        // The ring holds two rows more than a kernel: the oldest is never one gathered now.
        InputRow* oldest = &m_ring.front();
        for (InputRow& row : m_ring) {
            if (row.used < oldest->used)
                oldest = &row;
        }
        float* values = oldest->values.data();
        const int width = m_setup.width;
        // The input row in spans, a run at a time.
        unsigned int run[SpanBuffer::kInline];
        for (int start = 0; start < width; start += SpanBuffer::kInline) {
            const int n = std::min(SpanBuffer::kInline, width - start);
            if (m_setup.colour) {
                m_setup.colour->getSpan3(wanted, start, n, run);
                for (int i = 0; i < n; ++i, values += 3) {
                    const unsigned int c = run[i];
                    values[0] = static_cast<float>(c & 0xFFu);
                    values[1] = static_cast<float>((c >> 8) & 0xFFu);
                    values[2] = static_cast<float>((c >> 16) & 0xFFu);
                }
            } else {
                m_setup.channel->getSpan(wanted, start, n, run);
                for (int i = 0; i < n; ++i)
                    *values++ = static_cast<float>(run[i] & 0xFFu);
            }
        }
        oldest->y = wanted;
        oldest->used = now;
    }
}

bool KernelRows::rowsFor(int y, int points, float const** rows)
{
    if (!ensureRing())
        return false;
    const int missing = gather(y, rows);
    if (missing == 0)
        return true;
    if (!worthReading(y, missing, points))
        return false;
    readRows(y);
    return gather(y, rows) == 0;
}

unsigned int KernelRows::fromRows(float const* const* rows, int x) const
{
    if (m_setup.colour)
        return MaskBasedFilter::filter3Rows(rows, m_setup.width, x, m_setup.kernelWidth, m_setup.kernelHeight,
                                            m_setup.kernel, m_setup.factor, m_setup.bias);
    return MaskBasedFilter::filter1Rows(rows, m_setup.width, x, m_setup.kernelWidth, m_setup.kernelHeight,
                                        m_setup.kernel, m_setup.factor, m_setup.bias);
}

unsigned int KernelRows::sample(int x, int y)
{
    unsigned int value = 0;
    if (m_memo.lookup(x, y, value))
        return value;
    if (x < 0 || y < 0 || x >= m_setup.width || y >= m_setup.height)
        return direct(x, y); // outside the image: not kept
    float const* rows[kMaxKernelHeight];
    value = rowsFor(y, 1, rows) ? fromRows(rows, x) : direct(x, y);
    m_memo.store(x, y, value);
    return value;
}

void KernelRows::sampleSpan(int y, int x, int count, unsigned int* out)
{
    float const* rows[kMaxKernelHeight];
    int fromRing = 0; // 1: rows found for row y, -1: summed directly, 0: not asked yet
    int i = 0;
    while (i < count) {
        const int px = x + i;
        unsigned int value = 0;
        if (m_memo.lookup(px, y, value)) {
            out[i++] = value;
            continue;
        }
        if (px < 0 || y < 0 || px >= m_setup.width || y >= m_setup.height) {
            out[i++] = direct(px, y); // outside the image: not kept
            continue;
        }
        if (fromRing == 0)
            fromRing = rowsFor(y, count - i, rows) ? 1 : -1;
        if (fromRing < 0) {
            value = direct(px, y);
            m_memo.store(px, y, value);
            out[i++] = value;
            continue;
        }
        // The run of points from here that are in the image and not known yet, in one go.
        int end = i + 1;
        while (end < count && x + end < m_setup.width && !m_memo.lookup(x + end, y, value))
            ++end;
        if (m_setup.colour) {
            MaskBasedFilter::filter3RowsSpan(rows, m_setup.width, px, end - i, m_setup.kernelWidth,
                                             m_setup.kernelHeight, m_setup.kernel, m_setup.factor,
                                             m_setup.bias, out + i);
        } else {
            for (int k = i; k < end; ++k)
                out[k] = fromRows(rows, x + k);
        }
        for (int k = i; k < end; ++k)
            m_memo.store(x + k, y, out[k]);
        i = end;
    }
}

} // namespace KelVyxNodes

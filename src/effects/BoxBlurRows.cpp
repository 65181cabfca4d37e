#include "effects/BoxBlurRows.h"

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/RowSweepHint.h"

#include <QPoint>

#include <algorithm>
#include <cstdlib>
#include <new>

namespace KelVyxNodes {

namespace {

// Rows x columns beyond which the band is not kept (the input ring alone would pass 1 GiB):
// such blurs are computed point by point.
constexpr long long kMaxRingEntries = 1ll << 28;

// (sum + count / 2) / count, rounding halves up, with one multiplication instead of a division
// while the count stays the same. Exact: a window sum is below 256 x count, and for counts
// below 65536 the reciprocal rounded up by 2^-40 cannot carry such a quotient past an integer.
class RoundedMean
{
public:
    inline unsigned int operator()(int sum, int count)
    {
        if (count == m_count && m_inverse)
            return unsigned(((std::uint64_t(sum) + std::uint64_t(count >> 1)) * m_inverse) >> 40);
        if (count <= 0)
            return 0;
        if (count != m_count) {
            m_count = count;
            m_inverse = count < 65536 ? ((std::uint64_t(1) << 40) + std::uint64_t(count) - 1)
                                            / std::uint64_t(count)
                                      : 0;
        }
        const std::uint64_t n = std::uint64_t(std::max(sum, 0)) + std::uint64_t(count / 2);
        const std::uint64_t q = m_inverse ? (n * m_inverse) >> 40 : n / std::uint64_t(count);
        return q > 255 ? 255u : unsigned(q);
    }

private:
    int m_count = 0;
    std::uint64_t m_inverse = 0;
};

int channelsOf(BoxBlurRows::Setup const& setup)
{
    return setup.colour ? 3 : 1;
}

bool counted(BoxBlurRows::Setup const& setup, int x, int y)
{
    return !setup.mask
           || setup.mask[std::size_t(y) * std::size_t(setup.width) + std::size_t(x)] != 0;
}

// The input at an image point: 0x00RRGGBB or 0..255.
unsigned int inputAt(BoxBlurRows::Setup const& setup, int x, int y)
{
    if (setup.colour)
        return setup.colour->getSample3(QPoint(x, y)) & 0xFFFFFFu;
    return setup.channel->getSample(QPoint(x, y)) & 0xFFu;
}

void addToSums(int* sums, int& count, unsigned int v, int channels, int sign)
{
    if (channels == 3) {
        sums[0] += sign * int((v >> 16) & 0xFFu);
        sums[1] += sign * int((v >> 8) & 0xFFu);
        sums[2] += sign * int(v & 0xFFu);
    } else {
        sums[0] += sign * int(v);
    }
    count += sign;
}

// The part of from..to that lies in 0..size-1 (64-bit, so far-away points do not overflow).
void clip(long long from, long long to, int size, int& lo, int& hi)
{
    lo = int(std::max<long long>(from, 0));
    hi = int(std::min<long long>(to, (long long)size - 1));
}

// Adds (sign 1) or takes away (sign -1) the counted inputs of column x over rows y0..y1.
void addColumn(BoxBlurRows::Setup const& setup, int x, int y0, int y1, int* sums, int& count,
               int sign)
{
    if (x < 0 || x >= setup.width)
        return;
    const int channels = channelsOf(setup);
    for (int y = y0; y <= y1; ++y) {
        if (counted(setup, x, y))
            addToSums(sums, count, inputAt(setup, x, y), channels, sign);
    }
}

void windowSums(BoxBlurRows::Setup const& setup, int x, int y, int* sums, int& count)
{
    sums[0] = sums[1] = sums[2] = 0;
    count = 0;
    int x0, x1, y0, y1;
    clip((long long)x - setup.radius, (long long)x + setup.radius, setup.width, x0, x1);
    clip((long long)y - setup.radius, (long long)y + setup.radius, setup.height, y0, y1);
    for (int cx = x0; cx <= x1; ++cx)
        addColumn(setup, cx, y0, y1, sums, count, 1);
}

unsigned int packed(int const* sums, int count, int channels, RoundedMean& mean)
{
    if (channels == 3)
        return (mean(sums[0], count) << 16) | (mean(sums[1], count) << 8) | mean(sums[2], count);
    return mean(sums[0], count);
}

} // namespace

void BoxBlurRows::reset(Setup const& setup)
{
    const bool sameShape = setup.width == m_setup.width && setup.radius == m_setup.radius
                           && channelsOf(setup) == m_channels;
    m_setup = setup;
    m_channels = channelsOf(setup);
    m_span = 2 * std::max(setup.radius, 0) + 1;
    if (!sameShape)
        m_memoryTried = false;
    m_bandRow = kNoRow;
    for (Row& row : m_rows) {
        row.y = kNoRow;
        row.used = 0;
    }
    m_lastRow = 0;
    m_clock = 0;
    for (Miss& miss : m_misses)
        miss = Miss();
    m_nextMiss = 0;
    m_directX = kNoRow;
    m_directY = kNoRow;
    m_directCount = 0;
}

bool BoxBlurRows::ensureMemory()
{
    if (m_memoryTried)
        return m_rowsUsable;
    m_memoryTried = true;
    m_rowsUsable = false;
    const long long width = m_setup.width;
    if (width <= 0 || m_setup.height <= 0 || (long long)m_span * width > kMaxRingEntries)
        return false;
    try {
        m_columns.assign(std::size_t(width) * std::size_t(m_channels + 1), 0);
        m_ring.resize(std::size_t(m_span) * std::size_t(width));
        for (Row& row : m_rows)
            row.values.resize(std::size_t(width));
    } catch (std::bad_alloc const&) {
        m_columns = std::vector<int>();
        m_ring = std::vector<std::uint32_t>();
        for (Row& row : m_rows)
            row.values = std::vector<std::uint32_t>();
        return false;
    }
    m_rowsUsable = true;
    return true;
}

std::uint32_t BoxBlurRows::input(int x, int y) const
{
    return counted(m_setup, x, y) ? inputAt(m_setup, x, y) : kNotCounted;
}

void BoxBlurRows::loadRow(int y)
{
    const int width = m_setup.width;
    std::uint32_t* ring = m_ring.data() + std::size_t(y % m_span) * std::size_t(width);
    int* columns = m_columns.data();
    if (m_channels == 3 && !m_setup.mask) {
        static_assert(sizeof(std::uint32_t) == sizeof(unsigned int));
        m_setup.colour->getSpan3(y, 0, width, reinterpret_cast<unsigned int*>(ring));
        for (int x = 0; x < width; ++x, columns += 4) {
            const std::uint32_t v = ring[x] & 0xFFFFFFu;
            ring[x] = v;
            columns[0] += int(v >> 16);
            columns[1] += int((v >> 8) & 0xFFu);
            columns[2] += int(v & 0xFFu);
            columns[3] += 1;
        }
    } else if (m_channels == 3) {
        for (int x = 0; x < width; ++x, columns += 4) {
            const std::uint32_t v = input(x, y);
            ring[x] = v;
            if (v == kNotCounted)
                continue;
            columns[0] += int((v >> 16) & 0xFFu);
            columns[1] += int((v >> 8) & 0xFFu);
            columns[2] += int(v & 0xFFu);
            columns[3] += 1;
        }
    } else if (!m_setup.mask) {
        m_setup.channel->getSpan(y, 0, width, reinterpret_cast<unsigned int*>(ring));
        for (int x = 0; x < width; ++x, columns += 2) {
            const std::uint32_t v = ring[x] & 0xFFu;
            ring[x] = v;
            columns[0] += int(v);
            columns[1] += 1;
        }
    } else {
        for (int x = 0; x < width; ++x, columns += 2) {
            const std::uint32_t v = input(x, y);
            ring[x] = v;
            if (v == kNotCounted)
                continue;
            columns[0] += int(v);
            columns[1] += 1;
        }
    }
}

void BoxBlurRows::dropRow(int y)
{
    const int width = m_setup.width;
    std::uint32_t const* ring = m_ring.data() + std::size_t(y % m_span) * std::size_t(width);
    int* columns = m_columns.data();
    if (m_channels == 3) {
        for (int x = 0; x < width; ++x, columns += 4) {
            const std::uint32_t v = ring[x];
            if (v == kNotCounted)
                continue;
            columns[0] -= int((v >> 16) & 0xFFu);
            columns[1] -= int((v >> 8) & 0xFFu);
            columns[2] -= int(v & 0xFFu);
            columns[3] -= 1;
        }
    } else {
        for (int x = 0; x < width; ++x, columns += 2) {
            const std::uint32_t v = ring[x];
            if (v == kNotCounted)
                continue;
            columns[0] -= int(v);
            columns[1] -= 1;
        }
    }
}

void BoxBlurRows::moveBand(int y)
{
    const int r = std::max(m_setup.radius, 0);
    const int height = m_setup.height;
    if (m_bandRow == kNoRow || std::abs((long long)y - m_bandRow) >= m_span) {
        std::fill(m_columns.begin(), m_columns.end(), 0);
        int lo, hi;
        clip((long long)y - r, (long long)y + r, height, lo, hi);
        for (int row = lo; row <= hi; ++row)
            loadRow(row);
        m_bandRow = y;
        return;
    }
    // Leaving and entering rows share a ring place: the leaving one is taken away first.
    while (m_bandRow < y) {
        const int leaving = m_bandRow - r;
        const int entering = m_bandRow + r + 1;
        if (leaving >= 0 && leaving < height)
            dropRow(leaving);
        if (entering >= 0 && entering < height)
            loadRow(entering);
        ++m_bandRow;
    }
    while (m_bandRow > y) {
        const int leaving = m_bandRow + r;
        const int entering = m_bandRow - r - 1;
        if (leaving >= 0 && leaving < height)
            dropRow(leaving);
        if (entering >= 0 && entering < height)
            loadRow(entering);
        --m_bandRow;
    }
}

BoxBlurRows::Row& BoxBlurRows::makeRow(int y)
{
    moveBand(y);
    int oldest = 0;
    for (int i = 1; i < kRowsKept; ++i) {
        if (m_rows[i].used < m_rows[oldest].used)
            oldest = i;
    }
    Row& row = m_rows[oldest];
    const int width = m_setup.width;
    const int r = std::max(m_setup.radius, 0);
    std::uint32_t* out = row.values.data();
    RoundedMean mean;
    if (m_channels == 3) {
        int const* columns = m_columns.data();
        int red = 0, green = 0, blue = 0, count = 0;
        for (int x = 0; x <= std::min(r, width - 1); ++x) {
            red += columns[4 * x];
            green += columns[4 * x + 1];
            blue += columns[4 * x + 2];
            count += columns[4 * x + 3];
        }
        for (int x = 0; x < width; ++x) {
            out[x] = (mean(red, count) << 16) | (mean(green, count) << 8) | mean(blue, count);
            const int entering = x + r + 1;
            const int leaving = x - r;
            if (entering < width) {
                int const* c = columns + 4 * entering;
                red += c[0];
                green += c[1];
                blue += c[2];
                count += c[3];
            }
            if (leaving >= 0) {
                int const* c = columns + 4 * leaving;
                red -= c[0];
                green -= c[1];
                blue -= c[2];
                count -= c[3];
            }
        }
    } else {
        int const* columns = m_columns.data();
        int sum = 0, count = 0;
        for (int x = 0; x <= std::min(r, width - 1); ++x) {
            sum += columns[2 * x];
            count += columns[2 * x + 1];
        }
        for (int x = 0; x < width; ++x) {
            out[x] = mean(sum, count);
            const int entering = x + r + 1;
            const int leaving = x - r;
            if (entering < width) {
                sum += columns[2 * entering];
                count += columns[2 * entering + 1];
            }
            if (leaving >= 0) {
                sum -= columns[2 * leaving];
                count -= columns[2 * leaving + 1];
            }
        }
    }
    row.y = y;
    row.used = ++m_clock;
    m_lastRow = oldest;
    return row;
}

long long BoxBlurRows::rowCost(int y) const
{
    const long long width = m_setup.width;
    long long rows = 0;
    if (m_bandRow != kNoRow && std::abs((long long)y - m_bandRow) < m_span) {
        rows = std::abs((long long)y - m_bandRow);
    } else {
        int lo, hi;
        clip((long long)y - m_setup.radius, (long long)y + m_setup.radius, m_setup.height, lo, hi);
        rows = hi - lo + 1;
    }
    return (rows + 1) * width;
}

unsigned int BoxBlurRows::direct(int x, int y)
{
    const int r = std::max(m_setup.radius, 0);
    if (y == m_directY && m_directX != kNoRow && x == m_directX + 1) {
        int y0, y1;
        clip((long long)y - r, (long long)y + r, m_setup.height, y0, y1);
        addColumn(m_setup, x - r - 1, y0, y1, m_directSum, m_directCount, -1);
        addColumn(m_setup, x + r, y0, y1, m_directSum, m_directCount, 1);
    } else {
        windowSums(m_setup, x, y, m_directSum, m_directCount);
    }
    m_directX = x;
    m_directY = y;
    RoundedMean mean;
    return packed(m_directSum, m_directCount, m_channels, mean);
}

unsigned int BoxBlurRows::directMean(Setup const& setup, int x, int y)
{
    int sums[3];
    int count = 0;
    windowSums(setup, x, y, sums, count);
    RoundedMean mean;
    return packed(sums, count, channelsOf(setup), mean);
}

void BoxBlurRows::sampleSpan(int y, int x, int count, unsigned int* out)
{
    if (y < 0 || y >= m_setup.height || x < 0 || x + count > m_setup.width || count < 8 || !ensureMemory()) {
        for (int i = 0; i < count; ++i)
            out[i] = sample(x + i, y);
        return;
    }
    Row* row = nullptr;
    for (int i = 0; i < kRowsKept && !row; ++i) {
        if (m_rows[i].y == y) {
            m_lastRow = i;
            m_rows[i].used = ++m_clock;
            row = &m_rows[i];
        }
    }
    // A run of a row is asked for by a row loop: the whole row pays.
    if (!row)
        row = &makeRow(y);
    std::copy(row->values.begin() + x, row->values.begin() + x + count, out);
}

unsigned int BoxBlurRows::sample(int x, int y)
{
    if (x < 0 || y < 0 || x >= m_setup.width || y >= m_setup.height)
        return directMean(m_setup, x, y);

    if (m_rows[m_lastRow].y == y)
        return m_rows[m_lastRow].values[std::size_t(x)];
    for (int i = 0; i < kRowsKept; ++i) {
        if (m_rows[i].y == y) {
            m_lastRow = i;
            m_rows[i].used = ++m_clock;
            return m_rows[i].values[std::size_t(x)];
        }
    }
    if (!ensureMemory())
        return direct(x, y);

    // Whole rows pay when the band is next to the row, or the row loop walks it; otherwise
    // only once the row's direct samples have cost what making the row costs.
    bool make = m_bandRow != kNoRow && std::abs((long long)y - m_bandRow) <= 2;
    const int hint = RowSweepHint::current();
    if (!make && hint != RowSweepHint::kNone)
        make = std::abs((long long)y - hint) <= 8;
    if (!make) {
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
        const long long side = m_span;
        const bool slides = y == m_directY && m_directX != kNoRow && x == m_directX + 1;
        miss->cost += slides ? 2 * side : side * side;
        make = miss->cost >= rowCost(y);
        if (make)
            miss->y = kNoRow;
    }
    if (!make)
        return direct(x, y);
    return makeRow(y).values[std::size_t(x)];
}

} // namespace KelVyxNodes

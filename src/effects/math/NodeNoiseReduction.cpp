#include "effects/math/NodeNoiseReduction.h"

#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/SpanBuffer.h"
#include "effects/VyxNodeGraph.h"
#include "effects/VyxTerminal.h"
#include "effects/math/ClassicQuickSort.h"
#include "params/GroupBoxParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QDebug>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeNoiseReduction::m_descriptor{
    QStringLiteral("operator.noiseReduction"),
    QUuid(QStringLiteral("9fac9fc2-78b4-457a-8d1a-32d0b77c537f")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Noise Reduction")), QString(),
    &NodeNoiseReduction::create};

// An entry of the median list: the colour as sampled and its brightness key.
struct ColorY
{
    unsigned int color;
    int y;
};

namespace {

constexpr int kMaxRadius = 4;
constexpr int kMaxWindow = (2 * kMaxRadius + 1) * (2 * kMaxRadius + 1);

const ListItem modeItems[] = {
    {NodeNoiseReduction::Mean, QStringLiteral("Bilateral Smoothing")},
    {NodeNoiseReduction::Median, QStringLiteral("Median Filter")},
};

ColorY withBrightness(unsigned int color)
{
    const int sum = int((color >> 16) & 0xFFu) + int((color >> 8) & 0xFFu) + int(color & 0xFFu);
    return ColorY{color, (sum * 341) >> 10};
}

// Four ints side by side (GCC and Clang vectors: plain SSE2 code on x86-64).
typedef int Int4 __attribute__((vector_size(16)));

// q / n for the quotients of a window mean (q below 2^32 / n, n up to a whole window) as a
// product with ceil(2^32 / n): exact there, and no division per channel and point.
unsigned int dividedByCount(unsigned int q, int n)
{
    static const std::array<std::uint64_t, kMaxWindow + 1> reciprocal = [] {
        std::array<std::uint64_t, kMaxWindow + 1> r{};
        for (int k = 1; k <= kMaxWindow; ++k)
            r[size_t(k)] = ((std::uint64_t(1) << 32) + std::uint64_t(k) - 1) / std::uint64_t(k);
        return r;
    }();
    return unsigned((q * reciprocal[size_t(n)]) >> 32);
}

bool minByBrightness(ColorY a, ColorY const& b)
{
    return a.y < b.y;
}

} // namespace

NodeNoiseReduction::NodeNoiseReduction(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_inTerminal = addTerminal(QStringLiteral("in"), 4u, 0u);
    addTerminal(QStringLiteral("out"), 0u, 4u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new ListParameter("mode", tr("Denoise Mode:"), c, &m_mode, modeItems, 2, Mean, 5),
        new NumGroupParameter<int>("strength", tr("Strength:"), c, &m_strength, 1, 0, 10, 3, true, 5),
    }});
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Noise Reduction")),
        tr("The node can be used for reducing image noise / film grain or removing high frequency "
           "image details in order to get \"plasticine\" look."),
        {HelpLink(tr("Image noise"), QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Image_noise"))),
         HelpLink(tr("Bilateral smoothing"),
                  QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Bilateral_filter"))),
         HelpLink(tr("Median filter"), QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Median_filter")))});
}

NodeNoiseReduction::~NodeNoiseReduction() = default;

int NodeNoiseReduction::onFilterStart(StatusObserver* /*observer*/)
{
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    if (!image || image->isNull()) {
        qDebug() << "NodeNoiseReduction error: no image";
        m_imageWidth = -1;
        m_imageHeight = -1;
        return 0;
    }
    m_imageWidth = image->width();
    m_imageHeight = image->height();
    m_threshold = int(std::int64_t(m_strength) * 255 / 20);
    m_radius = m_strength < 1 ? 0 : std::clamp((m_strength + 2) / 3, 1, kMaxRadius);
    return 0;
}

NodeNoiseReduction::Window NodeNoiseReduction::window(QPoint const& p) const
{
    const int r = m_radius;
    return Window{std::max<long long>(0, static_cast<long long>(p.x()) - r),
                  std::min<long long>(m_imageWidth - 1LL, static_cast<long long>(p.x()) + r),
                  std::max<long long>(0, static_cast<long long>(p.y()) - r),
                  std::min<long long>(m_imageHeight - 1LL, static_cast<long long>(p.y()) + r)};
}

bool NodeNoiseReduction::withinThreshold(unsigned int sample, unsigned int centre) const
{
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = int((sample >> shift) & 0xFFu);
        const int b = int((centre >> shift) & 0xFFu);
        if (std::abs(a - b) >= m_threshold)
            return false;
    }
    return true;
}

template <class RowAt>
unsigned int NodeNoiseReduction::filtered(QPoint const& p, unsigned int centre, RowAt rowAt) const
{
    if (m_radius <= 0 || m_imageWidth < 1 || m_imageHeight < 1)
        return centre;
    switch (m_mode) {
    case Mean:
        return meanOfWindow(p, centre, rowAt);
    case Median:
        return medianOfWindow(p, centre, rowAt);
    default:
        return centre;
    }
}

unsigned int NodeNoiseReduction::getSample3(QPoint const& point) const
{
    if (!m_input)
        return 0x808080u;
    // The window's rows sampled one at a time, the centre left out (it is sampled once, first).
    unsigned int row[2 * kMaxRadius + 1];
    const auto rowAt = [&](int y, int left, int right) -> unsigned int const* {
        for (int x = left; x <= right; ++x) {
            if (x != point.x() || y != point.y())
                row[x - left] = m_input->getSample3(QPoint(x, y));
        }
        return row;
    };
    return filtered(point, m_input->getSample3(point), rowAt);
}

void NodeNoiseReduction::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_input) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    constexpr int kRun = SpanBuffer::kInline;
    if (count > kRun) {
        for (int start = 0; start < count; start += kRun)
            NodeNoiseReduction::getSpan3(y, x + start, std::min(kRun, count - start), out + start);
        return;
    }
    m_input->getSpan3(y, x, count, out);
    const int r = m_radius;
    if (r <= 0 || r > kMaxRadius || m_imageWidth < 1 || m_imageHeight < 1)
        return;
    // The window's rows over the columns inside the image that any point of the span reaches.
    const long long first = std::max<long long>(0, static_cast<long long>(x) - r);
    const long long end = std::min<long long>(m_imageWidth, static_cast<long long>(x) + count + r);
    unsigned int rows[2 * kMaxRadius + 1][kRun + 2 * kMaxRadius];
    if (first < end) {
        for (int dy = -r; dy <= r; ++dy) {
            const long long row = static_cast<long long>(y) + dy;
            if (row >= 0 && row < m_imageHeight)
                m_input->getSpan3(int(row), int(first), int(end - first), rows[dy + r]);
        }
    }
    // Only neighbours inside the image are asked for: those rows and columns were read.
    const auto rowAt = [&](int ty, int left, int /*right*/) -> unsigned int const* {
        return rows[ty - y + r] + (left - first);
    };
    // The mean of four neighbouring points at once where their windows lie in the image.
    const bool rowsInside = m_mode == Mean && y - r >= 0 && static_cast<long long>(y) + r < m_imageHeight;
    int i = 0;
    while (i < count) {
        const long long px = static_cast<long long>(x) + i;
        if (rowsInside && i + 4 <= count && px - r >= 0 && px + 3 + r < m_imageWidth) {
            unsigned int const* window[2 * kMaxRadius + 1];
            for (int dy = -r; dy <= r; ++dy)
                window[dy + r] = rows[dy + r] + (px - first);
            meanOfFour(window, out + i);
            i += 4;
            continue;
        }
        out[i] = filtered(QPoint(int(px), y), out[i], rowAt);
        ++i;
    }
}

void NodeNoiseReduction::meanOfFour(unsigned int const* const* window, unsigned int* centres) const
{
    // Four points side by side, a lane each: the operations of meanOfWindow on each lane (the
    // kept neighbours' integer sums, whose order does not matter).
    const auto load = [](unsigned int const* p) {
        Int4 v;
        std::memcpy(&v, p, sizeof v);
        return v;
    };
    const Int4 byte = {0xFF, 0xFF, 0xFF, 0xFF};
    const Int4 c = load(centres);
    const Int4 cr = (c >> 16) & byte;
    const Int4 cg = (c >> 8) & byte;
    const Int4 cb = c & byte;
    const int t = m_threshold;
    const Int4 above = {t, t, t, t};
    const Int4 below = -above;
    Int4 sr = cr;
    Int4 sg = cg;
    Int4 sb = cb;
    Int4 n = {1, 1, 1, 1};
    const int r = m_radius;
    for (int dy = -r; dy <= r; ++dy) {
        unsigned int const* row = window[dy + r];
        for (int dx = -r; dx <= r; ++dx) {
            if (dx == 0 && dy == 0)
                continue;
            const Int4 v = load(row + dx);
            const Int4 vr = (v >> 16) & byte;
            const Int4 vg = (v >> 8) & byte;
            const Int4 vb = v & byte;
            const Int4 dr = vr - cr;
            const Int4 dg = vg - cg;
            const Int4 db = vb - cb;
            const Int4 kept = (dr < above) & (dr > below) & (dg < above) & (dg > below) & (db < above) & (db > below);
            sr += vr & kept;
            sg += vg & kept;
            sb += vb & kept;
            n -= kept;
        }
    }
    for (int j = 0; j < 4; ++j) {
        const auto channel = [k = n[j]](int total) { return dividedByCount(unsigned(total + k / 2), k); };
        centres[j] = (channel(sr[j]) << 16) | (channel(sg[j]) << 8) | channel(sb[j]);
    }
}

template <class RowAt, class Visit>
void NodeNoiseReduction::forEachNeighbour(QPoint const& p, RowAt rowAt, Visit visit) const
{
    const Window w = window(p);
    const int left = int(w.left);
    const int n = int(w.right - w.left + 1);
    for (int y = int(w.top); y <= int(w.bottom); ++y) {
        if (n <= 0)
            break;
        unsigned int const* row = rowAt(y, left, int(w.right));
        if (y != p.y()) {
            for (int k = 0; k < n; ++k)
                visit(row[k]);
            continue;
        }
        const long long centre = static_cast<long long>(p.x()) - left;
        for (int k = 0; k < n && k < centre; ++k)
            visit(row[k]);
        for (long long k = std::max<long long>(0, centre + 1); k < n; ++k)
            visit(row[k]);
    }
}

template <class RowAt>
unsigned int NodeNoiseReduction::meanOfWindow(QPoint const& p, unsigned int centre, RowAt rowAt) const
{
    // Blue, green, red (and a 0) of a colour side by side; a neighbour is kept where every
    // channel differs from the centre's by less than t (-t < d < t, none for t <= 0), and the
    // kept colours are summed without a branch: integer sums do not depend on the order.
    const auto channels = [](unsigned int c) {
        return Int4{int(c & 0xFFu), int((c >> 8) & 0xFFu), int((c >> 16) & 0xFFu), 0};
    };
    const Int4 middle = channels(centre);
    const int t = m_threshold;
    const Int4 above = {t, t, t, t};
    const Int4 below = -above;
    Int4 sum = middle;
    int n = 1;
    forEachNeighbour(p, rowAt, [&](unsigned int s) {
        const Int4 v = channels(s);
        const Int4 d = v - middle;
        const Int4 near = (d < above) & (d > below);
        const int kept = near[0] & near[1] & near[2];
        sum += v & Int4{kept, kept, kept, kept};
        n -= kept;
    });
    const auto channel = [n](int total) { return dividedByCount(unsigned(total + n / 2), n); };
    return (channel(sum[2]) << 16) | (channel(sum[1]) << 8) | channel(sum[0]);
}

template <class RowAt>
unsigned int NodeNoiseReduction::medianOfWindow(QPoint const& p, unsigned int centre, RowAt rowAt) const
{
    // On the stack: a sample allocates nothing and threads share nothing.
    std::array<ColorY, kMaxWindow> list;
    int n = 0;
    list[n++] = withBrightness(centre);
    forEachNeighbour(p, rowAt, [&](unsigned int s) {
        if (withinThreshold(s, centre))
            list[n++] = withBrightness(s);
    });
    classicQuickSort(list.begin(), list.begin() + n, minByBrightness);
    return list[n / 2].color;
}

int NodeNoiseReduction::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own == m_inTerminal)
        getGeneratorInterface(&m_input, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeNoiseReduction::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own == m_inTerminal)
        m_input = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeNoiseReduction::resolveInputs()
{
    m_input = linkedGenerator3D(m_inTerminal);
}

} // namespace KelVyxNodes

#include "effects/math/NodeNoiseReduction.h"

#include "effects/GeneratorLookup.h"
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

QString tr(char const* text)
{
    return QCoreApplication::translate("QObject", text);
}

const ListItem modeItems[] = {
    {NodeNoiseReduction::Mean, QStringLiteral("Bilateral Smoothing")},
    {NodeNoiseReduction::Median, QStringLiteral("Median Filter")},
};

ColorY withBrightness(unsigned int color)
{
    const int sum = int((color >> 16) & 0xFFu) + int((color >> 8) & 0xFFu) + int(color & 0xFFu);
    return ColorY{color, (sum * 341) >> 10};
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

template <class Tap>
unsigned int NodeNoiseReduction::filtered(QPoint const& p, unsigned int centre, Tap tap) const
{
    if (m_radius <= 0 || m_imageWidth < 1 || m_imageHeight < 1)
        return centre;
    switch (m_mode) {
    case Mean:
        return meanOfWindow(p, centre, tap);
    case Median:
        return medianOfWindow(p, centre, tap);
    default:
        return centre;
    }
}

unsigned int NodeNoiseReduction::getSample3(QPoint const& point) const
{
    if (!m_input)
        return 0x808080u;
    return filtered(point, m_input->getSample3(point),
                    [this](int x, int y) { return m_input->getSample3(QPoint(x, y)); });
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
    // Only neighbours inside the image are tapped: those rows and columns were read.
    const auto tap = [&](int tx, int ty) { return rows[ty - y + r][tx - first]; };
    for (int i = 0; i < count; ++i)
        out[i] = filtered(QPoint(x + i, y), out[i], tap);
}

template <class Visit>
void NodeNoiseReduction::forEachNeighbour(QPoint const& p, Visit visit) const
{
    const Window w = window(p);
    for (long long y = w.top; y <= w.bottom; ++y) {
        if (y != p.y()) {
            for (long long x = w.left; x <= w.right; ++x)
                visit(int(x), int(y));
            continue;
        }
        for (long long x = w.left; x <= std::min<long long>(w.right, p.x() - 1LL); ++x)
            visit(int(x), int(y));
        for (long long x = std::max<long long>(w.left, p.x() + 1LL); x <= w.right; ++x)
            visit(int(x), int(y));
    }
}

template <class Tap>
unsigned int NodeNoiseReduction::meanOfWindow(QPoint const& p, unsigned int centre, Tap tap) const
{
    const int cr = int((centre >> 16) & 0xFFu);
    const int cg = int((centre >> 8) & 0xFFu);
    const int cb = int(centre & 0xFFu);
    // |d| < t as one unsigned comparison, d + t - 1 in 0 .. 2t - 2 (for t <= 0 nothing is
    // near), and the kept colours summed without a branch: the integer sums do not depend on
    // the order.
    const int t = m_threshold;
    const unsigned int limit = t > 0 ? unsigned(2 * t - 1) : 0u;
    const auto near = [t, limit](int d) { return unsigned(d + t - 1) < limit; };
    int sum[3] = {cr, cg, cb};
    int n = 1;
    forEachNeighbour(p, [&](int x, int y) {
        const unsigned int s = tap(x, y);
        const int r = int((s >> 16) & 0xFFu);
        const int g = int((s >> 8) & 0xFFu);
        const int b = int(s & 0xFFu);
        const int kept = int(near(r - cr) & near(g - cg) & near(b - cb));
        sum[0] += r & -kept;
        sum[1] += g & -kept;
        sum[2] += b & -kept;
        n += kept;
    });
    const auto channel = [n](int total) { return unsigned((total + n / 2) / n); };
    return (channel(sum[0]) << 16) | (channel(sum[1]) << 8) | channel(sum[2]);
}

template <class Tap>
unsigned int NodeNoiseReduction::medianOfWindow(QPoint const& p, unsigned int centre, Tap tap) const
{
    // On the stack: a sample allocates nothing and threads share nothing.
    std::array<ColorY, kMaxWindow> list;
    int n = 0;
    list[n++] = withBrightness(centre);
    forEachNeighbour(p, [&](int x, int y) {
        const unsigned int s = tap(x, y);
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

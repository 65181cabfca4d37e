#include "effects/NodeBlur.h"

#include "effects/VyxNodeGraph.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeBlur::m_descriptor{
    QStringLiteral("operator.blur"), QUuid(QStringLiteral("0101b22f-5696-4cc7-83b8-7980aa6c078e")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Blur")), QString(), &NodeBlur::create};

namespace {

QString tr(char const* text)
{
    return QCoreApplication::translate("QObject", text);
}

// The part of from..to (inclusive) that lies in 0..size-1; empty when lo > hi. 64-bit, so
// windows around far-away points do not overflow.
void clipRange(std::int64_t from, std::int64_t to, int size, int& lo, int& hi)
{
    lo = int(std::max<std::int64_t>(from, 0));
    hi = int(std::min<std::int64_t>(to, std::int64_t(size) - 1));
}

// Rounded half up; 0 for an empty window.
int mean(int sum, int count)
{
    if (count <= 0)
        return 0;
    return std::clamp((sum + count / 2) / count, 0, 255);
}

} // namespace

NodeBlur::NodeBlur(int id)
    : BaseGeneratorNode(id, QStringLiteral("in"), QStringLiteral("out"))
    , m_container(m_descriptor.typeId, QString(), this)
{
    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new NumGroupParameter<int>("radius", tr("Radius:"), c, &m_radius, 1, 0, 50, 4, true, 5),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Blur")),
                              tr("The node blurs the input by averaging every point with its "
                                 "neighbours within the radius."));
    m_renderRadius = m_radius;
}

NodeBlur::~NodeBlur() = default;

KelNodes::Node* NodeBlur::create(int uid)
{
    return new NodeBlur(uid);
}

int NodeBlur::onFilterStart(StatusObserver* /*observer*/)
{
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    if (!image)
        return -1;
    m_imageWidth = image->width();
    m_imageHeight = image->height();
    m_mask = m_graph->selectionMask();
    m_renderRadius = m_radius;

    RunningSums initial;
    std::fill(std::begin(initial.sum), std::end(initial.sum), -1);
    std::fill(std::begin(initial.rowStartSum), std::end(initial.rowStartSum), -1);
    initial.last = QPoint(-10, -10);
    initial.rowStart = QPoint(-10, -10);
    initial.rowStartCount = 0;
    initial.count = 0;
    m_running.init(initial);
    m_cache1D.init(m_imageWidth, m_imageHeight);
    m_cache3D.init(m_imageWidth, m_imageHeight);
    return 0;
}

bool NodeBlur::inImage(int x, int y) const
{
    return x >= 0 && y >= 0 && x < m_imageWidth && y < m_imageHeight;
}

bool NodeBlur::counted(int x, int y) const
{
    // The mask covers the whole image, row by row.
    return !m_mask || m_mask[std::size_t(y) * std::size_t(m_imageWidth) + std::size_t(x)] != 0;
}

unsigned int NodeBlur::getSample(QPoint const& point) const
{
    if (!m_upstream1D)
        return 128;
    const int r = m_renderRadius;
    if (r <= 0 || m_imageWidth <= 0 || m_imageHeight <= 0)
        return m_upstream1D->getSample(point) & 0xFFu;

    NodeCache<unsigned char>& cache = m_cache1D.local();
    unsigned char cached = 0;
    if (cache.lookup(point.x(), point.y(), cached))
        return cached;

    int x0, x1, y0, y1;
    clipRange(std::int64_t(point.x()) - r, std::int64_t(point.x()) + r, m_imageWidth, x0, x1);
    clipRange(std::int64_t(point.y()) - r, std::int64_t(point.y()) + r, m_imageHeight, y0, y1);
    int sum = 0;
    int count = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (!counted(x, y))
                continue;
            sum += int(m_upstream1D->getSample(QPoint(x, y)) & 0xFFu);
            ++count;
        }
    }
    const int v = mean(sum, count);
    cache.store(point.x(), point.y(), static_cast<unsigned char>(v));
    return unsigned(v);
}

void NodeBlur::addColumn(Window& w, int x, int yFrom, int yTo, int sign) const
{
    if (x < 0 || x >= m_imageWidth)
        return;
    int y0, y1;
    clipRange(yFrom, yTo, m_imageHeight, y0, y1);
    for (int y = y0; y <= y1; ++y) {
        if (!counted(x, y))
            continue;
        const unsigned int c = m_upstream3D->getSample3(QPoint(x, y));
        w.sum[0] += sign * int((c >> 16) & 0xFFu);
        w.sum[1] += sign * int((c >> 8) & 0xFFu);
        w.sum[2] += sign * int(c & 0xFFu);
        w.count += sign;
    }
}

void NodeBlur::addRow(Window& w, int y, int xFrom, int xTo, int sign) const
{
    if (y < 0 || y >= m_imageHeight)
        return;
    int x0, x1;
    clipRange(xFrom, xTo, m_imageWidth, x0, x1);
    for (int x = x0; x <= x1; ++x) {
        if (!counted(x, y))
            continue;
        const unsigned int c = m_upstream3D->getSample3(QPoint(x, y));
        w.sum[0] += sign * int((c >> 16) & 0xFFu);
        w.sum[1] += sign * int((c >> 8) & 0xFFu);
        w.sum[2] += sign * int(c & 0xFFu);
        w.count += sign;
    }
}

NodeBlur::Window NodeBlur::fullWindow(QPoint const& p) const
{
    Window w;
    int y0, y1;
    const int r = m_renderRadius;
    clipRange(std::int64_t(p.y()) - r, std::int64_t(p.y()) + r, m_imageHeight, y0, y1);
    for (int y = y0; y <= y1; ++y)
        addRow(w, y, int(std::max<std::int64_t>(std::int64_t(p.x()) - r, INT32_MIN)),
               int(std::min<std::int64_t>(std::int64_t(p.x()) + r, INT32_MAX)), 1);
    return w;
}

unsigned int NodeBlur::packedMean(Window const& w) const
{
    return (unsigned(mean(w.sum[0], w.count)) << 16) | (unsigned(mean(w.sum[1], w.count)) << 8)
           | unsigned(mean(w.sum[2], w.count));
}

unsigned int NodeBlur::getSample3(QPoint const& point) const
{
    if (!m_upstream3D)
        return 0x808080u;
    const int r = m_renderRadius;
    if (r <= 0 || m_imageWidth <= 0 || m_imageHeight <= 0)
        return m_upstream3D->getSample3(point);

    NodeCache<unsigned int>& cache = m_cache3D.local();
    unsigned int cached = 0;
    if (cache.lookup(point.x(), point.y(), cached))
        return cached;
    // Outside the image: computed in full, neither memoised nor slid from.
    if (!inImage(point.x(), point.y()))
        return packedMean(fullWindow(point));

    RunningSums& s = m_running.local();
    const int x = point.x();
    const int y = point.y();
    Window w;
    if (x == s.last.x() + 1 && y == s.last.y()) {
        // Next pixel of the row: drop the column that left the window, add the one that entered.
        std::copy(std::begin(s.sum), std::end(s.sum), w.sum);
        w.count = s.count;
        addColumn(w, x - r - 1, y - r, y + r, -1);
        addColumn(w, x + r, y - r, y + r, 1);
    } else if (x == s.rowStart.x() && y == s.rowStart.y() + 1) {
        // First pixel of the next row, below the previous row's first one.
        std::copy(std::begin(s.rowStartSum), std::end(s.rowStartSum), w.sum);
        w.count = s.rowStartCount;
        addRow(w, y - r - 1, x - r, x + r, -1);
        addRow(w, y + r, x - r, x + r, 1);
        std::copy(std::begin(w.sum), std::end(w.sum), s.rowStartSum);
        s.rowStartCount = w.count;
        s.rowStart = point;
    } else {
        w = fullWindow(point);
        std::copy(std::begin(w.sum), std::end(w.sum), s.rowStartSum);
        s.rowStartCount = w.count;
        s.rowStart = point;
    }
    std::copy(std::begin(w.sum), std::end(w.sum), s.sum);
    s.count = w.count;
    s.last = point;

    const unsigned int v = packedMean(w);
    cache.store(x, y, v);
    return v;
}

} // namespace KelVyxNodes

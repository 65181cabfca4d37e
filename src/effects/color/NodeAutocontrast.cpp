#include "effects/color/NodeAutocontrast.h"

#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/ParallelRows.h"
#include "effects/RowSweepHint.h"
#include "effects/VyxNodeGraph.h"
#include "effects/VyxTerminal.h"
#include "effects/color/RowColours.h"
#include "params/StatusObserver.h"

#include <QCoreApplication>
#include <QImage>
#include <QPoint>

#include <algorithm>
#include <vector>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeAutocontrast::m_descriptor{
    QStringLiteral("operator.autocontrast"), QUuid(QStringLiteral("cb747dc6-1914-4b2e-8d12-55a28e2d7681")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Autocontrast")), QString(), &NodeAutocontrast::create};

NodeAutocontrast::NodeAutocontrast(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_inTerminal = addTerminal(QStringLiteral("in"), 4u, 0u);
    addTerminal(QStringLiteral("rgb"), 0u, 5u);
    *m_container.helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Autocontrast")),
        tr("The node analyzes image dynamic range and adjusts image contrast making shadows darker "
           "and highlights brighter if necessary."));
}

NodeAutocontrast::~NodeAutocontrast() = default;

std::pair<int, int> NodeAutocontrast::rgbMinAndMax(int width, int height, StatusObserver* observer,
                                                   bool* cancelled) const
{
    if (cancelled)
        *cancelled = false;
    if (!m_input)
        return {0, 0};
    // Rows in parallel, each worker keeping its own extremes: minimum and maximum do not
    // depend on the order, so the result is the one of a single scan.
    const int threads = m_graph ? m_graph->renderThreads() : 1;
    std::vector<std::pair<int, int>> parts(std::size_t(ParallelRows::workerCount(height, threads)),
                                           {256, 0});
    auto scanRow = [&](int y, int worker) {
        RowSweepHint::Row sweep(y);
        int darkest = parts[std::size_t(worker)].first;
        int brightest = parts[std::size_t(worker)].second;
        visitRowColours(m_input, y, width, [&](unsigned int c) {
            const int r = static_cast<int>((c >> 16) & 0xFFu);
            const int g = static_cast<int>((c >> 8) & 0xFFu);
            const int b = static_cast<int>(c & 0xFFu);
            brightest = std::max(brightest, std::max({r, g, b}));
            darkest = std::min(darkest, std::min({r, g, b}));
        });
        parts[std::size_t(worker)] = {darkest, brightest};
    };
    if (width > 0 && ParallelRows::run(height, threads, scanRow, observer, false) < 0) {
        if (cancelled)
            *cancelled = true;
        return {0, 0};
    }
    int brightest = 0;
    int darkest = 256;
    for (auto const& part : parts) {
        darkest = std::min(darkest, part.first);
        brightest = std::max(brightest, part.second);
    }
    return {darkest, brightest};
}

int NodeAutocontrast::onFilterStart(StatusObserver* observer)
{
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    if (!image)
        return -1;
    m_width = image->width();
    m_height = image->height();

    bool cancelled = false;
    const std::pair<int, int> range = rgbMinAndMax(m_width, m_height, observer, &cancelled);
    if (cancelled || (observer && observer->cancelationRequested()))
        return -1;
    // An empty image leaves the darkest value at its start of 256.
    m_darkest = static_cast<unsigned char>(std::clamp(range.first, 0, 255));
    m_brightest = static_cast<unsigned char>(std::clamp(range.second, 0, 255));
    m_prepared = true;
    const int darkest = m_darkest;
    const int brightest = m_brightest;
    m_stretched.fill([darkest, brightest](int channel, int value) {
        return stretch(unsigned(value) * 0x010101u, darkest, brightest) >> (16 - 8 * channel);
    });
    return 0;
}

unsigned int NodeAutocontrast::stretch(unsigned int rgb, int darkest, int brightest)
{
    // Held to 0..255: a darkest value of 244 or more would raise the lower bound past a byte.
    const int lo = std::clamp(static_cast<int>(darkest + 255 * LEFT_THRESHOLD), 0, 255);
    const int hi = std::clamp(static_cast<int>(brightest * RIGHT_THRESHOLD), 0, 255);
    const int span = hi - lo;
    unsigned int result = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const int channel = static_cast<int>((rgb >> shift) & 0xFFu);
        const int k = std::max(lo, std::min(hi, channel));
        const int value = span <= 0 ? k : (k - lo) * 255 / span;
        result |= static_cast<unsigned int>(value) << shift;
    }
    return result;
}

unsigned int NodeAutocontrast::getSample3(QPoint const& point) const
{
    if (!m_input || !m_prepared)
        return 0x808080u;
    return stretch(m_input->getSample3(point), m_darkest, m_brightest);
}

void NodeAutocontrast::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_input || !m_prepared) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    m_input->getSpan3(y, x, count, out);
    m_stretched.mapSpan(out, count);
}

int NodeAutocontrast::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("in"))
        getGeneratorInterface(&m_input, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeAutocontrast::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("in"))
        m_input = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeAutocontrast::resolveInputs()
{
    m_input = linkedGenerator3D(m_inTerminal);
}

} // namespace KelVyxNodes

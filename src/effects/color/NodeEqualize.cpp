#include "effects/color/NodeEqualize.h"

#include "effects/GeneratorLookup.h"
#include "effects/Histogram.h"
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
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <vector>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeEqualize::m_descriptor{
    QStringLiteral("operator.equalize"), QUuid(QStringLiteral("b3f83011-fe9a-410f-835b-301928dd0b8f")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Equalize")), QString(), &NodeEqualize::create};

NodeEqualize::NodeEqualize(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_inTerminal = addTerminal(QStringLiteral("in"), 4u, 0u);
    addTerminal(QStringLiteral("rgb"), 0u, 5u);
    *m_container.helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Equalize")),
        tr("The node adjusts the image color histogram so as to produce uniform distribution for "
           "every color channel (i.e. equal amount of shadows, midtones and highlights). The result "
           "depends on the original image and can vary from visually improved contrast to weird "
           "colors along with severe increase of image noise or totally washed-out look."),
        {HelpLink(tr("Equalization"),
                  QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Histogram_equalization")))});
}

NodeEqualize::~NodeEqualize() = default;

void NodeEqualize::buildTables(Histogram const& counts, int width, int height, Tables& tables)
{
    std::int32_t const* bins[3] = {counts.red, counts.green, counts.blue};
    // Never used on an empty image: no bin holds a pixel.
    const double share = (1.0 / static_cast<double>(width)) / static_cast<double>(height);
    for (int channel = 0; channel < 3; ++channel) {
        double sum = 0.0;
        for (int level = 0; level < 256; ++level) {
            // The share added once per pixel, as a pixel-by-pixel scan adds it.
            double bin = 0.0;
            for (std::int32_t n = 0; n < bins[channel][level]; ++n)
                bin += share;
            sum += bin;
            tables[channel][level] = sum * 255.0 + 0.5;
        }
    }
}

bool NodeEqualize::prepare(int width, int height, StatusObserver* observer)
{
    // Rows in parallel, one histogram per worker, added up afterwards: the tables are built
    // from whole counts, bin by bin in a fixed order, so they are those of a single scan.
    const int threads = m_graph ? m_graph->renderThreads() : 1;
    std::vector<Histogram> parts(std::size_t(ParallelRows::workerCount(height, threads)));
    auto scanRow = [&](int y, int worker) {
        RowSweepHint::Row sweep(y);
        Histogram& part = parts[std::size_t(worker)];
        auto count = [&part](unsigned int c) {
            ++part.red[(c >> 16) & 0xFFu];
            ++part.green[(c >> 8) & 0xFFu];
            ++part.blue[c & 0xFFu];
        };
        if (m_input) {
            visitRowColours(m_input, y, width, count);
        } else {
            for (int x = 0; x < width; ++x)
                count(0x808080u);
        }
    };
    if (width > 0 && ParallelRows::run(height, threads, scanRow, observer, false) < 0)
        return false;
    Histogram counts;
    for (Histogram const& part : parts) {
        for (int level = 0; level < 256; ++level) {
            counts.red[level] += part.red[level];
            counts.green[level] += part.green[level];
            counts.blue[level] += part.blue[level];
        }
    }
    Tables tables;
    buildTables(counts, width, height, tables);
    std::memcpy(m_tables, tables, sizeof(Tables));
    m_levelBytes.fill([this](int channel, int level) { return static_cast<int>(m_tables[channel][level]); });
    return true;
}

int NodeEqualize::onFilterStart(StatusObserver* observer)
{
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    if (!image)
        return -1;
    m_width = image->width();
    m_height = image->height();
    // Kept as stored documents expect: a render of an Equalize node without input fails.
    if (!m_input)
        return -1;
    if (!prepare(m_width, m_height, observer) || (observer && observer->cancelationRequested()))
        return -1;
    m_prepared = true;
    return 0;
}

unsigned int NodeEqualize::getSample3(QPoint const& point) const
{
    if (!m_input || !m_prepared)
        return 0x808080u;
    return m_levelBytes.map(m_input->getSample3(point));
}

void NodeEqualize::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_input || !m_prepared) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    m_input->getSpan3(y, x, count, out);
    m_levelBytes.mapSpan(out, count);
}

int NodeEqualize::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("in"))
        getGeneratorInterface(&m_input, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeEqualize::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("in"))
        m_input = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeEqualize::resolveInputs()
{
    m_input = linkedGenerator3D(m_inTerminal);
}

} // namespace KelVyxNodes

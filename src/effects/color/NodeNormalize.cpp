#include "effects/color/NodeNormalize.h"

#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/ParallelRows.h"
#include "effects/RowSweepHint.h"
#include "effects/VyxNodeGraph.h"
#include "effects/VyxTerminal.h"
#include "effects/color/RowColours.h"
#include "params/ParameterList.h"
#include "params/StatusObserver.h"

#include <QCoreApplication>
#include <QImage>
#include <QPoint>

#include <algorithm>
#include <vector>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeNormalize::m_descriptor{
    QStringLiteral("operator.normalize"), QUuid(QStringLiteral("d806d9e3-e4f0-433e-a3a4-133351a103c4")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Normalize")), QString(), &NodeNormalize::create};

NodeNormalize::NodeNormalize(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_inTerminal = addTerminal(QStringLiteral("rgbIn"), 4u, 0u);
    addTerminal(QStringLiteral("rgbOut"), 0u, 5u);
    m_container.paramLists().append(ParameterList{"basic", true, {}});
    *m_container.helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Normalize")),
        tr("The node normalizes every color channel by means of increasing its dynamic range. "
           "This usually results in more contrast image."));
    fillStretchTables();
}

NodeNormalize::~NodeNormalize() = default;

int NodeNormalize::samplingStep(int size)
{
    if (size <= 255)
        return 1;
    if (size < 2304)
        return size / 256;
    return 8;
}

int NodeNormalize::onFilterStart(StatusObserver* observer)
{
    if (!m_input)
        return 0;
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    if (!image)
        return -1;
    const int width = image->width();
    const int height = image->height();

    // Scanned into a local copy: a cancelled scan leaves the last complete statistics whole.
    Statistics scan;
    std::fill(std::begin(scan.minimum), std::end(scan.minimum), 256);
    std::fill(std::begin(scan.maximum), std::end(scan.maximum), 0);
    const int stepX = samplingStep(width);
    const int stepY = samplingStep(height);
    // Lattice rows in parallel, each worker keeping its own extremes: minimum and maximum do not
    // depend on the order, so the statistics are those of a single scan.
    struct Extremes
    {
        int minimum[3] = {256, 256, 256};
        int maximum[3] = {0, 0, 0};
    };
    const int rows = height > 0 ? (height - 1) / stepY + 1 : 0;
    const int threads = m_graph->renderThreads();
    std::vector<Extremes> parts(std::size_t(ParallelRows::workerCount(rows, threads)));
    auto scanRow = [&](int row, int worker) {
        const int y = row * stepY;
        RowSweepHint::Row sweep(y);
        Extremes& part = parts[std::size_t(worker)];
        auto take = [&part](unsigned int c) {
            for (int channel = 0; channel < 3; ++channel) {
                const int v = static_cast<int>((c >> (16 - 8 * channel)) & 0xFFu);
                part.maximum[channel] = std::max(part.maximum[channel], v);
                part.minimum[channel] = std::min(part.minimum[channel], v);
            }
        };
        if (stepX == 1) {
            visitRowColours(m_input, y, width, take);
        } else {
            // The start column moves along with the row: the samples form a diagonal lattice.
            for (int x = y % stepX; x < width; x += stepX)
                take(m_input->getSample3(QPoint(x, y)));
        }
    };
    if (ParallelRows::run(rows, threads, scanRow, observer, false) < 0)
        return -1;
    for (Extremes const& part : parts) {
        for (int channel = 0; channel < 3; ++channel) {
            scan.maximum[channel] = std::max(scan.maximum[channel], part.maximum[channel]);
            scan.minimum[channel] = std::min(scan.minimum[channel], part.minimum[channel]);
        }
    }
    for (int channel = 0; channel < 3; ++channel) {
        const int range = scan.maximum[channel] - scan.minimum[channel];
        scan.factor[channel] = range > 0 ? 255.0f / static_cast<float>(range) : 0.0f;
    }
    m_statistics = scan;
    fillStretchTables();
    return 0;
}

unsigned int NodeNormalize::stretch(unsigned int rgb, Statistics const& statistics)
{
    unsigned int result = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const int shift = 16 - 8 * channel;
        int v = static_cast<int>((rgb >> shift) & 0xFFu);
        const float factor = statistics.factor[channel];
        if (factor > 0.0f) {
            v = static_cast<int>(static_cast<float>(v - statistics.minimum[channel]) * factor + 0.5f);
            v = std::clamp(v, 0, 255);
        }
        result |= static_cast<unsigned int>(v) << shift;
    }
    return result;
}

unsigned int NodeNormalize::getSample3(QPoint const& point) const
{
    if (!m_input)
        return 0x808080u;
    return stretch(m_input->getSample3(point), m_statistics);
}

void NodeNormalize::fillStretchTables()
{
    m_stretched.fill([this](int channel, int value) {
        return stretch(unsigned(value) * 0x010101u, m_statistics) >> (16 - 8 * channel);
    });
}

void NodeNormalize::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_input) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    m_input->getSpan3(y, x, count, out);
    m_stretched.mapSpan(out, count);
}

int NodeNormalize::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgbIn"))
        getGeneratorInterface(&m_input, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeNormalize::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgbIn"))
        m_input = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeNormalize::resolveInputs()
{
    m_input = linkedGenerator3D(m_inTerminal);
}

} // namespace KelVyxNodes

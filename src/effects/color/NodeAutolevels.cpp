#include "effects/color/NodeAutolevels.h"

#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/ParallelRows.h"
#include "effects/RowSweepHint.h"
#include "effects/Histogram.h"
#include "effects/NodeValueUtils.h"
#include "effects/VyxNodeGraph.h"
#include "effects/VyxTerminal.h"
#include "effects/color/RowColours.h"
#include "params/GroupBoxParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"
#include "params/StatusObserver.h"

#include <QCoreApplication>
#include <QImage>
#include <QPoint>

#include <climits>
#include <cmath>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeAutolevels::m_descriptor{
    QStringLiteral("operator.autolevels"), QUuid(QStringLiteral("677625e0-5099-4905-9d22-ae4b48db9c4a")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Autolevels")), QString(), &NodeAutolevels::create};

namespace {

const ListItem autolevelsModes[] = {
    {NodeAutolevels::Default, QStringLiteral("Default")},
    {NodeAutolevels::Custom, QStringLiteral("Custom")},
};

} // namespace

int upperValue(int const* histogram, int size, int count, bool fromTop)
{
    // 64 bits: the counts of a huge image may add up past an int.
    long long sum = 0;
    for (int i = 0; i < size; ++i) {
        const int j = fromTop ? size - 1 - i : i;
        sum += histogram[j];
        if (sum >= count)
            return j;
    }
    return -1;
}

NodeAutolevels::NodeAutolevels(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_inTerminal = addTerminal(QStringLiteral("in"), 4u, 0u);
    addTerminal(QStringLiteral("rgb"), 0u, 5u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new ListParameter("mode", tr("Mode:"), c, &m_mode, autolevelsModes, 2, Default, 5),
        m_thresholdParam = new NumGroupParameter<float>("Threshold Factor", tr("Threshold:"), c, &m_threshold, 1, 0.01f, 5.0f, DEFAULT_THRESHOLD, true, 5),
    }});
    m_thresholdParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Autolevels")),
        tr("The node enhances midtones by means of adjusting image dynamic range. Node operation is "
           "similar to that of <b>AutoContrast</b>, however <b>AutoLevels</b> discards certain "
           "shadow and highlight levels according to <b>Threshold</b> specified."));

    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeAutolevels>, this});
    paramChanged(nullptr);
}

NodeAutolevels::~NodeAutolevels() = default;

void NodeAutolevels::paramChanged(Parameter* /*changed*/)
{
    if (m_mode == Default) {
        // Straight into the member: the parameter reads it, and no change is announced.
        m_threshold = DEFAULT_THRESHOLD;
        m_thresholdParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    } else {
        m_thresholdParam->setDisplayFlagOne(Parameter::DisplayEnabled);
    }
}

int NodeAutolevels::discardCount(float threshold, int width, int height)
{
    if (!std::isfinite(threshold))
        threshold = DEFAULT_THRESHOLD;
    const double count = double(height) * ((double(threshold) / 100.0) * double(width));
    // Beyond the int range no search can succeed either way; below 0 every search stops at once.
    if (count >= double(INT_MAX))
        return INT_MAX;
    if (count <= 0.0)
        return 0;
    return static_cast<int>(count);
}

NodeAutolevels::Levels NodeAutolevels::levelsOf(Histogram const& histogram, int count)
{
    int const* bins[3] = {histogram.red, histogram.green, histogram.blue};
    Levels levels;
    for (int channel = 0; channel < 3; ++channel) {
        const int low = upperValue(bins[channel], 256, count, false);
        const int high = upperValue(bins[channel], 256, count, true);
        levels.low[channel] = static_cast<unsigned char>(low < 0 ? 0 : low);
        levels.high[channel] = static_cast<unsigned char>(high < 0 ? 255 : high);
    }
    return levels;
}

NodeAutolevels::Levels NodeAutolevels::rgbMinAndMax(int width, int height, StatusObserver* observer,
                                                    bool* cancelled) const
{
    if (cancelled)
        *cancelled = false;
    if (!m_input) {
        Levels none;
        for (int channel = 0; channel < 3; ++channel) {
            none.low[channel] = 255;
            none.high[channel] = 0;
        }
        return none;
    }
    // Rows in parallel, one histogram per worker, added up afterwards: counts do not depend on
    // the order, so the levels are those of a single scan.
    const int threads = m_graph ? m_graph->renderThreads() : 1;
    std::vector<Histogram> parts(std::size_t(ParallelRows::workerCount(height, threads)));
    auto scanRow = [&](int y, int worker) {
        RowSweepHint::Row sweep(y);
        Histogram& part = parts[std::size_t(worker)];
        visitRowColours(m_input, y, width, [&part](unsigned int c) {
            ++part.red[(c >> 16) & 0xFFu];
            ++part.green[(c >> 8) & 0xFFu];
            ++part.blue[c & 0xFFu];
        });
    };
    if (width > 0 && ParallelRows::run(height, threads, scanRow, observer, false) < 0) {
        if (cancelled)
            *cancelled = true;
        return Levels();
    }
    Histogram histogram;
    for (Histogram const& part : parts) {
        for (int level = 0; level < 256; ++level) {
            histogram.red[level] += part.red[level];
            histogram.green[level] += part.green[level];
            histogram.blue[level] += part.blue[level];
        }
    }
    return levelsOf(histogram, discardCount(m_threshold, width, height));
}

int NodeAutolevels::onFilterStart(StatusObserver* observer)
{
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    if (!image)
        return -1;
    m_width = image->width();
    m_height = image->height();

    bool cancelled = false;
    const Levels levels = rgbMinAndMax(m_width, m_height, observer, &cancelled);
    if (cancelled || (observer && observer->cancelationRequested()))
        return -1;
    m_levels = levels;
    m_prepared = true;
    m_stretched.fill([&levels](int channel, int value) {
        return stretch(unsigned(value) * 0x010101u, levels) >> (16 - 8 * channel);
    });
    return 0;
}

unsigned int NodeAutolevels::stretch(unsigned int rgb, Levels const& levels)
{
    unsigned int result = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const int shift = 16 - 8 * channel;
        const auto value = static_cast<unsigned char>((rgb >> shift) & 0xFFu);
        result |= static_cast<unsigned int>(
                      linearCorrectionOneChannel(value, levels.high[channel], levels.low[channel]))
                  << shift;
    }
    return result;
}

unsigned int NodeAutolevels::getSample3(QPoint const& point) const
{
    if (!m_input || !m_prepared)
        return 0x808080u;
    return stretch(m_input->getSample3(point), m_levels);
}

int NodeAutolevels::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("in"))
        getGeneratorInterface(&m_input, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeAutolevels::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("in"))
        m_input = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeAutolevels::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_input || !m_prepared) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    m_input->getSpan3(y, x, count, out);
    m_stretched.mapSpan(out, count);
}

void NodeAutolevels::resolveInputs()
{
    m_input = linkedGenerator3D(m_inTerminal);
}

} // namespace KelVyxNodes

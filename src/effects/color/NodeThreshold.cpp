#include "effects/color/NodeThreshold.h"

#include "effects/Base1DGenerator.h"
#include "effects/GeneratorLookup.h"
#include "effects/LinearColorBytes.h"
#include "effects/NodeText.h"
#include "effects/NodeValueUtils.h"
#include "effects/SettingSpan.h"
#include "effects/VyxTerminal.h"
#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeThreshold::m_descriptor{
    QStringLiteral("operator.threshold"), QUuid(QStringLiteral("5b766fd3-d3e0-4fa2-87f9-5a07989c1756")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Threshold")), QString(), &NodeThreshold::create};

namespace {

char const* const thresholdInputNames[] = {"threshold", "smooth", "low", "high"};

// The percentage an input byte stands for, for every byte.
struct PercentOfByte
{
    PercentOfByte()
    {
        for (int b = 0; b < 256; ++b)
            percent[b] = transformToNewBounds(b, 0, 255, 0, 100);
    }
    int percent[256];
};

PercentOfByte const& percentTable()
{
    static const PercentOfByte table;
    return table;
}

int percentOf(Base1DGenerator const* input, QPoint const& point)
{
    return percentTable().percent[input->getSample(point) & 0xFFu];
}

// Rows are read in pieces of this many pixels, so the inputs' spans fit on the stack.
constexpr int kThresholdPiece = 128;

} // namespace

NodeThreshold::NodeThreshold(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_sourceTerminal = addTerminal(QStringLiteral("source"), 4u, 0u);
    m_inputTerminal[ThresholdInput] = addTerminal(QStringLiteral("threshold"), 2u, 0u);
    m_inputTerminal[SmoothInput] = addTerminal(QStringLiteral("smooth"), 2u, 0u);
    m_inputTerminal[LowInput] = addTerminal(QStringLiteral("low"), 4u, 0u);
    m_inputTerminal[HighInput] = addTerminal(QStringLiteral("high"), 4u, 0u);
    addTerminal(QStringLiteral("out"), 0u, 7u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        m_param[ThresholdInput] = new NumGroupParameter<int>("Threshold", tr("Threshold:"), c, &m_threshold, 1, 0, 100, 50, true, 5),
        m_param[SmoothInput] = new NumGroupParameter<int>("Smooth", tr("Smooth:"), c, &m_smooth, 1, 0, 100, 0, true, 5),
        m_param[LowInput] = new ColorParameter("Low", tr("Low Color:"), c, &m_low, 5),
        m_param[HighInput] = new ColorParameter("High", tr("High Color:"), c, &m_high, 5),
    }});
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Threshold")),
        tr("The node generates a two-color posterized image based on brightness of pixels of the "
           "original image. Pixels with brightness below <b>Threshold</b> yield <b>Low Color</b>, "
           "and others yield <b>High Color</b>. Borders between those two can be softened with "
           "<b>Smooth</b>."));
}

NodeThreshold::~NodeThreshold() = default;

unsigned int NodeThreshold::getSample3(QPoint const& point) const
{
    if (!m_source)
        return 0x808080u;
    // Inputs are asked in this order: threshold, smooth, low, high, then the source.
    const int threshold = m_threshold1D ? percentOf(m_threshold1D, point) : m_threshold;
    const int smooth = m_smooth1D ? percentOf(m_smooth1D, point) : m_smooth;
    const unsigned int low = m_low3D ? m_low3D->getSample3(point) : linearColorToRgb(m_low);
    const unsigned int high = m_high3D ? m_high3D->getSample3(point) : linearColorToRgb(m_high);
    return applySmooth(point, smooth, threshold, low, high) & 0xFFFFFFu;
}

void NodeThreshold::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_source) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    if (m_threshold1D || m_smooth1D || m_low3D || m_high3D) {
        linkedSpan3(y, x, count, out);
        return;
    }
    m_source->getSpan3(y, x, count, out);
    for (int i = 0; i < count; ++i) {
        const unsigned int c = out[i];
        out[i] = m_byBrightness[(((c >> 16) & 0xFFu) + ((c >> 8) & 0xFFu) + (c & 0xFFu)) / 3];
    }
}

void NodeThreshold::linkedSpan3(int y, int x, int count, unsigned int* out) const
{
    int const* percent = percentTable().percent;
    auto percentOfByte = [percent](unsigned int byte) { return percent[byte]; };
    const unsigned int low = linearColorToRgb(m_low);
    const unsigned int high = linearColorToRgb(m_high);
    int threshold[kThresholdPiece], smooth[kThresholdPiece];
    unsigned int lows[kThresholdPiece], highs[kThresholdPiece];
    for (int start = 0; start < count; start += kThresholdPiece) {
        const int n = std::min(kThresholdPiece, count - start);
        settingSpan(m_threshold1D, m_threshold, y, x + start, n, threshold, percentOfByte);
        settingSpan(m_smooth1D, m_smooth, y, x + start, n, smooth, percentOfByte);
        if (m_low3D)
            m_low3D->getSpan3(y, x + start, n, lows);
        else
            std::fill(lows, lows + n, low);
        if (m_high3D)
            m_high3D->getSpan3(y, x + start, n, highs);
        else
            std::fill(highs, highs + n, high);
        unsigned int* colours = out + start;
        m_source->getSpan3(y, x + start, n, colours);
        for (int i = 0; i < n; ++i)
            colours[i] = mixByBrightness(colours[i], smooth[i], threshold[i], lows[i], highs[i]) & 0xFFFFFFu;
    }
}

int NodeThreshold::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    // Without inputs feeding the settings, the result depends on the brightness alone.
    const unsigned int low = linearColorToRgb(m_low);
    const unsigned int high = linearColorToRgb(m_high);
    for (unsigned int b = 0; b < 256; ++b)
        m_byBrightness[b] = mixByBrightness(b * 0x010101u, m_smooth, m_threshold, low, high) & 0xFFFFFFu;
    return 0;
}

unsigned int NodeThreshold::applySmooth(QPoint const& point, int smooth, int threshold,
                                        unsigned int low, unsigned int high) const
{
    return mixByBrightness(m_source->getSample3(point), smooth, threshold, low, high);
}

unsigned int NodeThreshold::mixByBrightness(unsigned int c, int smooth, int threshold,
                                            unsigned int low, unsigned int high)
{
    const double t = transformToRealOne(threshold, 0, 100);
    const int brightness = int(((c >> 16) & 0xFFu) + ((c >> 8) & 0xFFu) + (c & 0xFFu)) / 3;
    const double b = transformToRealOne(brightness, 0, 255);
    double s = std::min(transformToRealOne(smooth, 0, 100) * 0.5, t);
    s = std::min(s, 1.0 - t);

    // With s = 0 both sides reduce to the hard test without dividing by zero.
    double weight;
    if (t > b) {
        const double w = std::min(s / t, 0.5);
        const double u = b * 0.5 / t;
        weight = u > 0.5 - w ? (u + w - 0.5) * 0.5 / w : 0.0;
    } else if (t == 1.0) {
        weight = 1.0;
    } else {
        const double w = std::min(s / (1.0 - t), 0.5);
        const double u = (b - t) * 0.5 / (1.0 - t) + 0.5;
        weight = w + 0.5 > u ? (u - 0.5) * 0.5 / w + 0.5 : 1.0;
    }

    unsigned int result = 0xFF000000u;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const int lo = int((low >> shift) & 0xFFu);
        const int hi = int((high >> shift) & 0xFFu);
        const int mixed = int(double(lo) + double(hi - lo) * weight);
        result |= unsigned(mixed) << shift;
    }
    return result;
}

int NodeThreshold::inputIndex(QString const& terminalName)
{
    for (int i = 0; i < InputCount; ++i) {
        if (terminalName == QLatin1String(thresholdInputNames[i]))
            return i;
    }
    return -1;
}

int NodeThreshold::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int input = inputIndex(own->name());
    if (own->name() == QLatin1String("source")) {
        getGeneratorInterface(&m_source, peer);
    } else if (input >= 0) {
        switch (input) {
        case ThresholdInput: getGeneratorInterface(&m_threshold1D, peer); break;
        case SmoothInput: getGeneratorInterface(&m_smooth1D, peer); break;
        case LowInput: getGeneratorInterface(&m_low3D, peer); break;
        default: getGeneratorInterface(&m_high3D, peer); break;
        }
        // Disabled even when the peer offers nothing: the link still stands for the setting.
        m_param[input]->setDisplayFlagZero(Parameter::DisplayEnabled);
    }
    return KelNodes::Node::onConnect(own, peer);
}

void NodeThreshold::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int input = inputIndex(own->name());
    if (own->name() == QLatin1String("source")) {
        m_source = nullptr;
    } else if (input >= 0) {
        switch (input) {
        case ThresholdInput: m_threshold1D = nullptr; break;
        case SmoothInput: m_smooth1D = nullptr; break;
        case LowInput: m_low3D = nullptr; break;
        default: m_high3D = nullptr; break;
        }
        m_param[input]->setDisplayFlagOne(Parameter::DisplayEnabled);
    }
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeThreshold::resolveInputs()
{
    m_source = linkedGenerator3D(m_sourceTerminal);
    m_threshold1D = linkedGenerator1D(m_inputTerminal[ThresholdInput]);
    m_smooth1D = linkedGenerator1D(m_inputTerminal[SmoothInput]);
    m_low3D = linkedGenerator3D(m_inputTerminal[LowInput]);
    m_high3D = linkedGenerator3D(m_inputTerminal[HighInput]);
}

} // namespace KelVyxNodes

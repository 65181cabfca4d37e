#include "effects/NodeTriangle.h"

#include "effects/NodeText.h"
#include "effects/WaveHelpers.h"
#include "nodes/NodeSubscriber.h"
#include "params/GroupBoxParameter.h"
#include "params/HelpLink.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QUrl>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeTriangle::m_descriptor{
    QStringLiteral("generator.triangle"), QUuid(QStringLiteral("01944473-ad13-4fbc-9ff0-26d539cdf93e")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Triangle Wave")), QString(), &NodeTriangle::create};

NodeTriangle::NodeTriangle(int id)
    : NodeOf(id, QString(), QStringLiteral("out"))
    , m_container(m_descriptor.typeId, QString(), this)
{
    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("generalBox", tr("General"), c, 1),
        new ListParameter("dirAxis", tr("Direction:"), c, &m_dirAxis, WaveHelpers::axisItems, 2, 0, 1),
        new NumGroupParameter<float>("freq", tr("Frequency:"), c, &m_freq, 1, 0.1f, 100.0f, 1.0f, true, 1),
        new NumGroupParameter<float>("peak", tr("Peak At:"), c, &m_peak, 1, 0.0f, 1.0f, 0.5f, true, 1),
        new NumGroupParameter<float>("phase", tr("Phase:"), c, &m_phase, 1, -180.0f, 180.0f, 0.0f, true, 1),
        m_zeroLevelParam = new NumGroupParameter<float>("zeroLevel", tr("Zero Level:"), c, &m_zeroLevel, 1, 0.0f, 1.0f, 0.0f, true, 1),
        m_oneLevelParam = new NumGroupParameter<float>("oneLevel", tr("One Level:"), c, &m_oneLevel, 1, 0.0f, 1.0f, 1.0f, true, 1),
    }});
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Triangle Wave")),
        tr("The node generates a triangle or sawtooth wave along the X or Y axis of the image."),
        {HelpLink(QStringLiteral("Triangle wave"), QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Triangle_wave"))),
         HelpLink(QStringLiteral("Sawtooth wave"), QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Sawtooth_wave")))});
    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeTriangle>, this});
    paramChanged(nullptr);
}

NodeTriangle::~NodeTriangle() = default;

bool NodeTriangle::updateStep()
{
    return WaveHelpers::periodStep(this, m_dirAxis, m_freq, m_step);
}

int NodeTriangle::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    return updateStep() ? 0 : -1;
}

unsigned int NodeTriangle::getSample(QPoint const& point) const
{
    const float frac = WaveHelpers::periodFractionAt(point, m_dirAxis, m_step, m_phasePeriods);
    float level;
    if (frac > m_peak)
        level = (frac - m_peak) * m_fallingSlope + m_oneLevel;
    else if (m_peak > 0.0f)
        level = frac * m_risingSlope + m_zeroLevel;
    else
        level = m_oneLevel; // a peak at 0 has no rising edge: the period starts at its peak
    return WaveHelpers::levelByte(level);
}

unsigned int NodeTriangle::getSample3(QPoint const& point) const
{
    return (getSample(point) & 0xFFu) * 0x010101u;
}

void NodeTriangle::getSpan(int y, int x, int count, unsigned int* out) const
{
    WaveHelpers::waveSpan(m_dirAxis, y, x, count, out, [this](QPoint const& point) { return NodeTriangle::getSample(point); });
}

void NodeTriangle::getSpan3(int y, int x, int count, unsigned int* out) const
{
    getSpan(y, x, count, out);
    WaveHelpers::greySpan(count, out);
}

void NodeTriangle::paramChanged(Parameter* changed)
{
    WaveHelpers::keepLevelsOrdered(changed, m_zeroLevelParam, m_zeroLevel, m_oneLevelParam, m_oneLevel);
    if (!changed || changed->name() == QLatin1String("phase"))
        m_phasePeriods = m_phase / 360.0f;
    if (!changed || changed->name() == QLatin1String("peak") || changed == m_zeroLevelParam
        || changed == m_oneLevelParam) {
        // An edge of zero width has no slope; sampling never takes that edge.
        m_risingSlope = m_peak > 0.0f ? (m_oneLevel - m_zeroLevel) / m_peak : 0.0f;
        m_fallingSlope = m_peak < 1.0f ? (m_zeroLevel - m_oneLevel) / (1.0f - m_peak) : 0.0f;
    }
    if (!changed)
        updateStep();
    else
        sendNotification(KelNodes::NodeSubscriber::SetUp);
}

} // namespace KelVyxNodes

#include "effects/NodePulse.h"

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

KelNodes::NodeDescriptor NodePulse::m_descriptor{
    QStringLiteral("generator.pulse"), QUuid(QStringLiteral("01e18908-537d-4f5f-95a2-d6ef649def8c")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Pulse Wave")), QString(), &NodePulse::create};

NodePulse::NodePulse(int id)
    : NodeOf(id, QString(), QStringLiteral("out"))
    , m_container(m_descriptor.typeId, QString(), this)
{
    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("generalBox", tr("General"), c, 1),
        new ListParameter("dirAxis", tr("Direction:"), c, &m_dirAxis, WaveHelpers::axisItems, 2, 0, 1),
        new NumGroupParameter<float>("freq", tr("Frequency:"), c, &m_freq, 1, 0.1f, 100.0f, 1.0f, true, 1),
        new NumGroupParameter<float>("duty", tr("Duty Cycle:"), c, &m_duty, 1, 0.01f, 1.0f, 0.5f, true, 1),
        new NumGroupParameter<float>("phase", tr("Phase:"), c, &m_phase, 1, -180.0f, 180.0f, 0.0f, true, 1),
        m_zeroLevelParam = new NumGroupParameter<float>("zeroLevel", tr("Zero Level:"), c, &m_zeroLevel, 1, 0.0f, 1.0f, 0.0f, true, 1),
        m_oneLevelParam = new NumGroupParameter<float>("oneLevel", tr("One Level:"), c, &m_oneLevel, 1, 0.0f, 1.0f, 1.0f, true, 1),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Pulse Wave")),
                              tr("The node generates a pulse wave along the X or Y axis of the image."),
                              {HelpLink(QStringLiteral("Pulse wave"),
                                        QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Pulse_wave")))});
    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodePulse>, this});
    paramChanged(nullptr);
}

NodePulse::~NodePulse() = default;

bool NodePulse::updateStep()
{
    return WaveHelpers::periodStep(this, m_dirAxis, m_freq, m_step);
}

int NodePulse::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    return updateStep() ? 0 : -1;
}

unsigned int NodePulse::getSample(QPoint const& point) const
{
    const float frac = WaveHelpers::periodFractionAt(point, m_dirAxis, m_step, m_phasePeriods);
    return WaveHelpers::levelByte(frac > m_duty ? m_zeroLevel : m_oneLevel);
}

unsigned int NodePulse::getSample3(QPoint const& point) const
{
    return (getSample(point) & 0xFFu) * 0x010101u;
}

void NodePulse::getSpan(int y, int x, int count, unsigned int* out) const
{
    WaveHelpers::waveSpan(m_dirAxis, y, x, count, out, [this](QPoint const& point) { return NodePulse::getSample(point); });
}

void NodePulse::getSpan3(int y, int x, int count, unsigned int* out) const
{
    getSpan(y, x, count, out);
    WaveHelpers::greySpan(count, out);
}

void NodePulse::paramChanged(Parameter* changed)
{
    WaveHelpers::keepLevelsOrdered(changed, m_zeroLevelParam, m_zeroLevel, m_oneLevelParam, m_oneLevel);
    if (!changed || changed->name() == QLatin1String("phase"))
        m_phasePeriods = m_phase / 360.0f;
    if (!changed)
        updateStep();
    else
        sendNotification(KelNodes::NodeSubscriber::SetUp);
}

} // namespace KelVyxNodes

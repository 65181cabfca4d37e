#include "effects/NodeSine.h"

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

#include <cmath>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeSine::m_descriptor{
    QStringLiteral("generator.sine"), QUuid(QStringLiteral("015edfcd-90f5-4da2-8622-6be6071b41e0")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Sine Wave")), QString(), &NodeSine::create};

NodeSine::NodeSine(int id)
    : NodeOf(id, QString(), QStringLiteral("out"))
    , m_container(m_descriptor.typeId, QString(), this)
{
    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("generalBox", tr("General"), c, 1),
        new NumGroupParameter<float>("amplitude", tr("Amplitude:"), c, &m_amplitude, 1, 0.01f, 3.0f, 0.5f, true, 1),
        new NumGroupParameter<float>("offset", tr("Offset:"), c, &m_offset, 1, -3.0f, 3.0f, 0.5f, true, 1),
        new ListParameter("dirAxis", tr("Direction:"), c, &m_dirAxis, WaveHelpers::axisItems, 2, 0, 1),
        new NumGroupParameter<float>("freq", tr("Frequency:"), c, &m_freq, 1, 0.1f, 100.0f, 1.0f, true, 1),
        new NumGroupParameter<float>("phase", tr("Phase:"), c, &m_phase, 1, -180.0f, 180.0f, 0.0f, true, 1),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Sine Wave")),
                              tr("The node generates a sine wave along the X or Y axis of the image."),
                              {HelpLink(QStringLiteral("Sine wave"),
                                        QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Sine_wave")))});
    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeSine>, this});
    paramChanged(nullptr);
}

NodeSine::~NodeSine() = default;

bool NodeSine::updateStep()
{
    const float size = WaveHelpers::imageSize(this, m_dirAxis);
    if (size <= 0.0f)
        return false;
    m_k = m_freq * 6.2831855f / size;
    return true;
}

int NodeSine::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    return updateStep() ? 0 : -1;
}

unsigned int NodeSine::getSample(QPoint const& point) const
{
    const float angle = m_k * WaveHelpers::coordinate(point, m_dirAxis) + m_phaseRadians;
    const double value = static_cast<double>(m_offset)
                         + static_cast<double>(m_amplitude) * std::cos(static_cast<double>(angle));
    return static_cast<unsigned int>(byteClamp(value * 255.0 + 0.5));
}

unsigned int NodeSine::getSample3(QPoint const& point) const
{
    return (getSample(point) & 0xFFu) * 0x010101u;
}

void NodeSine::getSpan(int y, int x, int count, unsigned int* out) const
{
    WaveHelpers::waveSpan(m_dirAxis, y, x, count, out, [this](QPoint const& point) { return NodeSine::getSample(point); });
}

void NodeSine::getSpan3(int y, int x, int count, unsigned int* out) const
{
    getSpan(y, x, count, out);
    WaveHelpers::greySpan(count, out);
}

void NodeSine::paramChanged(Parameter* changed)
{
    if (!changed || changed->name() == QLatin1String("phase"))
        m_phaseRadians = m_phase * 0.017453292f;
    // Frequency and direction otherwise wait for the next render, which measures the picture.
    if (!changed)
        updateStep();
    else
        sendNotification(KelNodes::NodeSubscriber::SetUp);
}

} // namespace KelVyxNodes

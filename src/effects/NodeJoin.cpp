#include "effects/NodeJoin.h"

#include "effects/NodeText.h"
#include "effects/SpanBuffer.h"

#include "effects/Base1DGenerator.h"
#include "effects/GeneratorLookup.h"
#include "effects/LinearColorBytes.h"
#include "effects/VyxTerminal.h"
#include "nodes/NodeSubscriber.h"
#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeJoin::m_descriptor{
    QStringLiteral("operator.join"), QUuid(QStringLiteral("01686572-6520-7769-6c6c-206265207469")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Join")), QString(), &NodeJoin::create};

namespace {

char const* const inputNames[] = {"r", "g", "b", "gray"};

} // namespace

NodeJoin::NodeJoin(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    for (int i = 0; i < InputCount; ++i)
        m_terminal[i] = addTerminal(QString::fromLatin1(inputNames[i]), 2u, 0u);
    addTerminal(QStringLiteral("rgb"), 0u, 5u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        m_defColorParam = new ColorParameter("defColor", tr("Default Color:"), c, &m_defColor, 1),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Join")),
                              tr("The node combines up to three 1D inputs to 3D output (RGB color)."));

    m_defColor = midGreyLinear();
    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeJoin>, this});
    paramChanged(nullptr);
}

NodeJoin::~NodeJoin() = default;

unsigned int NodeJoin::getSample3(QPoint const& point) const
{
    const bool hasGray = m_input[Gray] != nullptr;
    const unsigned int gray = hasGray ? (m_input[Gray]->getSample(point) & 0xFFu) : 0u;
    unsigned int result = 0;
    for (int channel = Red; channel <= Blue; ++channel) {
        unsigned int value;
        if (m_input[channel])
            value = m_input[channel]->getSample(point) & 0xFFu;
        else if (hasGray)
            value = gray;
        else
            value = static_cast<unsigned int>(m_defChannel[channel]);
        result |= value << (16 - 8 * channel);
    }
    return result;
}

void NodeJoin::paramChanged(Parameter* /*changed*/)
{
    refreshDefaults();
    sendNotification(KelNodes::NodeSubscriber::SetUp);
}

int NodeJoin::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    // Normally a no-op: changes made while the container's signals were blocked reach
    // paramChanged only later.
    refreshDefaults();
    return 0;
}

void NodeJoin::refreshDefaults()
{
    const float components[3] = {m_defColor.red, m_defColor.green, m_defColor.blue};
    for (int channel = Red; channel <= Blue; ++channel) {
        // Written only when different: a preview may be sampling on another thread.
        const int byte = linearChannelToByte(components[channel]);
        if (m_defChannel[channel] != byte)
            m_defChannel[channel] = byte;
    }
}

int NodeJoin::inputIndex(QString const& terminalName)
{
    for (int i = 0; i < InputCount; ++i) {
        if (terminalName == QLatin1String(inputNames[i]))
            return i;
    }
    return -1;
}

int NodeJoin::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int input = inputIndex(own->name());
    if (input >= 0)
        getGeneratorInterface(&m_input[input], peer);
    updateDefaultState();
    return KelNodes::Node::onConnect(own, peer);
}

void NodeJoin::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int input = inputIndex(own->name());
    if (input >= 0)
        m_input[input] = nullptr;
    updateDefaultState();
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeJoin::updateDefaultState()
{
    const bool covered = m_input[Gray] || (m_input[Red] && m_input[Green] && m_input[Blue]);
    if (covered)
        m_defColorParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    else
        m_defColorParam->setDisplayFlagOne(Parameter::DisplayEnabled);
}

void NodeJoin::resolveInputs()
{
    for (int i = 0; i < InputCount; ++i)
        m_input[i] = linkedGenerator1D(m_terminal[i]);
}

void NodeJoin::getSpan3(int y, int x, int count, unsigned int* out) const
{
    SpanBuffer gray(count);
    SpanBuffer value(count);
    const bool hasGray = m_input[Gray] != nullptr;
    if (hasGray)
        m_input[Gray]->getSpan(y, x, count, gray.data());
    std::fill(out, out + count, 0u);
    for (int channel = Red; channel <= Blue; ++channel) {
        const int shift = 16 - 8 * channel;
        if (m_input[channel]) {
            m_input[channel]->getSpan(y, x, count, value.data());
            for (int i = 0; i < count; ++i)
                out[i] |= (value[i] & 0xFFu) << shift;
        } else if (hasGray) {
            for (int i = 0; i < count; ++i)
                out[i] |= (gray[i] & 0xFFu) << shift;
        } else {
            const unsigned int v = static_cast<unsigned int>(m_defChannel[channel]) << shift;
            for (int i = 0; i < count; ++i)
                out[i] |= v;
        }
    }
}

} // namespace KelVyxNodes

#include "effects/NodeConst.h"

#include "effects/LinearColorBytes.h"
#include "effects/NodeText.h"
#include "effects/VyxTerminal.h"
#include "nodes/NodeSubscriber.h"
#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"

#include <QCoreApplication>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeConst::m_descriptor{
    QStringLiteral("generator.const"), QUuid(QStringLiteral("011dbb7e-5306-409f-931e-706c1ce64824")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Const")), QString(), &NodeConst::create};

NodeConst::NodeConst(int id)
    : NodeOf(id, QString(), QStringLiteral("out"))
    , m_container(m_descriptor.typeId, QString(), this)
{
    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("generalBox", tr("General"), c, 1),
        m_value1dParam = new NumGroupParameter<int>("value1d", tr("Value:"), c, &m_value1d, 1, 0, 255, 128, true, 1),
        m_value3dParam = new ColorParameter("value3d", tr("Color:"), c, &m_color, 1),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Const")),
                              tr("The node generates a constant value or color."));

    m_color = midGreyLinear();
    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeConst>, this});
    paramChanged(nullptr);
}

NodeConst::~NodeConst() = default;

unsigned int NodeConst::getSample(QPoint const& /*point*/) const
{
    return static_cast<unsigned int>(m_value1d) & 0xFFu;
}

unsigned int NodeConst::getSample3(QPoint const& /*point*/) const
{
    return m_packedColor;
}

void NodeConst::paramChanged(Parameter* changed)
{
    if (!changed || changed->name() == QLatin1String("value3d"))
        m_packedColor = linearColorToRgb(m_color);
    if (changed)
        sendNotification(KelNodes::NodeSubscriber::SetUp);
}

int NodeConst::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int result = BaseGeneratorNode::onConnect(own, peer);
    if (result < 0)
        return result;
    updateParamStates();
    return result;
}

void NodeConst::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    BaseGeneratorNode::onDisconnect(own, peer);
    updateParamStates();
}

void NodeConst::kindsSettled()
{
    updateParamStates();
}

void NodeConst::updateParamStates()
{
    const unsigned int mask = m_outputTerminal ? m_outputTerminal->outputMask() : 0u;
    auto follow = [](Parameter* parameter, bool enabled) {
        if (enabled)
            parameter->setDisplayFlagOne(Parameter::DisplayEnabled);
        else
            parameter->setDisplayFlagZero(Parameter::DisplayEnabled);
    };
    follow(m_value1dParam, (mask & 2u) != 0);
    follow(m_value3dParam, (mask & 4u) != 0);
}

void NodeConst::getSpan(int /*y*/, int /*x*/, int count, unsigned int* out) const
{
    std::fill(out, out + count, static_cast<unsigned int>(m_value1d) & 0xFFu);
}

void NodeConst::getSpan3(int /*y*/, int /*x*/, int count, unsigned int* out) const
{
    std::fill(out, out + count, m_packedColor);
}

} // namespace KelVyxNodes

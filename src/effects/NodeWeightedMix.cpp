#include "effects/NodeWeightedMix.h"

#include "effects/GeneratorLookup.h"
#include "effects/MixFormulas.h"
#include "effects/NodeText.h"
#include "effects/SpanBuffer.h"
#include "params/GroupBoxParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <cstring>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeWeightedMix::m_descriptor{
    QStringLiteral("operator.weightmix"), QUuid(QStringLiteral("01657420-6661-6c6c-2075-706f6e206974")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Weighted Mix")), QString(), &NodeWeightedMix::create};

namespace {

enum Mode { Addition = 0, Multiplication = 1 };

const ListItem weightedModes[] = {{Addition, QStringLiteral("Addition")},
                              {Multiplication, QStringLiteral("Multiplication")}};

} // namespace

NodeWeightedMix::NodeWeightedMix(int id)
    : NodeOf(id, m_descriptor.typeId)
{
    addOperandTerminal(0);
    addOperandTerminal(1);
    m_weightTerminal = addTerminal(QStringLiteral("weight"), 2u, 0u);
    addOperandTerminal(2);
    addOperandTerminal(3);
    addTerminal(QStringLiteral("out"), 0u, 5u);
    addTerminal(QStringLiteral("out 1d"), 0u, 3u);

    auto* c = &m_container;
    QList<Parameter*> parameters{
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new ListParameter("mode", tr("Mode:"), c, &m_mode, weightedModes, 2, Addition, 1),
        m_weightParam = new NumGroupParameter<float>("weight", tr("Weight:"), c, &m_weight, 1, 0.0f, 1.0f, 0.5f, true, 1),
    };
    parameters += defaultsParameters();
    c->paramLists().append(ParameterList{"basic", true, parameters});

    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Weighted Mix")),
        tr("The node combines two 1D or 3D inputs according to mixing mode (addition or "
           "multiplication) and weight. If an input terminal is not connected, corresponding "
           "<b>Defaults</b>' <b>ValueX</b> or <b>ColorX</b> is taken depending on whether the node "
           "is in 1D or 3D mode.<br><b>Weight</b> value corresponds to the relative weight of "
           "<b>in1</b> (or <b>Value1</b> or <b>Color1</b>) in the node output. Therefore, "
           "<b>Weight</b> set to 0 will lead to the output equal to <b>in2</b> for any mixing "
           "mode, and 1 will output &quot;pure&quot; <b>in1</b>."));

    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeWeightedMix>, this});
    paramChanged(nullptr);
}

NodeWeightedMix::~NodeWeightedMix() = default;

float NodeWeightedMix::weightAt(QPoint const& point) const
{
    if (m_weightInput)
        return weightOf(m_weightInput->getSample(point));
    return m_weight;
}

float NodeWeightedMix::weightOf(unsigned int byte)
{
    return static_cast<float>(byte & 0xFFu) / 255.0f;
}

long long NodeWeightedMix::pairTableKey() const
{
    unsigned int bits = 0;
    static_assert(sizeof bits == sizeof m_weight);
    std::memcpy(&bits, &m_weight, sizeof bits);
    return (static_cast<long long>(m_mode) << 32) | bits;
}

int NodeWeightedMix::pairResult(bool colour, int x, int y) const
{
    const float w = m_weight;
    if (m_mode == Multiplication)
        return colour ? MixFormulas::weightedProductColour(x, y, w) : MixFormulas::weightedProductOneChannel(x, y, w);
    return MixFormulas::weightedSum(x, y, w);
}

unsigned int NodeWeightedMix::mixed(int a, int b, float w) const
{
    const int r = m_mode == Multiplication ? MixFormulas::weightedProductOneChannel(a, b, w)
                                           : MixFormulas::weightedSum(a, b, w);
    return static_cast<unsigned int>(MixFormulas::mixResult(r));
}

unsigned int NodeWeightedMix::mixed3(unsigned int first, unsigned int second, float w) const
{
    if (m_mode == Multiplication)
        return mixChannels(first, second, [w](int x, int y) { return MixFormulas::weightedProductColour(x, y, w); });
    return mixChannels(first, second, [w](int x, int y) { return MixFormulas::weightedSum(x, y, w); });
}

unsigned int NodeWeightedMix::getSample(QPoint const& point) const
{
    const int a = operand1D(0, point);
    const int b = operand1D(1, point);
    return mixed(a, b, weightAt(point));
}

unsigned int NodeWeightedMix::getSample3(QPoint const& point) const
{
    const unsigned int first = operand3D(0, point);
    const unsigned int second = operand3D(1, point);
    return mixed3(first, second, weightAt(point));
}

void NodeWeightedMix::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_weightInput) {
        BaseMixNode::getSpan(y, x, count, out);
        return;
    }
    SpanBuffer second(count);
    SpanBuffer weight(count);
    operandSpan(0, y, x, count, out);
    operandSpan(1, y, x, count, second.data());
    m_weightInput->getSpan(y, x, count, weight.data());
    for (int i = 0; i < count; ++i)
        out[i] = mixed(int(out[i] & 0xFFu), int(second[i] & 0xFFu), weightOf(weight[i]));
}

void NodeWeightedMix::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_weightInput) {
        BaseMixNode::getSpan3(y, x, count, out);
        return;
    }
    SpanBuffer second(count);
    SpanBuffer weight(count);
    operandSpan3(0, y, x, count, out);
    operandSpan3(1, y, x, count, second.data());
    m_weightInput->getSpan(y, x, count, weight.data());
    for (int i = 0; i < count; ++i)
        out[i] = mixed3(out[i], second[i], weightOf(weight[i]));
}

// The editor of what a linked input replaces is disabled while the link lasts, whether or not
// the peer offered an interface.
int NodeWeightedMix::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int input = operandInputIndex(own->name());
    if (input >= 0) {
        attachOperand(input, peer);
        operandDefault(input)->setDisplayFlagZero(Parameter::DisplayEnabled);
    } else if (own->name() == QLatin1String("weight")) {
        getGeneratorInterface(&m_weightInput, peer);
        m_weightParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    }
    return KelNodes::Node::onConnect(own, peer);
}

void NodeWeightedMix::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int input = operandInputIndex(own->name());
    if (input >= 0) {
        detachOperand(input);
        operandDefault(input)->setDisplayFlagOne(Parameter::DisplayEnabled);
    } else if (own->name() == QLatin1String("weight")) {
        m_weightInput = nullptr;
        m_weightParam->setDisplayFlagOne(Parameter::DisplayEnabled);
    }
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeWeightedMix::resolveInputs()
{
    BaseMixNode::resolveInputs();
    m_weightInput = linkedGenerator1D(m_weightTerminal);
}

} // namespace KelVyxNodes

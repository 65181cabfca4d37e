#include "effects/NodeArithmeticMix.h"

#include "effects/MixFormulas.h"
#include "effects/NodeText.h"
#include "nodes/Terminal.h"
#include "params/GroupBoxParameter.h"
#include "params/ListParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeArithmeticMix::m_descriptor{
    QStringLiteral("operator.arithmix"), QUuid(QStringLiteral("01935383-fb71-48e3-94e5-33277f71d160")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Arithmetic Mix")), QString(), &NodeArithmeticMix::create};

namespace {

// The item ids are the formula ids of MixFormulas::combine.
const ListItem arithmeticModes[] = {{MixFormulas::Add, QStringLiteral("Addition")},
                                    {MixFormulas::Subtract, QStringLiteral("Subtraction")},
                                    {MixFormulas::Difference, QStringLiteral("Difference")},
                                    {MixFormulas::Multiply, QStringLiteral("Multiplication")},
                                    {MixFormulas::Divide, QStringLiteral("Division")}};

} // namespace

NodeArithmeticMix::NodeArithmeticMix(int id)
    : NodeOf(id, m_descriptor.typeId)
{
    for (int input = 0; input < OperandInputs; ++input)
        addOperandTerminal(input);
    addTerminal(QStringLiteral("out"), 0u, 5u);
    addTerminal(QStringLiteral("out 1d"), 0u, 3u);

    auto* c = &m_container;
    QList<Parameter*> parameters{
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new ListParameter("mode", tr("Mode:"), c, &m_mode, arithmeticModes, 5, MixFormulas::Add, 1),
    };
    parameters += defaultsParameters();
    c->paramLists().append(ParameterList{"basic", true, parameters});

    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Arithmetic Mix")),
        tr("The node combines two 1D or 3D inputs using one of four elementary arithmetic "
           "operations. If an input terminal is not connected, corresponding <b>Defaults</b>' "
           "<b>ValueX</b> or <b>ColorX</b> is taken depending on whether the node is in 1D or 3D "
           "mode."));

    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeArithmeticMix>, this});
    paramChanged(nullptr);
}

NodeArithmeticMix::~NodeArithmeticMix() = default;

int NodeArithmeticMix::pairResult(bool /*colour*/, int x, int y) const
{
    return MixFormulas::combine(m_mode, x, y);
}

unsigned int NodeArithmeticMix::getSample(QPoint const& point) const
{
    return static_cast<unsigned int>(
        MixFormulas::mixResult(MixFormulas::combine(m_mode, operand1D(0, point), operand1D(1, point))));
}

unsigned int NodeArithmeticMix::getSample3(QPoint const& point) const
{
    const int mode = m_mode;
    return mixChannels(operand3D(0, point), operand3D(1, point),
                       [mode](int x, int y) { return MixFormulas::combine(mode, x, y); });
}

// A default's editor is disabled exactly while its input delivers an interface.
int NodeArithmeticMix::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int input = operandInputIndex(own->name());
    if (input >= 0)
        attachOperand(input, peer);
    for (int i = 0; i < OperandInputs; ++i) {
        if (operandPresent(i))
            operandDefault(i)->setDisplayFlagZero(Parameter::DisplayEnabled);
    }
    return KelNodes::Node::onConnect(own, peer);
}

void NodeArithmeticMix::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int input = operandInputIndex(own->name());
    if (input >= 0)
        detachOperand(input);
    for (int i = 0; i < OperandInputs; ++i) {
        if (!operandPresent(i))
            operandDefault(i)->setDisplayFlagOne(Parameter::DisplayEnabled);
    }
    KelNodes::Node::onDisconnect(own, peer);
}

} // namespace KelVyxNodes

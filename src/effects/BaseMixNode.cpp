#include "effects/BaseMixNode.h"

#include "effects/NodeText.h"
#include "effects/SpanBuffer.h"

#include "effects/GeneratorLookup.h"
#include "effects/LinearColorBytes.h"
#include "effects/VyxTerminal.h"
#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

namespace {

// The operand inputs: terminal name, input mask (4 colour, 2 one channel), operand 0 or 1.
struct OperandInput
{
    char const* name;
    unsigned int inputMask;
    int which;
};

constexpr OperandInput operandInputs[] = {
    {"in1", 4u, 0},
    {"in2", 4u, 1},
    {"in1 1d", 2u, 0},
    {"in2 1d", 2u, 1},
};

bool isColour(int input)
{
    return operandInputs[input].inputMask == 4u;
}

} // namespace

BaseMixNode::BaseMixNode(int id, QString const& typeId)
    : VyxNode(id)
    , m_container(typeId, QString(), this)
{
    m_defColor[0] = midGreyLinear();
    m_defColor[1] = midGreyLinear();
}

BaseMixNode::~BaseMixNode() = default;

void BaseMixNode::addOperandTerminal(int input)
{
    m_operandTerminal[input] = addTerminal(QString::fromLatin1(operandInputs[input].name),
                                           operandInputs[input].inputMask, 0u);
}

QList<Parameter*> BaseMixNode::defaultsParameters()
{
    auto* c = &m_container;
    return {
        new GroupBoxParameter("defaultsBox", tr("Defaults"), c, 1),
        m_defColorParam[0] = new ColorParameter("defColor1", tr("Color1:"), c, &m_defColor[0], 1),
        m_defColorParam[1] = new ColorParameter("defColor2", tr("Color2:"), c, &m_defColor[1], 1),
        m_defValueParam[0] = new NumGroupParameter<int>("defValue1", tr("Value1:"), c, &m_defValue[0], 1, 0, 255, 128, true, 1),
        m_defValueParam[1] = new NumGroupParameter<int>("defValue2", tr("Value2:"), c, &m_defValue[1], 1, 0, 255, 128, true, 1),
    };
}

int BaseMixNode::operandInputIndex(QString const& terminalName)
{
    for (int i = 0; i < OperandInputs; ++i) {
        if (terminalName == QLatin1String(operandInputs[i].name))
            return i;
    }
    return -1;
}

void BaseMixNode::attachOperand(int input, KelNodes::Terminal const* peer)
{
    const int which = operandInputs[input].which;
    if (isColour(input))
        getGeneratorInterface(&m_input3D[which], peer);
    else
        getGeneratorInterface(&m_input1D[which], peer);
}

void BaseMixNode::detachOperand(int input)
{
    const int which = operandInputs[input].which;
    if (isColour(input))
        m_input3D[which] = nullptr;
    else
        m_input1D[which] = nullptr;
}

bool BaseMixNode::operandPresent(int input) const
{
    const int which = operandInputs[input].which;
    return isColour(input) ? m_input3D[which] != nullptr : m_input1D[which] != nullptr;
}

Parameter* BaseMixNode::operandDefault(int input) const
{
    const int which = operandInputs[input].which;
    if (isColour(input))
        return m_defColorParam[which];
    return m_defValueParam[which];
}

void BaseMixNode::resolveInputs()
{
    for (int i = 0; i < OperandInputs; ++i) {
        const int which = operandInputs[i].which;
        if (isColour(i))
            m_input3D[which] = linkedGenerator3D(m_operandTerminal[i]);
        else
            m_input1D[which] = linkedGenerator1D(m_operandTerminal[i]);
    }
}

int BaseMixNode::operand1D(int which, QPoint const& point) const
{
    if (m_input1D[which])
        return static_cast<int>(m_input1D[which]->getSample(point) & 0xFFu);
    return m_defByte[which];
}

unsigned int BaseMixNode::operand3D(int which, QPoint const& point) const
{
    if (m_input3D[which])
        return m_input3D[which]->getSample3(point);
    return m_defRgb[which];
}

void BaseMixNode::paramChanged(Parameter* /*changed*/)
{
    refreshDefaults();
}

int BaseMixNode::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    // Normally a no-op: changes made while the container's signals were blocked reach
    // paramChanged only later.
    refreshDefaults();
    m_pairTablesOn = pairTablesApply();
    if (m_pairTablesOn && (m_pairKey != pairTableKey() || m_pairKey == -1)) {
        for (int kind = 0; kind < 2; ++kind)
            m_pairTable[kind].fill([&](int a, int b) { return MixFormulas::mixResult(pairResult(kind == 1, a, b)); });
        m_pairKey = pairTableKey();
    }
    return 0;
}

void BaseMixNode::operandSpan(int which, int y, int x, int count, unsigned int* out) const
{
    if (m_input1D[which])
        m_input1D[which]->getSpan(y, x, count, out);
    else
        std::fill(out, out + count, unsigned(m_defByte[which]));
}

void BaseMixNode::operandSpan3(int which, int y, int x, int count, unsigned int* out) const
{
    if (m_input3D[which])
        m_input3D[which]->getSpan3(y, x, count, out);
    else
        std::fill(out, out + count, m_defRgb[which]);
}

void BaseMixNode::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_pairTablesOn) {
        Base1DGenerator::getSpan(y, x, count, out);
        return;
    }
    SpanBuffer second(count);
    operandSpan(0, y, x, count, out);
    operandSpan(1, y, x, count, second.data());
    BytePairTable const& table = m_pairTable[0];
    for (int i = 0; i < count; ++i)
        out[i] = table(out[i], second[i]);
}

void BaseMixNode::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_pairTablesOn) {
        Base3DGenerator::getSpan3(y, x, count, out);
        return;
    }
    SpanBuffer second(count);
    operandSpan3(0, y, x, count, out);
    operandSpan3(1, y, x, count, second.data());
    BytePairTable const& table = m_pairTable[1];
    for (int i = 0; i < count; ++i)
        out[i] = table.perChannel(out[i], second[i]);
}

void BaseMixNode::refreshDefaults()
{
    for (int i = 0; i < 2; ++i) {
        // Written only when different: a preview may be sampling on another thread.
        const int byte = std::clamp(m_defValue[i], 0, 255);
        if (m_defByte[i] != byte)
            m_defByte[i] = byte;
        const unsigned int rgb = linearColorToRgb(m_defColor[i]);
        if (m_defRgb[i] != rgb)
            m_defRgb[i] = rgb;
    }
}

} // namespace KelVyxNodes

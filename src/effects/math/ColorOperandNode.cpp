#include "effects/math/ColorOperandNode.h"

#include "effects/GeneratorLookup.h"
#include "effects/LinearColorBytes.h"
#include "effects/NodeText.h"
#include "effects/SpanBuffer.h"
#include "effects/VyxTerminal.h"
#include "nodes/Terminal.h"
#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

ColorOperandNode::ColorOperandNode(int id, KelNodes::NodeDescriptor const& descriptor,
                                   LinkedParameter linked)
    : Base3DGeneratorNode(id)
    , m_container(descriptor.typeId, QString(), this)
    , m_typeDescriptor(descriptor)
    , m_linked(linked)
{
}

ColorOperandNode::~ColorOperandNode() = default;

void ColorOperandNode::addTerminals(std::initializer_list<Operand> operands, QString const& outputName)
{
    for (Operand const& op : operands) {
        if (m_operands.size() == MaxOperands)
            break;
        m_terminal[m_operands.size()] = addTerminal(QString::fromLatin1(op.terminal), 4u, 0u);
        m_operands.append(op);
    }
    addTerminal(outputName, 0u, 5u);
}

void ColorOperandNode::addParameters(QList<Parameter*> const& leading, QString const& helpText,
                                     QList<HelpLink> const& links)
{
    auto* c = &m_container;
    QList<Parameter*> parameters{new GroupBoxParameter("basicsBox", tr("Basics"), c, 1)};
    parameters += leading;
    for (int i = 0; i < m_operands.size(); ++i) {
        m_param[i] = new ColorParameter(QString::fromLatin1(m_operands[i].key),
                                        tr(m_operands[i].label), c, &m_color[i], 5);
        parameters.append(m_param[i]);
    }
    c->paramLists().append(ParameterList{"basic", true, parameters});
    *c->helpItem() = HelpItem(tr(m_typeDescriptor.displayName.toUtf8().constData()), helpText, links);

    for (int i = 0; i < m_operands.size(); ++i)
        m_color[i] = m_operands[i].initial;
    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<ColorOperandNode>, this});
    refreshPacked();
}

int ColorOperandNode::operandOf(KelNodes::Terminal const* own) const
{
    for (int i = 0; i < m_operands.size(); ++i) {
        if (own == m_terminal[i])
            return i;
    }
    return -1;
}

int ColorOperandNode::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int which = operandOf(own);
    if (which >= 0) {
        getGeneratorInterface(&m_input[which], peer);
        // Greyed out even when the peer offers no colour: the link still replaces the setting.
        if (m_linked == ParameterGreysOut)
            m_param[which]->setDisplayFlagZero(Parameter::DisplayEnabled);
    }
    return KelNodes::Node::onConnect(own, peer);
}

void ColorOperandNode::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int which = operandOf(own);
    if (which >= 0) {
        m_input[which] = nullptr;
        if (m_linked == ParameterGreysOut)
            m_param[which]->setDisplayFlagOne(Parameter::DisplayEnabled);
    }
    KelNodes::Node::onDisconnect(own, peer);
}

void ColorOperandNode::resolveInputs()
{
    for (int i = 0; i < m_operands.size(); ++i)
        m_input[i] = linkedGenerator3D(m_terminal[i]);
}

void ColorOperandNode::paramChanged(Parameter* /*changed*/)
{
    refreshPacked();
}

int ColorOperandNode::onFilterStart(StatusObserver* /*observer*/)
{
    // Changes made while the container's signals were blocked reach paramChanged only later.
    refreshPacked();
    return 0;
}

unsigned int ColorOperandNode::getSample3(QPoint const& point) const
{
    unsigned int values[MaxOperands] = {0u, 0u, 0u, 0u};
    unsigned int const* operands[MaxOperands] = {&values[0], &values[1], &values[2], &values[3]};
    for (int i = 0; i < m_operands.size(); ++i)
        values[i] = m_input[i] ? m_input[i]->getSample3(point) : m_packed[i];
    unsigned int result = 0;
    combine(operands, 1, &result);
    return result;
}

void ColorOperandNode::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (count <= 0)
        return;
    const int n = int(m_operands.size());
    SpanBuffer first(count);
    SpanBuffer second(n > 1 ? count : 0);
    SpanBuffer third(n > 2 ? count : 0);
    SpanBuffer fourth(n > 3 ? count : 0);
    SpanBuffer* buffers[MaxOperands] = {&first, &second, &third, &fourth};
    unsigned int const* operands[MaxOperands] = {nullptr, nullptr, nullptr, nullptr};
    for (int i = 0; i < n; ++i) {
        unsigned int* values = buffers[i]->data();
        if (m_input[i])
            m_input[i]->getSpan3(y, x, count, values);
        else
            std::fill(values, values + count, m_packed[i]);
        operands[i] = values;
    }
    combine(operands, count, out);
}

void ColorOperandNode::refreshPacked()
{
    for (int i = 0; i < m_operands.size(); ++i) {
        // Written only when different: a preview may be sampling meanwhile.
        const unsigned int rgb = linearColorToRgb(m_color[i]);
        if (m_packed[i] != rgb)
            m_packed[i] = rgb;
    }
}

} // namespace KelVyxNodes

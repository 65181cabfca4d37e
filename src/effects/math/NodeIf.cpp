#include "effects/math/NodeIf.h"

#include "params/ListParameter.h"

#include <QCoreApplication>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeIf::m_descriptor{
    QStringLiteral("operator.Maths.if"), QUuid(QStringLiteral("8648fa19-68af-4fc3-a679-547907cfce52")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "If")), QString(), &NodeIf::create};

namespace {

const ListItem operationItems[] = {
    {NodeIf::Less, QStringLiteral("rgbIn1 < rgbIn2")},
    {NodeIf::Greater, QStringLiteral("rgbIn1 > rgbIn2")},
    {NodeIf::LessOrEqual, QStringLiteral("rgbIn1 <= rgbIn2")},
    {NodeIf::GreaterOrEqual, QStringLiteral("rgbIn1 >= rgbIn2")},
    {NodeIf::Equal, QStringLiteral("rgbIn1 = rgbIn2")},
    {NodeIf::NotEqual, QStringLiteral("rgbIn1 != rgbIn2")},
};

} // namespace

NodeIf::NodeIf(int id)
    : NodeOf(id, m_descriptor, ParameterGreysOut)
{
    addTerminals({{"rgbIn1", "color1", QT_TRANSLATE_NOOP("QObject", "Color 1:"), Color(0.0f, 0.0f, 1.0f, 1.0f)},
                  {"rgbIn2", "color2", QT_TRANSLATE_NOOP("QObject", "Color 2:"), Color(1.0f, 0.0f, 0.0f, 1.0f)},
                  {"rgbInThen", "then", QT_TRANSLATE_NOOP("QObject", "Then:"), Color(1.0f, 1.0f, 1.0f, 1.0f)},
                  {"rgbInElse", "else", QT_TRANSLATE_NOOP("QObject", "Else:"), Color(0.0f, 0.0f, 0.0f, 1.0f)}},
                 QStringLiteral("rgbOut"));
    addParameters({new ListParameter("operation", QCoreApplication::translate("QObject", "Operation:"),
                                     &m_container, &m_operation, operationItems, 6, Less, 5)},
                  QCoreApplication::translate(
                      "QObject", "The node compares <b>rgbIn1</b> and <b>rgbIn2</b>, and delivers either "
                                 "<b>rgbInThen</b> or <b>rgbInElse</b> depending on the result of "
                                 "comparison."));
}

NodeIf::~NodeIf() = default;

namespace {

// Each channel from "then" where the relation holds between the channels of the two colours
// compared, else from "else". The relation is a constant here, so the loop has no branch on it.
template <int Operation>
void choose(unsigned int const* const* operands, int count, unsigned int* out)
{
    for (int i = 0; i < count; ++i) {
        const unsigned int first = operands[0][i];
        const unsigned int second = operands[1][i];
        const auto channel = [first, second](int shift) {
            return NodeIf::holds(Operation, int((first >> shift) & 0xFFu), int((second >> shift) & 0xFFu))
                       ? 0xFFu << shift
                       : 0u;
        };
        const unsigned int thenMask = channel(16) | channel(8) | channel(0);
        out[i] = (operands[2][i] & thenMask) | (operands[3][i] & ~thenMask & 0xFFFFFFu);
    }
}

} // namespace

void NodeIf::combine(unsigned int const* const* operands, int count, unsigned int* out) const
{
    switch (m_operation) {
    case Less:
        return choose<Less>(operands, count, out);
    case Greater:
        return choose<Greater>(operands, count, out);
    case LessOrEqual:
        return choose<LessOrEqual>(operands, count, out);
    case GreaterOrEqual:
        return choose<GreaterOrEqual>(operands, count, out);
    case Equal:
        return choose<Equal>(operands, count, out);
    case NotEqual:
        return choose<NotEqual>(operands, count, out);
    default:
        return choose<-1>(operands, count, out);
    }
}

} // namespace KelVyxNodes

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

bool NodeIf::holds(int operation, int x, int y)
{
    switch (operation) {
    case Less:
        return x < y;
    case Greater:
        return x > y;
    case LessOrEqual:
        return x <= y;
    case GreaterOrEqual:
        return x >= y;
    case Equal:
        return x == y;
    case NotEqual:
        return x != y;
    default:
        return false;
    }
}

unsigned int NodeIf::getSample3(QPoint const& point) const
{
    // Every input is sampled once, whatever the comparisons give.
    const unsigned int first = operand(0, point);
    const unsigned int second = operand(1, point);
    const unsigned int then = operand(2, point);
    const unsigned int otherwise = operand(3, point);
    const int operation = m_operation;
    unsigned int result = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const int x = static_cast<int>((first >> shift) & 0xFFu);
        const int y = static_cast<int>((second >> shift) & 0xFFu);
        const unsigned int chosen = holds(operation, x, y) ? then : otherwise;
        result |= chosen & (0xFFu << shift);
    }
    return result;
}

} // namespace KelVyxNodes

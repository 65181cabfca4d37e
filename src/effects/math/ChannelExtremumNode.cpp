#include "effects/math/ChannelExtremumNode.h"

#include "effects/LinearColorBytes.h"

#include <QCoreApplication>

#include <algorithm>

namespace KelVyxNodes {

ChannelExtremumNode::ChannelExtremumNode(int id, KelNodes::NodeDescriptor const& descriptor,
                                         Extremum extremum, QString const& helpText)
    : ColorOperandNode(id, descriptor, ParameterGreysOut)
    , m_extremum(extremum)
{
    addTerminals({{"rgbIn1", "color1", QT_TRANSLATE_NOOP("QObject", "Color 1:"), midGreyLinear()},
                  {"rgbIn2", "color2", QT_TRANSLATE_NOOP("QObject", "Color 2:"), midGreyLinear()}},
                 QStringLiteral("rgbOut"));
    addParameters({}, helpText);
}

ChannelExtremumNode::~ChannelExtremumNode() = default;

unsigned int ChannelExtremumNode::getSample3(QPoint const& point) const
{
    const unsigned int first = operand(0, point);
    const unsigned int second = operand(1, point);
    if (m_extremum == Larger)
        return perChannel(first, second, [](int x, int y) { return std::max(x, y); });
    return perChannel(first, second, [](int x, int y) { return std::min(x, y); });
}

} // namespace KelVyxNodes

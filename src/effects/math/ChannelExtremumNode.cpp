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

void ChannelExtremumNode::combine(unsigned int const* const* operands, int count, unsigned int* out) const
{
    unsigned int const* first = operands[0];
    unsigned int const* second = operands[1];
    if (m_extremum == Larger) {
        for (int i = 0; i < count; ++i)
            out[i] = perChannel(first[i], second[i], [](int x, int y) { return std::max(x, y); });
    } else {
        for (int i = 0; i < count; ++i)
            out[i] = perChannel(first[i], second[i], [](int x, int y) { return std::min(x, y); });
    }
}

} // namespace KelVyxNodes

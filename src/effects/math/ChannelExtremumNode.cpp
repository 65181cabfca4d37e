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

namespace {

template <class Pick>
void pickChannels(unsigned int const* first, unsigned int const* second, int count, unsigned int* out, Pick pick)
{
    for (int i = 0; i < count; ++i) {
        const unsigned int a = first[i];
        const unsigned int b = second[i];
        out[i] = pick((a >> 16) & 0xFFu, (b >> 16) & 0xFFu) << 16 | pick((a >> 8) & 0xFFu, (b >> 8) & 0xFFu) << 8
                 | pick(a & 0xFFu, b & 0xFFu);
    }
}

} // namespace

void ChannelExtremumNode::combine(unsigned int const* const* operands, int count, unsigned int* out) const
{
    if (m_extremum == Larger)
        pickChannels(operands[0], operands[1], count, out, [](unsigned int x, unsigned int y) { return std::max(x, y); });
    else
        pickChannels(operands[0], operands[1], count, out, [](unsigned int x, unsigned int y) { return std::min(x, y); });
}

} // namespace KelVyxNodes

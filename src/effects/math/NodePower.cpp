#include "effects/math/NodePower.h"

#include "effects/BytePairTable.h"
#include "effects/NodeValueUtils.h"

#include <QCoreApplication>

#include <cmath>

namespace KelVyxNodes {

using KelUtils::Color;

KelNodes::NodeDescriptor NodePower::m_descriptor{
    QStringLiteral("operator.Maths.power"), QUuid(QStringLiteral("8916f89d-d81a-4091-9eaf-de13323e5e25")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Power")), QString(), &NodePower::create};

NodePower::NodePower(int id)
    : NodeOf(id, m_descriptor, ParameterGreysOut)
{
    addTerminals({{"rgbInBase", "base", QT_TRANSLATE_NOOP("QObject", "Base:"), Color(0.0f, 0.0f, 1.0f, 1.0f)},
                  {"rgbInExponent", "exponent", QT_TRANSLATE_NOOP("QObject", "Exponent:"),
                   Color(0.0f, 1.0f, 0.0f, 1.0f)}},
                 QStringLiteral("rgbOut"));
    addParameters({}, QCoreApplication::translate(
                          "QObject", "The node raises the color from <b>rgbInBase</b> input to the power "
                                     "from <b>rgbInExponent</b> input."));
}

NodePower::~NodePower() = default;

int NodePower::powChannel(int base, int exponent)
{
    const double b = transformToRealOne(base, 0, 255);
    const double x = transformToRealOne(exponent, 0, 255);
    return transformFromRealOne(std::pow(b, x), 0, 255);
}

void NodePower::combine(unsigned int const* const* operands, int count, unsigned int* out) const
{
    static const BytePairTable powers(&NodePower::powChannel);
    for (int i = 0; i < count; ++i)
        out[i] = powers.perChannel(operands[0][i], operands[1][i]);
}

} // namespace KelVyxNodes

#include "effects/math/NodeRoot.h"

#include "effects/BytePairTable.h"
#include "effects/LinearColorBytes.h"

#include <QCoreApplication>

#include <cmath>

namespace KelVyxNodes {

using KelUtils::Color;

KelNodes::NodeDescriptor NodeRoot::m_descriptor{
    QStringLiteral("operator.Maths.root"), QUuid(QStringLiteral("55777c31-5595-4cc4-8dd9-eea5566293b5")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Root")), QString(), &NodeRoot::create};

NodeRoot::NodeRoot(int id)
    : NodeOf(id, m_descriptor, ParameterStaysEnabled)
{
    // Grey under a degree of white: a new node passes grey through instead of showing garbage.
    addTerminals({{"source", "Source", QT_TRANSLATE_NOOP("QObject", "Source:"), midGreyLinear()},
                  {"degree", "Degree", QT_TRANSLATE_NOOP("QObject", "Degree:"), Color(1.0f, 1.0f, 1.0f, 1.0f)},
                  {"error", "Error", QT_TRANSLATE_NOOP("QObject", "Error:"), Color(1.0f, 0.0f, 1.0f, 1.0f)}},
                 QStringLiteral("rgb"));
    addParameters({}, QCoreApplication::translate(
                          "QObject", "The node raises the color from <b>source</b> input to 1 / "
                                     "<b>degree</b> power."));
}

NodeRoot::~NodeRoot() = default;

void NodeRoot::combine(unsigned int const* const* operands, int count, unsigned int* out) const
{
    // Channel by channel the root depends on two bytes alone.
    static const BytePairTable roots([](int s, int d) {
        return perFraction(s * 0x010101u, d * 0x010101u, [](double sf, double df) { return std::pow(sf, 1.0 / df); })
               & 0xFFu;
    });
    for (int i = 0; i < count; ++i) {
        const unsigned int degree = operands[1][i];
        if ((degree & 0xFF0000u) == 0 || (degree & 0xFF00u) == 0 || (degree & 0xFFu) == 0)
            out[i] = operands[2][i] & 0xFFFFFFu;
        else
            out[i] = roots.perChannel(operands[0][i], degree);
    }
}

} // namespace KelVyxNodes

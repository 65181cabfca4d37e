#include "effects/math/NodeRound.h"

#include "params/Rounding.h"

#include <QCoreApplication>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeRound::m_descriptor{
    QStringLiteral("operator.Maths.round"), QUuid(QStringLiteral("46ca812e-8fe7-422c-a6a0-81a00d24749c")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Round")), QString(), &NodeRound::create};

NodeRound::NodeRound(int id)
    : NodeOf(id, m_descriptor, &NodeRound::rounding,
                    QCoreApplication::translate(
                        "QObject", "The node performs image posterization using rounding to the nearest tone. "
                                   "<b>Granularity</b> defines the tone step - the brighter color you "
                                   "specify, the coarser posterization will be."))
{
}

NodeRound::~NodeRound() = default;

int NodeRound::rounding(double quotient)
{
    return KelUtils::roundHalfUpToInt(quotient);
}

} // namespace KelVyxNodes

#include "effects/math/NodeFloor.h"

#include <QCoreApplication>

#include <cmath>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeFloor::m_descriptor{
    QStringLiteral("operator.Maths.floor"), QUuid(QStringLiteral("c335508b-6f5b-43dd-ae03-dd0e37017e0a")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Floor")), QString(), &NodeFloor::create};

NodeFloor::NodeFloor(int id)
    : NodeOf(id, m_descriptor, &NodeFloor::rounding,
                    QCoreApplication::translate(
                        "QObject", "The node performs image posterization using down-rounding. "
                                   "<b>Granularity</b> defines the tone step - the brighter color you "
                                   "specify, the coarser posterization will be."))
{
}

NodeFloor::~NodeFloor() = default;

int NodeFloor::rounding(double quotient)
{
    return static_cast<int>(std::floor(quotient));
}

} // namespace KelVyxNodes

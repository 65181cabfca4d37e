#include "effects/math/NodeCeil.h"

#include <QCoreApplication>

#include <cmath>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeCeil::m_descriptor{
    QStringLiteral("operator.Maths.ceil"), QUuid(QStringLiteral("938d038c-a0d1-45d4-8871-8cdb9380a530")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Ceil")), QString(), &NodeCeil::create};

NodeCeil::NodeCeil(int id)
    : NodeOf(id, m_descriptor, &NodeCeil::rounding,
                    QCoreApplication::translate(
                        "QObject", "The node performs image posterization using up-rounding. "
                                   "<b>Granularity</b> defines the tone step - the brighter color you "
                                   "specify, the coarser posterization will be."))
{
}

NodeCeil::~NodeCeil() = default;

int NodeCeil::rounding(double quotient)
{
    return static_cast<int>(std::ceil(quotient));
}

} // namespace KelVyxNodes

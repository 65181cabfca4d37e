#include "effects/math/NodeMax.h"

#include <QCoreApplication>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeMax::m_descriptor{
    QStringLiteral("operator.Maths.max"), QUuid(QStringLiteral("0c2fd228-501e-4ac1-bf73-8c65efa7e3bc")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Max")), QString(), &NodeMax::create};

NodeMax::NodeMax(int id)
    : NodeOf(id, m_descriptor, Larger,
                          QCoreApplication::translate(
                              "QObject", "The node outputs maximum value of R,G,B channels from "
                                         "<b>rgbIn1</b> and <b>rgbIn2</b> inputs."))
{
}

NodeMax::~NodeMax() = default;

} // namespace KelVyxNodes

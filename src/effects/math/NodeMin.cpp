#include "effects/math/NodeMin.h"

#include <QCoreApplication>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeMin::m_descriptor{
    QStringLiteral("operator.Maths.min"), QUuid(QStringLiteral("ffee4e43-3908-4312-8820-bdec1513b14a")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Min")), QString(), &NodeMin::create};

NodeMin::NodeMin(int id)
    : NodeOf(id, m_descriptor, Smaller,
                          QCoreApplication::translate(
                              "QObject", "The node outputs minimum value of R,G,B channels from "
                                         "<b>rgbIn1</b> and <b>rgbIn2</b> inputs."))
{
}

NodeMin::~NodeMin() = default;

} // namespace KelVyxNodes

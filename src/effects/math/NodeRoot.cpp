#include "effects/math/NodeRoot.h"

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

unsigned int NodeRoot::getSample3(QPoint const& point) const
{
    const unsigned int source = operand(0, point);
    const unsigned int degree = operand(1, point);
    const unsigned int error = operand(2, point);
    if ((degree & 0xFF0000u) == 0 || (degree & 0xFF00u) == 0 || (degree & 0xFFu) == 0)
        return error & 0xFFFFFFu;
    return perFraction(source, degree, [](double s, double d) { return std::pow(s, 1.0 / d); });
}

} // namespace KelVyxNodes

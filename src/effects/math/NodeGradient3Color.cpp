#include "effects/math/NodeGradient3Color.h"

namespace KelVyxNodes {

using KelUtils::Color;

KelNodes::NodeDescriptor NodeGradient3Color::m_descriptor{
    QStringLiteral("operator.gradient3color"), QUuid(QStringLiteral("86c10fcd-620c-4b99-9f53-24176c915569")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Gradient3Color")), QString(), &NodeGradient3Color::create};

// Channels of 255 rather than 1 are how stored graphs hold the starting colours; they encode
// to full bytes all the same.
NodeGradient3Color::NodeGradient3Color(int id)
    : NodeOf(
          id, m_descriptor.typeId, QT_TRANSLATE_NOOP("QObject", "Gradient3Color"),
          QT_TRANSLATE_NOOP("QObject", "The 3-Color Gradient component produces a gradient defined by three colors and their positions."),
          {Color(255.0f, 0.0f, 0.0f, 1.0f), Color(0.0f, 255.0f, 0.0f, 1.0f), Color(0.0f, 0.0f, 255.0f, 1.0f)})
{
}

NodeGradient3Color::~NodeGradient3Color() = default;

} // namespace KelVyxNodes

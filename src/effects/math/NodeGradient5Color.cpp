#include "effects/math/NodeGradient5Color.h"

namespace KelVyxNodes {

using KelUtils::Color;

KelNodes::NodeDescriptor NodeGradient5Color::m_descriptor{
    QStringLiteral("operator.gradient5color"), QUuid(QStringLiteral("04dbb59f-2862-427c-b9de-4c76c298c84b")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Gradient5Color")), QString(), &NodeGradient5Color::create};

// Channels of 255 rather than 1 are how stored graphs hold the starting colours; they encode
// to full bytes all the same.
NodeGradient5Color::NodeGradient5Color(int id)
    : NodeOf(
          id, m_descriptor.typeId, QT_TRANSLATE_NOOP("QObject", "Gradient5Color"),
          QT_TRANSLATE_NOOP("QObject", "The 5-Color Gradient component produces a gradient defined by five colors and their positions."),
          {Color(255.0f, 0.0f, 0.0f, 1.0f), Color(0.0f, 255.0f, 0.0f, 1.0f), Color(0.0f, 0.0f, 255.0f, 1.0f),
           Color(255.0f, 255.0f, 255.0f, 1.0f), Color(0.0f, 0.0f, 0.0f, 1.0f)})
{
}

NodeGradient5Color::~NodeGradient5Color() = default;

} // namespace KelVyxNodes

#include "effects/math/NodeLogarithm.h"

#include "effects/LinearColorBytes.h"
#include "effects/NodeValueUtils.h"

#include <QCoreApplication>
#include <QUrl>

namespace KelVyxNodes {

using KelUtils::Color;

KelNodes::NodeDescriptor NodeLogarithm::m_descriptor{
    QStringLiteral("operator.Maths.logarithm"), QUuid(QStringLiteral("14903361-8a1a-4f73-9840-725916cc81ff")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Logarithm")), QString(), &NodeLogarithm::create};

namespace {

bool anyChannelIs(unsigned int rgb, unsigned int byte)
{
    return ((rgb >> 16) & 0xFFu) == byte || ((rgb >> 8) & 0xFFu) == byte || (rgb & 0xFFu) == byte;
}

} // namespace

NodeLogarithm::NodeLogarithm(int id)
    : NodeOf(id, m_descriptor, ParameterStaysEnabled)
{
    // Grey to a grey base: a new node shows white (logarithm 1) instead of garbage.
    addTerminals({{"source", "Source", QT_TRANSLATE_NOOP("QObject", "Source:"), midGreyLinear()},
                  {"base", "Base", QT_TRANSLATE_NOOP("QObject", "Base:"), midGreyLinear()},
                  {"error", "Error", QT_TRANSLATE_NOOP("QObject", "Error:"), Color(1.0f, 0.0f, 1.0f, 1.0f)}},
                 QStringLiteral("rgb"));
    addParameters({},
                  QCoreApplication::translate("QObject",
                                              "The node transforms input colors with logarithm function."),
                  {KelUtils::HelpLink(QStringLiteral("Logarithm"),
                                      QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Logarithm")))});
}

NodeLogarithm::~NodeLogarithm() = default;

unsigned int NodeLogarithm::getSample3(QPoint const& point) const
{
    const unsigned int source = operand(0, point);
    const unsigned int base = operand(1, point);
    const unsigned int error = operand(2, point);
    if (anyChannelIs(base, 0u) || anyChannelIs(base, 255u) || anyChannelIs(source, 0u))
        return error & 0xFFFFFFu;
    return perFraction(source, base, [](double s, double b) { return log(s, b); });
}

} // namespace KelVyxNodes

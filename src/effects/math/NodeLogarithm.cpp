#include "effects/math/NodeLogarithm.h"

#include "effects/BytePairTable.h"
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

void NodeLogarithm::combine(unsigned int const* const* operands, int count, unsigned int* out) const
{
    // Channel by channel the logarithm depends on two bytes alone.
    static const BytePairTable logarithms([](int s, int b) {
        return perFraction(s * 0x010101u, b * 0x010101u, [](double sf, double bf) { return log(sf, bf); }) & 0xFFu;
    });
    for (int i = 0; i < count; ++i) {
        const unsigned int source = operands[0][i];
        const unsigned int base = operands[1][i];
        if (anyChannelIs(base, 0u) || anyChannelIs(base, 255u) || anyChannelIs(source, 0u))
            out[i] = operands[2][i] & 0xFFFFFFu;
        else
            out[i] = logarithms.perChannel(source, base);
    }
}

} // namespace KelVyxNodes

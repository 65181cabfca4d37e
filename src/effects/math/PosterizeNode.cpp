#include "effects/math/PosterizeNode.h"

#include "effects/LinearColorBytes.h"

#include <QCoreApplication>
#include <QUrl>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

namespace {

QString tr(char const* text)
{
    return QCoreApplication::translate("QObject", text);
}

Color grey(unsigned char level)
{
    const float c = Color::decodeChannel(level, Color::Gamma);
    return Color(c, c, c, 1.0f);
}

} // namespace

PosterizeNode::PosterizeNode(int id, KelNodes::NodeDescriptor const& descriptor, Rounding rounding,
                             QString const& helpText)
    : ColorOperandNode(id, descriptor, ParameterStaysEnabled)
    , m_rounding(rounding)
{
    addTerminals({{"source", "Source", QT_TRANSLATE_NOOP("QObject", "Source:"), grey(128)},
                  {"granularity", "Granularity", QT_TRANSLATE_NOOP("QObject", "Granularity:"), grey(64)}},
                 QStringLiteral("rgb"));
    addParameters({}, helpText,
                  {HelpLink(tr("Posterization"), QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Posterization"))),
                   HelpLink(tr("Rounding"),
                            QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Rounding#Rounding_to_integer")))});
}

PosterizeNode::~PosterizeNode() = default;

int PosterizeNode::posterize(int s, int g, Rounding rounding)
{
    if (g == 0)
        g = 1;
    const int steps = rounding(static_cast<double>(s) / static_cast<double>(g));
    return std::min(steps * g, 255);
}

unsigned int PosterizeNode::getSample3(QPoint const& point) const
{
    const unsigned int source = operand(0, point);
    const unsigned int granularity = operand(1, point);
    const Rounding rounding = m_rounding;
    return perChannel(source, granularity, [rounding](int s, int g) { return posterize(s, g, rounding); });
}

} // namespace KelVyxNodes

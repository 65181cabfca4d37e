#include "effects/math/PosterizeNode.h"

#include "effects/BytePairTable.h"
#include "effects/LinearColorBytes.h"
#include "effects/NodeText.h"

#include <QCoreApplication>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace KelVyxNodes {

using namespace KelUtils;

namespace {

Color grey(unsigned char level)
{
    const float c = Color::decodeChannel(level, Color::Gamma);
    return Color(c, c, c, 1.0f);
}

// One table per rounding, made when the first node of that rounding is and kept for the process.
BytePairTable const& posterizeTable(PosterizeNode::Rounding rounding)
{
    static std::mutex lock;
    static std::vector<std::pair<PosterizeNode::Rounding, std::unique_ptr<BytePairTable>>> tables;
    const std::lock_guard<std::mutex> guard(lock);
    for (auto const& entry : tables) {
        if (entry.first == rounding)
            return *entry.second;
    }
    tables.emplace_back(rounding, std::make_unique<BytePairTable>(
                                      [rounding](int s, int g) { return PosterizeNode::posterize(s, g, rounding); }));
    return *tables.back().second;
}

} // namespace

PosterizeNode::PosterizeNode(int id, KelNodes::NodeDescriptor const& descriptor, Rounding rounding,
                             QString const& helpText)
    : ColorOperandNode(id, descriptor, ParameterStaysEnabled)
    , m_table(posterizeTable(rounding))
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

void PosterizeNode::combine(unsigned int const* const* operands, int count, unsigned int* out) const
{
    unsigned int const* source = operands[0];
    unsigned int const* granularity = operands[1];
    for (int i = 0; i < count; ++i)
        out[i] = m_table.perChannel(source[i], granularity[i]);
}

} // namespace KelVyxNodes

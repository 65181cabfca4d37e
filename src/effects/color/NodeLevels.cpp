#include "effects/color/NodeLevels.h"

#include "effects/Base1DGenerator.h"
#include "effects/ClassicColor.h"
#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/NodeValueUtils.h"
#include "effects/SettingSpan.h"
#include "effects/VyxTerminal.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeLevels::m_descriptor{
    QStringLiteral("operator.levels"), QUuid(QStringLiteral("262aed10-f3a4-4e4a-b535-de2ed9d10c3d")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Levels")), QString(), &NodeLevels::create};

namespace {

char const* const levelsInputNames[] = {"black point", "white point", "gamma"};

// The table's rule, per pixel: gamma clamped to -100..100; negative darkens, positive
// brightens, 0 gives 1; -100 gives infinity.
double gammaExponent(int gamma)
{
    const int g = std::clamp(gamma, -100, 100);
    if (g < 0)
        return 100.0 / (100.0 - std::abs(g));
    if (g > 0)
        return 5.0 / (g + 5.0);
    return 1.0;
}

// The byte a stretched channel byte becomes under the exponent of each gamma -100..100, as the
// classic colour's power gives it: the per-pixel path then needs no power.
class GammaBytes
{
public:
    GammaBytes()
    {
        for (int g = -100; g <= 100; ++g) {
            const double exponent = gammaExponent(g);
            for (int b = 0; b < 256; ++b) {
                const ClassicColor in(0xFF000000u | unsigned(b) << 16);
                ClassicColor out;
                out.setRedF(std::pow(in.redF(), exponent));
                m_bytes[g + 100][b] = static_cast<unsigned char>((out.rgb() >> 16) & 0xFFu);
            }
        }
    }
    unsigned char const* forGamma(int gamma) const { return m_bytes[std::clamp(gamma, -100, 100) + 100]; }

private:
    unsigned char m_bytes[201][256];
};

GammaBytes const& gammaBytes()
{
    static const GammaBytes table;
    return table;
}

// Rows are read in pieces of this many pixels, so the inputs' spans fit on the stack.
constexpr int kLevelsPiece = 128;

} // namespace

NodeLevels::NodeLevels(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_sourceTerminal = addTerminal(QStringLiteral("source"), 6u, 0u);
    m_inputTerminal[BlackPoint] = addTerminal(QStringLiteral("black point"), 2u, 0u);
    m_inputTerminal[WhitePoint] = addTerminal(QStringLiteral("white point"), 2u, 0u);
    m_inputTerminal[Gamma] = addTerminal(QStringLiteral("gamma"), 2u, 0u);
    addTerminal(QStringLiteral("out"), 0u, 7u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        m_param[BlackPoint] = new NumGroupParameter<int>("Black point", tr("Black Level:"), c, &m_blackPoint, 1, 0, 254, 0, true, 5),
        m_param[WhitePoint] = new NumGroupParameter<int>("White point", tr("White Level:"), c, &m_whitePoint, 1, 1, 255, 255, true, 5),
        m_param[Gamma] = new NumGroupParameter<int>("Gamma", tr("Gamma:"), c, &m_gamma, 1, -100, 100, 0, true, 5),
    }});
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Levels")),
        tr("The node performs image color curve correction by means of dynamic range compression "
           "and gamma adjustment.<br>Pixels darker than <b>Black Level</b> become black, and pixels "
           "brighter than <b>White Level</b> become white. Pixels having brightness between those "
           "two are scaled to fit the new range and then gamma corrected."));

    // Previews may sample before the first render: start from the table of the defaults,
    // which is the identity.
    buildTable();
    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeLevels>, this});
}

NodeLevels::~NodeLevels() = default;

void NodeLevels::buildTable()
{
    GammaLUT fresh;
    initGammaLUT(std::max(m_blackPoint, m_whitePoint), std::min(m_blackPoint, m_whitePoint), m_gamma, fresh);
    // Only changed entries are written: a preview may be reading the table.
    m_table.exponent = fresh.exponent;
    for (int i = 0; i < 256; ++i) {
        if (m_table.table[i] != fresh.table[i])
            m_table.table[i] = fresh.table[i];
    }
}

int NodeLevels::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    buildTable();
    return 0;
}

unsigned int NodeLevels::getSample3(QPoint const& point) const
{
    if (!m_source)
        return 0x808080u;
    const unsigned int c = m_source->getSample3(point);
    if (!m_input[BlackPoint] && !m_input[WhitePoint] && !m_input[Gamma]) {
        unsigned char const* t = m_table.table;
        return unsigned(t[(c >> 16) & 0xFFu]) << 16 | unsigned(t[(c >> 8) & 0xFFu]) << 8 | t[c & 0xFFu];
    }
    return computeDirect(c, point);
}

void NodeLevels::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_source) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    if (m_input[BlackPoint] || m_input[WhitePoint] || m_input[Gamma]) {
        linkedSpan3(y, x, count, out);
        return;
    }
    m_source->getSpan3(y, x, count, out);
    unsigned char const* t = m_table.table;
    for (int i = 0; i < count; ++i) {
        const unsigned int c = out[i];
        out[i] = unsigned(t[(c >> 16) & 0xFFu]) << 16 | unsigned(t[(c >> 8) & 0xFFu]) << 8 | t[c & 0xFFu];
    }
}

unsigned int NodeLevels::computeDirect(unsigned int colour, QPoint const& point) const
{
    const int white = m_input[WhitePoint] ? int(m_input[WhitePoint]->getSample(point) & 0xFFu) : m_whitePoint;
    const int black = m_input[BlackPoint] ? int(m_input[BlackPoint]->getSample(point) & 0xFFu) : m_blackPoint;
    // An input byte is taken as a gamma value as it is, so it brightens only.
    const int g = m_input[Gamma] ? int(m_input[Gamma]->getSample(point) & 0xFFu) : m_gamma;
    return levelled(colour, white, black, gammaBytes().forGamma(g));
}

unsigned int NodeLevels::levelled(unsigned int colour, int white, int black, unsigned char const* power)
{
    const unsigned int c = linearCorrection(colour, unsigned(std::max(white, black)),
                                            unsigned(std::min(white, black)));
    return unsigned(power[(c >> 16) & 0xFFu]) << 16 | unsigned(power[(c >> 8) & 0xFFu]) << 8
         | power[c & 0xFFu];
}

void NodeLevels::linkedSpan3(int y, int x, int count, unsigned int* out) const
{
    GammaBytes const& gamma = gammaBytes();
    auto asInt = [](unsigned int byte) { return int(byte); };
    auto powerOf = [&gamma](unsigned int byte) { return gamma.forGamma(int(byte)); };
    int white[kLevelsPiece], black[kLevelsPiece];
    unsigned char const* power[kLevelsPiece];
    for (int start = 0; start < count; start += kLevelsPiece) {
        const int n = std::min(kLevelsPiece, count - start);
        settingSpan(m_input[WhitePoint], m_whitePoint, y, x + start, n, white, asInt);
        settingSpan(m_input[BlackPoint], m_blackPoint, y, x + start, n, black, asInt);
        settingSpan(m_input[Gamma], gamma.forGamma(m_gamma), y, x + start, n, power, powerOf);
        unsigned int* colours = out + start;
        m_source->getSpan3(y, x + start, n, colours);
        for (int i = 0; i < n; ++i)
            colours[i] = levelled(colours[i], white[i], black[i], power[i]);
    }
}

void NodeLevels::paramChanged(Parameter* changed)
{
    if (!changed)
        return;
    if (changed == m_param[BlackPoint]) {
        if (m_blackPoint >= m_whitePoint)
            m_param[WhitePoint]->setValue(m_blackPoint + 1, 0);
    } else if (changed == m_param[WhitePoint]) {
        if (m_whitePoint <= m_blackPoint)
            m_param[BlackPoint]->setValue(m_whitePoint - 1, 0);
    }
}

int NodeLevels::inputIndex(QString const& terminalName)
{
    for (int i = 0; i < InputCount; ++i) {
        if (terminalName == QLatin1String(levelsInputNames[i]))
            return i;
    }
    return -1;
}

int NodeLevels::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("source")) {
        getGeneratorInterface(&m_source, peer);
    } else if (const int input = inputIndex(own->name()); input >= 0) {
        getGeneratorInterface(&m_input[input], peer);
        // Disabled even when the peer offers nothing: the link still stands for the setting.
        m_param[input]->setDisplayFlagZero(Parameter::DisplayEnabled);
    }
    return KelNodes::Node::onConnect(own, peer);
}

void NodeLevels::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("source")) {
        m_source = nullptr;
    } else if (const int input = inputIndex(own->name()); input >= 0) {
        m_input[input] = nullptr;
        m_param[input]->setDisplayFlagOne(Parameter::DisplayEnabled);
    }
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeLevels::resolveInputs()
{
    m_source = linkedGenerator3D(m_sourceTerminal);
    for (int i = 0; i < InputCount; ++i)
        m_input[i] = linkedGenerator1D(m_inputTerminal[i]);
}

} // namespace KelVyxNodes

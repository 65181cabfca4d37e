#include "effects/math/ColorGradientNode.h"

#include "effects/GeneratorLookup.h"
#include "effects/LinearColorBytes.h"
#include "effects/NodeValueUtils.h"
#include "effects/SpanBuffer.h"
#include "effects/VyxNodeGraph.h"
#include "effects/VyxTerminal.h"
#include "effects/color/VyxGradient.h"
#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/ListItem.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>
#include <array>
#include <cmath>

namespace KelVyxNodes {

using namespace KelUtils;

namespace {

QString tr(char const* text)
{
    return QCoreApplication::translate("QObject", text);
}

const ListItem rotateItems[] = {
    {0, QStringLiteral("0")},
    {90, QStringLiteral("90")},
    {180, QStringLiteral("180")},
    {270, QStringLiteral("270")},
};

// A source colour as a linear stop colour: channels (k / 255)^2.2, alpha k / 255 without power.
Color linearFromSample(unsigned int c)
{
    return Color(Color::decodeChannel(static_cast<unsigned char>((c >> 16) & 0xFFu), Color::Gamma),
                 Color::decodeChannel(static_cast<unsigned char>((c >> 8) & 0xFFu), Color::Gamma),
                 Color::decodeChannel(static_cast<unsigned char>(c & 0xFFu), Color::Gamma),
                 Color::decodeAlpha(static_cast<unsigned char>(c >> 24)));
}

// linearColorToRgb(linearFromSample(c)): each channel goes through the linear colour on its
// own, so a table of the 256 bytes gives the same result without two powers per channel.
unsigned int throughLinear(unsigned int c)
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (unsigned int k = 0; k < 256; ++k)
            t[k] = static_cast<unsigned char>(linearColorToRgb(linearFromSample(k * 0x010101u)) & 0xFFu);
        return t;
    }();
    return unsigned(table[(c >> 16) & 0xFFu]) << 16 | unsigned(table[(c >> 8) & 0xFFu]) << 8 | table[c & 0xFFu];
}

// A position input's byte as a stop position, 0..100.
int positionOf(unsigned int byte)
{
    static const std::array<int, 256> table = [] {
        std::array<int, 256> t{};
        for (int k = 0; k < 256; ++k)
            t[size_t(k)] = transformToNewBounds(k, 0, 255, 0, 100);
        return t;
    }();
    return table[byte & 0xFFu];
}

// One stop of a sample: sorted by position, then by its index, as a gradient keeps them.
using Stop = VyxGradient::Stop;

} // namespace

template <int N>
ColorGradientNode<N>::ColorGradientNode(int id, QString const& typeId, char const* displayName,
                                        char const* helpText,
                                        std::array<Color, N> const& startColours)
    : VyxNode(id)
    , m_container(typeId, QString(), this)
{
    for (int i = 0; i < N; ++i)
        m_colourTerminal[i] = addTerminal(QStringLiteral("Color %1").arg(i + 1), 4u, 0u);
    for (int i = 0; i < N; ++i)
        m_positionTerminal[i] = addTerminal(QStringLiteral("Position %1").arg(i + 1), 2u, 0u);
    // One link at a time: linking "out" to a further input drops the present link.
    addTerminal(QStringLiteral("out"), 0u, 4u);

    auto* c = &m_container;
    ParameterList basic{QStringLiteral("basic"), true, {new GroupBoxParameter("basicsBox", tr("Basics"), c, 1)}};
    for (int i = 0; i < N; ++i) {
        m_colourParam[i] = new ColorParameter(QStringLiteral("Color %1").arg(i + 1),
                                              tr("Color %1:").arg(i + 1), c, &m_colour[i], 5);
        m_positionParam[i] = new NumGroupParameter<int>(QStringLiteral("Position %1").arg(i + 1),
                                                        tr("Position %1:").arg(i + 1), c,
                                                        &m_position[i], 1, 0, 100, 0, true, 5);
        basic.parameters << m_colourParam[i] << m_positionParam[i];
    }
    basic.parameters << new NumGroupParameter<int>("Repeat", tr("Repeat:"), c, &m_repeat, 1, 1, 100, 1, true, 5)
                     << new NumGroupParameter<int>("Proportional", tr("Proportional:"), c, &m_proportional, 1, 0, 1, 0, true, 5)
                     << new ListParameter("Rotate", tr("Rotate:"), c, &m_rotate, rotateItems, 4, 0, 5);
    c->paramLists().append(basic);
    *c->helpItem() = HelpItem(tr(displayName), tr(helpText));

    // The colour parameters edit the members in place and keep no default of their own.
    m_colour = startColours;
    m_colourSource.fill(nullptr);
    m_positionSource.fill(nullptr);
    m_position.fill(0);
    refreshStopColours();
}

template <int N>
ColorGradientNode<N>::~ColorGradientNode() = default;

template <int N>
int ColorGradientNode<N>::cast1dValueToAngle(unsigned char value)
{
    return std::min(value / 90, 2) * 90;
}

template <int N>
int ColorGradientNode<N>::onFilterStart(StatusObserver* /*observer*/)
{
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    if (image && !image->isNull()) {
        m_imageWidth = image->width();
        m_imageHeight = image->height();
    } else {
        m_imageWidth = 0;
        m_imageHeight = 0;
    }
    // Changes made while the container's signals were blocked reach paramChanged only later.
    refreshStopColours();
    return 0;
}

template <int N>
void ColorGradientNode<N>::paramChanged(Parameter* /*parameter*/)
{
    refreshStopColours();
}

template <int N>
void ColorGradientNode<N>::refreshStopColours()
{
    for (int i = 0; i < N; ++i) {
        // Written only when different: a preview may be sampling meanwhile.
        const unsigned int rgb = linearColorToRgb(m_colour[i]);
        if (m_stopRgb[i] != rgb)
            m_stopRgb[i] = rgb;
    }
}

template <int N>
unsigned int ColorGradientNode<N>::getSample(QPoint const& /*point*/) const
{
    return 0u;
}

template <int N>
unsigned int ColorGradientNode<N>::getSample3(QPoint const& point) const
{
    return gradientAtPoint(point) & 0xFFFFFFu;
}

template <int N>
unsigned int ColorGradientNode<N>::gradientAtPoint(QPoint const& point) const
{
    if (std::min(m_imageWidth, m_imageHeight) <= 0)
        return 0u;
    // Only a linked colour is converted per sample; the stop's alpha plays no part.
    std::array<unsigned int, N> colour;
    std::array<int, N> position;
    for (int i = 0; i < N; ++i) {
        colour[i] = m_colourSource[i] ? throughLinear(m_colourSource[i]->getSample3(point)) : m_stopRgb[i];
        position[i] = m_positionSource[i] ? positionOf(m_positionSource[i]->getSample(point)) : m_position[i];
    }
    return gradientFrom(point, colour, position);
}

template <int N>
void ColorGradientNode<N>::getSpan(int /*y*/, int /*x*/, int count, unsigned int* out) const
{
    std::fill(out, out + count, 0u);
}

template <int N>
void ColorGradientNode<N>::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (std::min(m_imageWidth, m_imageHeight) <= 0) {
        std::fill(out, out + count, 0u);
        return;
    }
    // The linked stops' spans, a run of at most kInline points at a time.
    constexpr int kRun = SpanBuffer::kInline;
    unsigned int colours[N][kRun];
    unsigned int positions[N][kRun];
    std::array<unsigned int, N> colour = m_stopRgb;
    std::array<int, N> position = m_position;
    for (int start = 0; start < count; start += kRun) {
        const int n = std::min(kRun, count - start);
        for (int i = 0; i < N; ++i) {
            if (m_colourSource[i])
                m_colourSource[i]->getSpan3(y, x + start, n, colours[i]);
            if (m_positionSource[i])
                m_positionSource[i]->getSpan(y, x + start, n, positions[i]);
        }
        for (int k = 0; k < n; ++k) {
            for (int i = 0; i < N; ++i) {
                if (m_colourSource[i])
                    colour[i] = throughLinear(colours[i][k]);
                if (m_positionSource[i])
                    position[i] = positionOf(positions[i][k]);
            }
            out[start + k] = gradientFrom(QPoint(x + start + k, y), colour, position) & 0xFFFFFFu;
        }
    }
}

template <int N>
unsigned int ColorGradientNode<N>::gradientFrom(QPoint const& point, std::array<unsigned int, N> const& colour,
                                                std::array<int, N> const& position) const
{
    const int side = std::min(m_imageWidth, m_imageHeight);
    const int repeat = std::clamp(m_repeat, 1, 100);

    // A repeat above the side would make tiles of no pixels: they keep at least one.
    int u = point.x();
    int v = point.y();
    int tileWidth;
    int tileHeight;
    if (m_proportional == 0) {
        tileWidth = std::max(1, m_imageWidth / repeat);
        tileHeight = std::max(1, m_imageHeight / repeat);
    } else {
        u %= side;
        v %= side;
        tileWidth = tileHeight = std::max(1, side / repeat);
    }
    const int a = u % tileWidth;
    const int b = v % tileHeight;

    const bool alongY = m_rotate == 90 || m_rotate == 270;
    const bool reversed = m_rotate == 180 || m_rotate == 270;
    const double t = alongY ? transformToRealOne(b, 0, tileHeight) : transformToRealOne(a, 0, tileWidth);
    // Divided first, then scaled: x = 29 of 100 lies just below 29.
    const double pos = t * 100.0;

    std::array<Stop, N> stops;
    for (int i = 0; i < N; ++i) {
        // Reversed, a stop keeps its colour and takes the mirrored stop's position.
        const Stop stop{position[reversed ? N - 1 - i : i], i, colour[i]};
        // Insertion sort: a handful of stops, on the stack.
        int k = i;
        while (k > 0 && stop < stops[k - 1]) {
            stops[k] = stops[k - 1];
            --k;
        }
        stops[k] = stop;
    }
    return VyxGradient::colorBetweenStops(stops.data(), stops.size(), pos);
}

template <int N>
int ColorGradientNode<N>::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    for (int i = 0; i < N; ++i) {
        if (own == m_colourTerminal[i])
            getGeneratorInterface(&m_colourSource[i], peer);
        else if (own == m_positionTerminal[i])
            getGeneratorInterface(&m_positionSource[i], peer);
    }
    // Only linked stops change here; the others keep whatever state they have.
    for (int i = 0; i < N; ++i) {
        if (m_colourSource[i])
            m_colourParam[i]->setDisplayFlagZero(Parameter::DisplayEnabled);
        if (m_positionSource[i])
            m_positionParam[i]->setDisplayFlagZero(Parameter::DisplayEnabled);
    }
    return KelNodes::Node::onConnect(own, peer);
}

template <int N>
void ColorGradientNode<N>::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    for (int i = 0; i < N; ++i) {
        if (own == m_colourTerminal[i])
            m_colourSource[i] = nullptr;
        else if (own == m_positionTerminal[i])
            m_positionSource[i] = nullptr;
    }
    for (int i = 0; i < N; ++i) {
        if (!m_colourSource[i])
            m_colourParam[i]->setDisplayFlagOne(Parameter::DisplayEnabled);
        if (!m_positionSource[i])
            m_positionParam[i]->setDisplayFlagOne(Parameter::DisplayEnabled);
    }
    KelNodes::Node::onDisconnect(own, peer);
}

template <int N>
void ColorGradientNode<N>::resolveInputs()
{
    for (int i = 0; i < N; ++i) {
        m_colourSource[i] = linkedGenerator3D(m_colourTerminal[i]);
        m_positionSource[i] = linkedGenerator1D(m_positionTerminal[i]);
    }
}

template class ColorGradientNode<3>;
template class ColorGradientNode<5>;

} // namespace KelVyxNodes

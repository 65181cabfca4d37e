#include "effects/math/ColorGradientNode.h"

#include "effects/GeneratorLookup.h"
#include "effects/LinearColorBytes.h"
#include "effects/NodeText.h"
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
#include <vector>

namespace KelVyxNodes {

using namespace KelUtils;

namespace {

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

// What linked stop inputs give, byte by byte, made once: a colour channel through the linear
// colour (linearColorToRgb(linearFromSample(c)) converts each channel on its own, so the table
// spares two powers per channel) and a position byte as a stop position 0..100.
struct StopInputBytes
{
    std::array<unsigned char, 256> linear{};
    std::array<int, 256> position{};

    unsigned int colour(unsigned int c) const
    {
        return unsigned(linear[(c >> 16) & 0xFFu]) << 16 | unsigned(linear[(c >> 8) & 0xFFu]) << 8 | linear[c & 0xFFu];
    }
};

StopInputBytes const& stopInputBytes()
{
    static const StopInputBytes bytes = [] {
        StopInputBytes b;
        for (unsigned int k = 0; k < 256; ++k) {
            b.linear[k] = static_cast<unsigned char>(linearColorToRgb(linearFromSample(k * 0x010101u)) & 0xFFu);
            b.position[k] = transformToNewBounds(int(k), 0, 255, 0, 100);
        }
        return b;
    }();
    return bytes;
}

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
    prepareTileColours();
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
typename ColorGradientNode<N>::Layout ColorGradientNode<N>::layout() const
{
    Layout l;
    l.side = std::min(m_imageWidth, m_imageHeight);
    const int repeat = std::clamp(m_repeat, 1, 100);
    // A repeat above the side would make tiles of no pixels: they keep at least one.
    l.proportional = m_proportional != 0;
    if (!l.proportional) {
        l.tileWidth = std::max(1, m_imageWidth / repeat);
        l.tileHeight = std::max(1, m_imageHeight / repeat);
    } else {
        l.tileWidth = l.tileHeight = std::max(1, l.side / repeat);
    }
    l.alongY = m_rotate == 90 || m_rotate == 270;
    l.reversed = m_rotate == 180 || m_rotate == 270;
    return l;
}

template <int N>
int ColorGradientNode<N>::tileIndex(Layout const& l, QPoint const& point)
{
    int c = l.alongY ? point.y() : point.x();
    if (l.proportional)
        c %= l.side;
    return c % (l.alongY ? l.tileHeight : l.tileWidth);
}

template <int N>
double ColorGradientNode<N>::positionAt(Layout const& l, int index)
{
    // Divided first, then scaled: x = 29 of 100 lies just below 29.
    return transformToRealOne(index, 0, l.alongY ? l.tileHeight : l.tileWidth) * 100.0;
}

template <int N>
void ColorGradientNode<N>::sortStops(Layout const& l, std::array<unsigned int, N> const& colour,
                                     std::array<int, N> const& position, std::array<Stop, N>& stops)
{
    for (int i = 0; i < N; ++i) {
        // Reversed, a stop keeps its colour and takes the mirrored stop's position.
        const Stop stop{position[l.reversed ? N - 1 - i : i], i, colour[i]};
        // Insertion sort: a handful of stops, on the stack.
        int k = i;
        while (k > 0 && stop < stops[k - 1]) {
            stops[k] = stops[k - 1];
            --k;
        }
        stops[k] = stop;
    }
}

template <int N>
typename ColorGradientNode<N>::TableKey ColorGradientNode<N>::tableKey() const
{
    TableKey key{m_imageWidth, m_imageHeight, m_repeat, m_proportional, m_rotate};
    for (int i = 0; i < N; ++i) {
        key[size_t(5 + 2 * i)] = int(m_stopRgb[i]);
        key[size_t(6 + 2 * i)] = m_position[i];
    }
    return key;
}

template <int N>
bool ColorGradientNode<N>::stopsLinked() const
{
    for (int i = 0; i < N; ++i) {
        if (m_colourSource[i] || m_positionSource[i])
            return true;
    }
    return false;
}

template <int N>
void ColorGradientNode<N>::prepareTileColours()
{
    if (stopsLinked() || std::min(m_imageWidth, m_imageHeight) <= 0) {
        m_tileColours.clear();
        m_tileColoursMade = false;
        return;
    }
    const TableKey key = tableKey();
    if (m_tileColoursMade && key == m_tileKey)
        return;
    m_tileColoursMade = false;
    const Layout l = layout();
    std::array<Stop, N> stops;
    sortStops(l, m_stopRgb, m_position, stops);
    m_tileColours.resize(size_t(l.alongY ? l.tileHeight : l.tileWidth));
    for (size_t k = 0; k < m_tileColours.size(); ++k)
        m_tileColours[k] = VyxGradient::colorBetweenStops(stops.data(), stops.size(), positionAt(l, int(k)));
    m_tileKey = key;
    m_tileColoursMade = true;
}

template <int N>
unsigned int ColorGradientNode<N>::gradientAtPoint(QPoint const& point) const
{
    if (std::min(m_imageWidth, m_imageHeight) <= 0)
        return 0u;
    StopInputBytes const& bytes = stopInputBytes();
    // Only a linked colour is converted per sample; the stop's alpha plays no part.
    std::array<unsigned int, N> colour;
    std::array<int, N> position;
    for (int i = 0; i < N; ++i) {
        colour[i] = m_colourSource[i] ? bytes.colour(m_colourSource[i]->getSample3(point)) : m_stopRgb[i];
        position[i] = m_positionSource[i] ? bytes.position[m_positionSource[i]->getSample(point) & 0xFFu] : m_position[i];
    }
    const Layout l = layout();
    std::array<Stop, N> stops;
    sortStops(l, colour, position, stops);
    return VyxGradient::colorBetweenStops(stops.data(), stops.size(), positionAt(l, tileIndex(l, point)));
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
    const Layout l = layout();
    if (!stopsLinked()) {
        // The colours of the tile positions, made when the render started for these settings.
        const bool table = m_tileColoursMade && tableKey() == m_tileKey;
        std::array<Stop, N> stops;
        sortStops(l, m_stopRgb, m_position, stops);
        for (int i = 0; i < count; ++i) {
            const int index = tileIndex(l, QPoint(x + i, y));
            out[i] = (table && index >= 0 && size_t(index) < m_tileColours.size())
                         ? m_tileColours[size_t(index)]
                         : VyxGradient::colorBetweenStops(stops.data(), stops.size(), positionAt(l, index));
            out[i] &= 0xFFFFFFu;
        }
        return;
    }
    // The linked stops' spans, a run of at most kInline points at a time.
    constexpr int kRun = SpanBuffer::kInline;
    unsigned int colours[N][kRun];
    unsigned int positions[N][kRun];
    StopInputBytes const& bytes = stopInputBytes();
    std::array<unsigned int, N> colour = m_stopRgb;
    std::array<int, N> position = m_position;
    // Stops linked to the same output share its span.
    std::array<unsigned int const*, N> colourRun{};
    std::array<unsigned int const*, N> positionRun{};
    for (int start = 0; start < count; start += kRun) {
        const int n = std::min(kRun, count - start);
        for (int i = 0; i < N; ++i) {
            colourRun[i] = nullptr;
            positionRun[i] = nullptr;
            for (int j = 0; j < i; ++j) {
                if (m_colourSource[i] && m_colourSource[j] == m_colourSource[i])
                    colourRun[i] = colourRun[j];
                if (m_positionSource[i] && m_positionSource[j] == m_positionSource[i])
                    positionRun[i] = positionRun[j];
            }
            if (m_colourSource[i] && !colourRun[i]) {
                m_colourSource[i]->getSpan3(y, x + start, n, colours[i]);
                colourRun[i] = colours[i];
            }
            if (m_positionSource[i] && !positionRun[i]) {
                m_positionSource[i]->getSpan(y, x + start, n, positions[i]);
                positionRun[i] = positions[i];
            }
        }
        for (int k = 0; k < n; ++k) {
            for (int i = 0; i < N; ++i) {
                if (colourRun[i])
                    colour[i] = bytes.colour(colourRun[i][k]);
                if (positionRun[i])
                    position[i] = bytes.position[positionRun[i][k] & 0xFFu];
            }
            std::array<Stop, N> stops;
            sortStops(l, colour, position, stops);
            const double pos = positionAt(l, tileIndex(l, QPoint(x + start + k, y)));
            out[start + k] = VyxGradient::colorBetweenStops(stops.data(), stops.size(), pos) & 0xFFFFFFu;
        }
    }
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

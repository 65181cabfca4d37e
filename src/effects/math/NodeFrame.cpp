#include "effects/math/NodeFrame.h"

#include "effects/GeneratorLookup.h"
#include "effects/LinearColorBytes.h"
#include "effects/NodeText.h"
#include "effects/SpanBuffer.h"
#include "effects/VyxNodeGraph.h"
#include "effects/VyxTerminal.h"
#include "effects/math/NodeFrameTerminal1D.h"
#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QDebug>

#include <algorithm>
#include <cmath>
#include <limits>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeFrame::m_descriptor{
    QStringLiteral("operator.frame"), QUuid(QStringLiteral("5fbdd53a-7cd5-46fb-9214-860eabbf5c77")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Frame")), QString(), &NodeFrame::create};

NodeFrame::NodeFrame(int id)
    : NodeOf(id, QStringLiteral("in"), QStringLiteral("out"))
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_frameTerminal = addTerminal(QStringLiteral("frame"), 4u, 0u);
    m_rimTerminal = addTerminal(QStringLiteral("rim"), 4u, 0u);
    m_distortTerminal = addTerminal(QStringLiteral("distort"), 4u, 0u);
    addTerminal(new NodeFrameTerminal1D(this, QStringLiteral("inner"), 0u, 3u, HelpItem(),
                                        FrameNode_Terminal1D_InnerID));
    addTerminal(new NodeFrameTerminal1D(this, QStringLiteral("outer"), 0u, 3u, HelpItem(),
                                        FrameNode_Terminal1D_OuterID));

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new NumGroupParameter<float>("hmargin", tr("Horizontal Border:"), c, &m_hBorder, 1, 0.0f, 2.0f, 0.9f, true, 5),
        new NumGroupParameter<float>("vmargin", tr("Vertical Border:"), c, &m_vBorder, 1, 0.0f, 2.0f, 0.9f, true, 5),
        new NumGroupParameter<float>("hroundness", tr("Horizontal Rounding-off:"), c, &m_hRounding, 1, 0.5f, 10.0f, 0.5f, true, 5),
        new NumGroupParameter<float>("vroundness", tr("Vertical Rounding-off:"), c, &m_vRounding, 1, 0.5f, 10.0f, 0.5f, true, 5),
        m_frameParam = new ColorParameter("frame_color", tr("Frame Color:"), c, &m_frameColour, 5),
        new NumGroupParameter<float>("frame_width", tr("Rim Width:"), c, &m_rimWidth, 1, 0.0f, 1.0f, 0.0f, true, 1),
        m_rimParam = new ColorParameter("margin_color", tr("Rim Color:"), c, &m_rimColour, 1),
        new NumGroupParameter<int>("transparent", tr("Transparent:"), c, &m_transparent, 1, 0, 1, 1, true, 1),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Frame")),
                              tr("The node generates thoroughly configurable image frame and also "
                                 "provides the alpha channel of the frame mask."));
    m_rimColour = Color(0.0f, 0.0f, 0.0f, 1.0f);
    m_frameColour = Color(0.0f, 0.0f, 0.0f, 1.0f);
}

NodeFrame::~NodeFrame() = default;

int NodeFrame::onFilterStart(StatusObserver* /*observer*/)
{
    m_rimPacked = linearColorToRgb(m_rimColour);
    m_framePacked = linearColorToRgb(m_frameColour);
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    if (!image || image->isNull()) {
        qDebug() << "NodeFrame error: no image";
        m_imageWidth = -1;
        m_imageHeight = -1;
        return 0;
    }
    m_imageWidth = image->width();
    m_imageHeight = image->height();
    if (m_termsWidth != m_imageWidth || m_termsBorder != m_hBorder || m_termsRounding != m_hRounding) {
        m_termsWidth = -1;
        m_columnTerms.resize(size_t(m_imageWidth));
        for (int x = 0; x < m_imageWidth; ++x)
            m_columnTerms[size_t(x)] = term(static_cast<long long>(x) - m_imageWidth / 2, m_imageWidth, m_hBorder, m_hRounding);
        m_termsWidth = m_imageWidth;
        m_termsBorder = m_hBorder;
        m_termsRounding = m_hRounding;
    }
    return 0;
}

double NodeFrame::term(long long offset, int side, float border, float rounding)
{
    float a = static_cast<float>(offset) / static_cast<float>(side);
    a = a + a;
    // A border of 0 squeezes the curve onto the centre line: 0/0 there would be NaN.
    if (border == 0.0f)
        return offset == 0 ? 0.0 : std::numeric_limits<double>::infinity();
    a = a / border;
    return std::pow(static_cast<double>(std::fabs(a)), static_cast<double>(rounding));
}

float NodeFrame::value(QPoint const& point) const
{
    if (!hasImageSize())
        return 0.0f;
    const long long dx = static_cast<long long>(point.x()) - m_imageWidth / 2;
    const long long dy = static_cast<long long>(point.y()) - m_imageHeight / 2;
    return static_cast<float>(term(dx, m_imageWidth, m_hBorder, m_hRounding)
                              + term(dy, m_imageHeight, m_vBorder, m_vRounding));
}

bool NodeFrame::isContent(float v) const
{
    return (1.0f - m_rimWidth) >= v;
}

bool NodeFrame::isRim(float v) const
{
    return v <= 1.0f && !((1.0f - m_rimWidth) >= v);
}

bool NodeFrame::isFrame(float v) const
{
    return v > 1.0f;
}

bool NodeFrame::contentAt(QPoint const& point) const
{
    return !hasImageSize() || isContent(value(point));
}

unsigned int NodeFrame::contentColour(QPoint const& point) const
{
    return m_upstream3D ? m_upstream3D->getSample3(point) : 0x808080u;
}

unsigned int NodeFrame::outerColour(QPoint const& point, float v) const
{
    if (v > 1.0f)
        return m_frameInput ? m_frameInput->getSample3(point) : m_framePacked;
    return m_rimInput ? m_rimInput->getSample3(point) : m_rimPacked;
}

template <class Content, class Outer>
unsigned int NodeFrame::colourAt(float v, Content content, Outer outer) const
{
    const float inner = 1.0f - m_rimWidth;
    if (inner >= v)
        return content();
    if (m_transparent == 0)
        return outer();

    float d = v - inner;
    // Written so that NaN ends as 0 (the content) rather than in an int conversion.
    if (!(d > 0.0f))
        d = 0.0f;
    else if (d > 1.0f)
        d = 1.0f;
    const float t = static_cast<float>(std::sqrt(std::sqrt(static_cast<double>(d))));
    const float rest = 1.0f - t;
    const unsigned int ci = content();
    const unsigned int co = outer();
    unsigned int result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const float o = static_cast<float>((co >> shift) & 0xFFu);
        const float i = static_cast<float>((ci >> shift) & 0xFFu);
        const int n = static_cast<int>(o * t + i * rest + 0.5f);
        result |= (static_cast<unsigned int>(n) & 0xFFu) << shift;
    }
    return result;
}

namespace {

// The shape value moved by the brightness of the "distort" colour.
float distorted(float v, unsigned int c)
{
    const int s = int((c >> 16) & 0xFFu) + int((c >> 8) & 0xFFu) + int(c & 0xFFu);
    return v + ((static_cast<float>(s) * 0.0013072f - 0.5f) * 0.5f);
}

} // namespace

unsigned int NodeFrame::getSample3(QPoint const& point) const
{
    if (!hasImageSize())
        return contentColour(point);
    float v = value(point);
    if (m_distortInput)
        v = distorted(v, m_distortInput->getSample3(point));
    return colourAt(
        v, [&] { return contentColour(point); }, [&] { return outerColour(point, v); });
}

void NodeFrame::valueSpan(int y, int x, int count, float* out) const
{
    const double rowTerm = term(static_cast<long long>(y) - m_imageHeight / 2, m_imageHeight, m_vBorder, m_vRounding);
    const bool columns = m_termsWidth == m_imageWidth && m_termsBorder == m_hBorder && m_termsRounding == m_hRounding;
    for (int i = 0; i < count; ++i) {
        const long long column = static_cast<long long>(x) + i;
        const double columnTerm = columns && column >= 0 && column < m_imageWidth
                                      ? m_columnTerms[size_t(column)]
                                      : term(column - m_imageWidth / 2, m_imageWidth, m_hBorder, m_hRounding);
        out[i] = static_cast<float>(columnTerm + rowTerm);
    }
}

void NodeFrame::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!hasImageSize()) {
        if (m_upstream3D)
            m_upstream3D->getSpan3(y, x, count, out);
        else
            std::fill(out, out + count, 0x808080u);
        return;
    }
    if (count > SpanBuffer::kInline) {
        for (int start = 0; start < count; start += SpanBuffer::kInline)
            NodeFrame::getSpan3(y, x + start, std::min(SpanBuffer::kInline, count - start), out + start);
        return;
    }
    // The values, the distortion, then every colour input's span in a buffer of its own.
    float v[SpanBuffer::kInline];
    valueSpan(y, x, count, v);
    SpanBuffer colours(count);
    if (m_distortInput) {
        m_distortInput->getSpan3(y, x, count, colours.data());
        for (int i = 0; i < count; ++i)
            v[i] = distorted(v[i], colours[i]);
    }
    SpanBuffer frame(m_frameInput ? count : 0);
    SpanBuffer rim(m_rimInput ? count : 0);
    if (m_upstream3D)
        m_upstream3D->getSpan3(y, x, count, colours.data());
    if (m_frameInput)
        m_frameInput->getSpan3(y, x, count, frame.data());
    if (m_rimInput)
        m_rimInput->getSpan3(y, x, count, rim.data());
    for (int i = 0; i < count; ++i) {
        const float vi = v[i];
        out[i] = colourAt(
            vi, [&] { return m_upstream3D ? colours[i] : 0x808080u; },
            [&] {
                if (vi > 1.0f)
                    return m_frameInput ? frame[i] : m_framePacked;
                return m_rimInput ? rim[i] : m_rimPacked;
            });
    }
}

void NodeFrame::contentSpan(int y, int x, int count, unsigned int inside, unsigned int outside,
                            unsigned int* out) const
{
    if (!hasImageSize()) {
        std::fill(out, out + count, inside);
        return;
    }
    float v[SpanBuffer::kInline];
    for (int start = 0; start < count; start += SpanBuffer::kInline) {
        const int n = std::min(SpanBuffer::kInline, count - start);
        valueSpan(y, x + start, n, v);
        for (int i = 0; i < n; ++i)
            out[start + i] = isContent(v[i]) ? inside : outside;
    }
}

void NodeFrame::getSpan(int /*y*/, int /*x*/, int count, unsigned int* out) const
{
    std::fill(out, out + count, 0u);
}

unsigned int NodeFrame::getSample(QPoint const& /*point*/) const
{
    return 0u;
}

int NodeFrame::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int r = BaseGeneratorNode::onConnect(own, peer);
    if (r < 0)
        return r;
    // The parameter is greyed out even when the peer offers no colour: the link replaces it.
    if (own == m_rimTerminal) {
        getGeneratorInterface(&m_rimInput, peer);
        m_rimParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    } else if (own == m_frameTerminal) {
        getGeneratorInterface(&m_frameInput, peer);
        m_frameParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    } else if (own == m_distortTerminal) {
        getGeneratorInterface(&m_distortInput, peer);
    }
    return r;
}

void NodeFrame::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    BaseGeneratorNode::onDisconnect(own, peer);
    if (own == m_rimTerminal) {
        m_rimInput = nullptr;
        m_rimParam->setDisplayFlagOne(Parameter::DisplayEnabled);
    } else if (own == m_frameTerminal) {
        m_frameInput = nullptr;
        m_frameParam->setDisplayFlagOne(Parameter::DisplayEnabled);
    } else if (own == m_distortTerminal) {
        m_distortInput = nullptr;
    }
}

void NodeFrame::resolveInputs()
{
    BaseGeneratorNode::resolveInputs();
    m_frameInput = linkedGenerator3D(m_frameTerminal);
    m_rimInput = linkedGenerator3D(m_rimTerminal);
    m_distortInput = linkedGenerator3D(m_distortTerminal);
}

} // namespace KelVyxNodes

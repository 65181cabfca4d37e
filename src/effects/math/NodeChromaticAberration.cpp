#include "effects/math/NodeChromaticAberration.h"

#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/SpanBuffer.h"
#include "effects/SpanGather.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeSubscriber.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

// Differs from the Deform node's UUID only in its first two digits: stored graphs know it so.
KelNodes::NodeDescriptor NodeChromaticAberration::m_descriptor{
    QStringLiteral("operator.chromaaber"), QUuid(QStringLiteral("05f97532-8980-41db-bc88-e5710b12768e")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Chromatic Aberration")), QString(),
    &NodeChromaticAberration::create};

namespace {

// A single-precision coordinate truncated towards zero and held inside 0..side - 1; held
// before the conversion, which is undefined outside the int range.
int clampTruncated(float v, int side)
{
    if (!(v >= 1.0f))
        return 0;
    if (static_cast<double>(v) >= static_cast<double>(side))
        return side - 1;
    return static_cast<int>(v);
}

int clampWhole(long long v, int side)
{
    return static_cast<int>(std::clamp<long long>(v, 0, side - 1LL));
}

} // namespace

NodeChromaticAberration::NodeChromaticAberration(int id)
    : NodeOf(id, QStringLiteral("in"), "NodeChromaticAberration")
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_aberTerminal = addTerminal(QStringLiteral("aber"), 4u, 0u);
    addTerminal(QStringLiteral("out"), 0u, 5u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        m_strengthParam = new NumGroupParameter<int>("strength", tr("Aberration Strength:"), c, &m_strength, 1, 0, 100, 20, true, 5),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Chromatic Aberration")),
                              tr("The node imitates the color fringes of a lens: green and blue are taken "
                                 "from points moved diagonally in opposite directions. Connect <b>aber</b> "
                                 "to vary the shift over the image by its brightness."));

    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeChromaticAberration>, this});
    paramChanged(nullptr);
}

NodeChromaticAberration::~NodeChromaticAberration() = default;

void NodeChromaticAberration::paramChanged(Parameter* changed)
{
    if (!changed) {
        QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
        if (image && !image->isNull()) {
            m_imageWidth = image->width();
            m_imageHeight = image->height();
        }
    }
    if (!changed || changed == m_strengthParam) {
        m_factor = static_cast<float>(m_strength) * 0.05f;
        m_offset = static_cast<int>(m_factor + 0.5f);
    }
    if (changed)
        sendNotification(KelNodes::NodeSubscriber::SetUp);
}

void NodeChromaticAberration::offsetPoints(QPoint const& point, unsigned int aber, QPoint& plus, QPoint& minus) const
{
    const int x = point.x();
    const int y = point.y();
    if (m_aber) {
        const unsigned int sum = ((aber >> 16) & 0xFFu) + ((aber >> 8) & 0xFFu) + (aber & 0xFFu);
        const float o = (static_cast<float>(sum) * m_factor) * 0.002f;
        const float fx = static_cast<float>(x);
        const float fy = static_cast<float>(y);
        plus = QPoint(clampTruncated(fx + o, m_imageWidth), clampTruncated(fy + o, m_imageHeight));
        minus = QPoint(clampTruncated(fx - o, m_imageWidth), clampTruncated(fy - o, m_imageHeight));
    } else {
        plus = QPoint(clampWhole(static_cast<long long>(x) + m_offset, m_imageWidth),
                      clampWhole(static_cast<long long>(y) + m_offset, m_imageHeight));
        minus = QPoint(clampWhole(static_cast<long long>(x) - m_offset, m_imageWidth),
                       clampWhole(static_cast<long long>(y) - m_offset, m_imageHeight));
    }
}

unsigned int NodeChromaticAberration::getSample3(QPoint const& point) const
{
    if (!m_input)
        return 0x808080u;
    const unsigned int c0 = m_input->getSample3(point);
    // Before any image size is known no offset point can be held inside it.
    if (!hasImageSize())
        return c0 & 0xFFFFFFu;
    QPoint plus;
    QPoint minus;
    offsetPoints(point, m_aber ? m_aber->getSample3(point) : 0u, plus, minus);
    // A point clamped back onto p reuses the first sample.
    const unsigned int g = plus == point ? c0 : m_input->getSample3(plus);
    const unsigned int b = minus == point ? c0 : m_input->getSample3(minus);
    return (c0 & 0xFF0000u) | (g & 0x00FF00u) | (b & 0x0000FFu);
}

void NodeChromaticAberration::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_input) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    m_input->getSpan3(y, x, count, out);
    if (!hasImageSize()) {
        for (int i = 0; i < count; ++i)
            out[i] &= 0xFFFFFFu;
        return;
    }
    SpanBuffer aber(count);
    if (m_aber)
        m_aber->getSpan3(y, x, count, aber.data());
    SpanBuffer green(count);
    SpanBuffer blue(count);
    SpanGather plusGather(*m_input, green.data());
    SpanGather minusGather(*m_input, blue.data());
    for (int i = 0; i < count; ++i) {
        QPoint plus;
        QPoint minus;
        offsetPoints(QPoint(x + i, y), m_aber ? aber[i] : 0u, plus, minus);
        plusGather.add(i, plus);
        minusGather.add(i, minus);
    }
    plusGather.finish();
    minusGather.finish();
    for (int i = 0; i < count; ++i)
        out[i] = (out[i] & 0xFF0000u) | (green[i] & 0x00FF00u) | (blue[i] & 0x0000FFu);
}

int NodeChromaticAberration::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int result = ImageGeometryNode::onConnect(own, peer);
    if (result >= 0 && own == m_aberTerminal)
        getGeneratorInterface(&m_aber, peer);
    return result;
}

void NodeChromaticAberration::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    ImageGeometryNode::onDisconnect(own, peer);
    if (own == m_aberTerminal)
        m_aber = nullptr;
}

void NodeChromaticAberration::resolveInputs()
{
    ImageGeometryNode::resolveInputs();
    m_aber = linkedGenerator3D(m_aberTerminal);
}

} // namespace KelVyxNodes

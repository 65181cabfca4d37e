#include "effects/math/NodeLookup.h"

#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/SpanBuffer.h"
#include "effects/SpanGather.h"
#include "effects/VyxTerminal.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeLookup::m_descriptor{
    QStringLiteral("operator.deform"), QUuid(QStringLiteral("aef97532-8980-41db-bc88-e5710b12768e")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Deform")), QString(), &NodeLookup::create};

namespace {

unsigned int channelSum(unsigned int c)
{
    return ((c >> 16) & 0xFFu) + ((c >> 8) & 0xFFu) + (c & 0xFFu);
}

} // namespace

NodeLookup::NodeLookup(int id)
    : NodeOf(id, QStringLiteral("in"), "NodeLookup")
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_xTerminal = addTerminal(QStringLiteral("x"), 4u, 0u);
    m_yTerminal = addTerminal(QStringLiteral("y"), 4u, 0u);
    addTerminal(QStringLiteral("out"), 0u, 5u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        m_strengthParam = new NumGroupParameter<float>("deformStrength", tr("Deformation Strength:"), c, &m_strength, 1, 0.0f, 100.0f, 0.1f, true, 5),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Deform")),
                              tr("The node distorts the image producing ripple-like effects when <b>x</b> "
                                 "and <b>y</b> terminals are connected to a noise generator."));
}

NodeLookup::~NodeLookup() = default;

int NodeLookup::displaced(int c, int side, float strength, unsigned int sum)
{
    // 0.0013072 is a little above 1 / 765: mid grey (sum 384) nudges towards larger coordinates.
    const float d = ((strength * 0.1f) * static_cast<float>(side))
                    * (static_cast<float>(sum) * 0.0013072f - 0.5f);
    const float moved = static_cast<float>(c) + d + 0.5f;
    // Held inside before the conversion, which is undefined outside the int range; truncation
    // towards zero takes everything below 1 to 0 as the clamp does.
    if (!(moved >= 1.0f))
        return 0;
    if (static_cast<double>(moved) >= static_cast<double>(side))
        return side - 1;
    return static_cast<int>(moved);
}

unsigned int NodeLookup::getSample3(QPoint const& point) const
{
    if (!m_input)
        return 0x808080u;
    // Before any image size is known nothing can be held inside it: no displacement.
    if (!hasImageSize())
        return m_input->getSample3(point);
    int x = point.x();
    int y = point.y();
    // Both maps are read at the output point.
    if (m_xMap)
        x = displaced(point.x(), m_imageWidth, m_strength, channelSum(m_xMap->getSample3(point)));
    if (m_yMap)
        y = displaced(point.y(), m_imageHeight, m_strength, channelSum(m_yMap->getSample3(point)));
    return m_input->getSample3(QPoint(x, y));
}

void NodeLookup::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_input) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    if (!hasImageSize() || (!m_xMap && !m_yMap)) {
        m_input->getSpan3(y, x, count, out);
        return;
    }
    // Both maps are read at the output points.
    SpanBuffer xMap(count);
    SpanBuffer yMap(count);
    if (m_xMap)
        m_xMap->getSpan3(y, x, count, xMap.data());
    if (m_yMap)
        m_yMap->getSpan3(y, x, count, yMap.data());
    SpanGather gather(*m_input, out);
    for (int i = 0; i < count; ++i) {
        const int sx = m_xMap ? displaced(x + i, m_imageWidth, m_strength, channelSum(xMap[i])) : x + i;
        const int sy = m_yMap ? displaced(y, m_imageHeight, m_strength, channelSum(yMap[i])) : y;
        gather.add(i, QPoint(sx, sy));
    }
    gather.finish();
}

int NodeLookup::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own == m_xTerminal)
        getGeneratorInterface(&m_xMap, peer);
    else if (own == m_yTerminal)
        getGeneratorInterface(&m_yMap, peer);
    if (m_xMap || m_yMap)
        m_strengthParam->setDisplayFlagOne(Parameter::DisplayEnabled);
    return ImageGeometryNode::onConnect(own, peer);
}

void NodeLookup::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own == m_xTerminal)
        m_xMap = nullptr;
    else if (own == m_yTerminal)
        m_yMap = nullptr;
    if (!m_xMap && !m_yMap)
        m_strengthParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    ImageGeometryNode::onDisconnect(own, peer);
}

void NodeLookup::resolveInputs()
{
    ImageGeometryNode::resolveInputs();
    m_xMap = linkedGenerator3D(m_xTerminal);
    m_yMap = linkedGenerator3D(m_yTerminal);
}

} // namespace KelVyxNodes

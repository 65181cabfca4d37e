#include "effects/color/NodeRGBA.h"

#include "effects/NodeText.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeRGBA::m_descriptor{
    QStringLiteral("operator.rgba"), QUuid(QStringLiteral("054b2fdc-02c0-42ed-abf7-9a782d18dfd7")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "RGBA")), QString(), &NodeRGBA::create};

namespace {

unsigned int offsetByte(unsigned int value, int offset)
{
    return static_cast<unsigned int>(std::clamp(static_cast<int>(value & 0xFFu) + offset, 0, 255));
}

} // namespace

NodeRGBA::NodeRGBA(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_inputs.addTerminals(this);
    // Without the many-links bit: a second downstream link replaces the first.
    addTerminal(QStringLiteral("out rgb"), 0u, 4u);
    addTerminal(QStringLiteral("out alpha"), 0u, 2u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new NumGroupParameter<int>("Red", tr("Red:"), c, &m_red, 1, -255, 255, 0, true, 5),
        new NumGroupParameter<int>("Green", tr("Green:"), c, &m_green, 1, -255, 255, 0, true, 5),
        new NumGroupParameter<int>("Blue", tr("Blue:"), c, &m_blue, 1, -255, 255, 0, true, 5),
        new NumGroupParameter<int>("Alpha", tr("Alpha:"), c, &m_alpha, 1, -255, 255, 255, true, 5),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "RGBA")),
                              tr("Allows to adjust each channel in RGB color model"));
}

NodeRGBA::~NodeRGBA() = default;

unsigned int NodeRGBA::getSample(QPoint const& point) const
{
    if (!m_inputs.alpha())
        return 255u;
    return offsetByte(m_inputs.alpha()->getSample(point), m_alpha);
}

unsigned int NodeRGBA::getSample3(QPoint const& point) const
{
    // Unlinked, the offsets apply to black.
    const unsigned int c = m_inputs.colour() ? m_inputs.colour()->getSample3(point) : 0u;
    return offsetByte(c >> 16, m_red) << 16 | offsetByte(c >> 8, m_green) << 8 | offsetByte(c, m_blue);
}

int NodeRGBA::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    m_inputs.connect(own, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeRGBA::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    m_inputs.disconnect(own);
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeRGBA::resolveInputs()
{
    m_inputs.resolve();
}

void NodeRGBA::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_inputs.alpha()) {
        std::fill(out, out + count, 255u);
        return;
    }
    m_inputs.alpha()->getSpan(y, x, count, out);
    for (int i = 0; i < count; ++i)
        out[i] = offsetByte(out[i], m_alpha);
}

void NodeRGBA::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (m_inputs.colour())
        m_inputs.colour()->getSpan3(y, x, count, out);
    else
        std::fill(out, out + count, 0u);
    for (int i = 0; i < count; ++i) {
        const unsigned int c = out[i];
        out[i] = offsetByte(c >> 16, m_red) << 16 | offsetByte(c >> 8, m_green) << 8 | offsetByte(c, m_blue);
    }
}

} // namespace KelVyxNodes

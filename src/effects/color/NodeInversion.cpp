#include "effects/color/NodeInversion.h"

#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/VyxTerminal.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeInversion::m_descriptor{
    QStringLiteral("operator.inversion"), QUuid(QStringLiteral("21051af5-3c09-487b-ab7b-e4a35fdff084")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Inversion")), QString(), &NodeInversion::create};

NodeInversion::NodeInversion(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_rgbTerminal = addTerminal(QStringLiteral("inRgb"), 4u, 0u);
    m_channelTerminal = addTerminal(QStringLiteral("in"), 2u, 0u);
    addTerminal(QStringLiteral("outRgb"), 0u, 5u);
    addTerminal(QStringLiteral("out"), 0u, 3u);

    *m_container.helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Inversion")),
                                       tr("The node inverts image colors."));
}

NodeInversion::~NodeInversion() = default;

unsigned int NodeInversion::getSample(QPoint const& point) const
{
    if (!m_channelInput)
        return 128u;
    return 255u - (m_channelInput->getSample(point) & 0xFFu);
}

unsigned int NodeInversion::getSample3(QPoint const& point) const
{
    if (m_colourInput)
        return (m_colourInput->getSample3(point) & 0xFFFFFFu) ^ 0xFFFFFFu;
    return getSample(point) * 0x010101u;
}

void NodeInversion::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_channelInput) {
        std::fill(out, out + count, 128u);
        return;
    }
    m_channelInput->getSpan(y, x, count, out);
    for (int i = 0; i < count; ++i)
        out[i] = 255u - (out[i] & 0xFFu);
}

void NodeInversion::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_colourInput) {
        getSpan(y, x, count, out);
        for (int i = 0; i < count; ++i)
            out[i] *= 0x010101u;
        return;
    }
    m_colourInput->getSpan3(y, x, count, out);
    for (int i = 0; i < count; ++i)
        out[i] = (out[i] & 0xFFFFFFu) ^ 0xFFFFFFu;
}

int NodeInversion::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("inRgb"))
        getGeneratorInterface(&m_colourInput, peer);
    else if (own->name() == QLatin1String("in"))
        getGeneratorInterface(&m_channelInput, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeInversion::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("inRgb"))
        m_colourInput = nullptr;
    else if (own->name() == QLatin1String("in"))
        m_channelInput = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeInversion::resolveInputs()
{
    m_colourInput = linkedGenerator3D(m_rgbTerminal);
    m_channelInput = linkedGenerator1D(m_channelTerminal);
}

} // namespace KelVyxNodes

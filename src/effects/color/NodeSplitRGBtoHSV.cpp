#include "effects/color/NodeSplitRGBtoHSV.h"

#include "effects/Base3DGenerator.h"
#include "effects/GeneratorLookup.h"
#include "effects/VyxTerminal.h"
#include "effects/color/ColorChannel.h"
#include "effects/color/NodeSplitRGBtoHSVTerminal1D.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeSplitRGBtoHSV::m_descriptor{
    QStringLiteral("operator.splitRGBtoHSV"),
    QUuid(QStringLiteral("c72eab13-df9e-4ce2-b6ef-590db646136d")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Split RGB to HSV")), QString(),
    &NodeSplitRGBtoHSV::create};

NodeSplitRGBtoHSV::NodeSplitRGBtoHSV(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_rgbTerminal = addTerminal(QStringLiteral("rgb"), 4u, 0u);
    const char* const channels[] = {"h", "s", "v"};
    for (int index = 0; index < 3; ++index) {
        addTerminal(new NodeSplitRGBtoHSVTerminal1D(this, QString::fromLatin1(channels[index]), 0u,
                                                    3u, KelUtils::HelpItem(), index));
    }

    m_container.paramLists().append(KelUtils::ParameterList{QStringLiteral("basic"), true, {}});
    *m_container.helpItem() = KelUtils::HelpItem(
        QCoreApplication::translate("QObject", QT_TRANSLATE_NOOP("QObject", "Split RGB to HSV")),
        QCoreApplication::translate("QObject",
                                    "The node splits 3D input (RGB) into three 1D outputs (H,S,V)."));
}

NodeSplitRGBtoHSV::~NodeSplitRGBtoHSV() = default;

unsigned int NodeSplitRGBtoHSV::getSample(QPoint const& point) const
{
    if (!m_colourInput)
        return 0u;
    return channelOfColour(ChannelValue, m_colourInput->getSample3(point));
}

void NodeSplitRGBtoHSV::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_colourInput) {
        std::fill(out, out + count, 0u);
        return;
    }
    m_colourInput->getSpan3(y, x, count, out);
    channelsOfColours(ChannelValue, out, count);
}

int NodeSplitRGBtoHSV::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        getGeneratorInterface(&m_colourInput, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeSplitRGBtoHSV::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        m_colourInput = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeSplitRGBtoHSV::resolveInputs()
{
    m_colourInput = linkedGenerator3D(m_rgbTerminal);
}

} // namespace KelVyxNodes

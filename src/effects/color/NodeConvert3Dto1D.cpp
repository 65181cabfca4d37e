#include "effects/color/NodeConvert3Dto1D.h"

#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/VyxTerminal.h"
#include "effects/color/ColorChannel.h"
#include "params/GroupBoxParameter.h"
#include "params/ListParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeConvert3Dto1D::m_descriptor{
    QStringLiteral("operator.convert3dto1d"),
    QUuid(QStringLiteral("8f73ad54-adad-4d8d-bd5c-50e381f05796")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Convert 3D to 1D")), QString(),
    &NodeConvert3Dto1D::create};

NodeConvert3Dto1D::NodeConvert3Dto1D(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_rgbTerminal = addTerminal(QStringLiteral("rgb"), 4u, 0u);
    addTerminal(QStringLiteral("out"), 0u, 3u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{QStringLiteral("basic"), true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new ListParameter("output", tr("Output value:"), c, &m_channel, colorChannelItems(),
                          ColorChannelCount, ChannelRed, 5),
    }});
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Convert 3D to 1D")),
        tr("The node converts 3D input to 1D output by means of extracting of the color channel "
           "specified."));
}

NodeConvert3Dto1D::~NodeConvert3Dto1D() = default;

unsigned int NodeConvert3Dto1D::getSample(QPoint const& point) const
{
    if (!m_input)
        return 0u;
    const unsigned int colour = m_input->getSample3(point);
    const int channel = m_channel;
    if (!isColorChannel(channel))
        return 0u;
    return channelOfColour(channel, colour);
}

unsigned int NodeConvert3Dto1D::getSample3(QPoint const& point) const
{
    const int channel = m_channel;
    if (!m_input || !isColorChannel(channel))
        return 0u;
    return colourFromChannel(channel, getSample(point));
}

void NodeConvert3Dto1D::getSpan(int y, int x, int count, unsigned int* out) const
{
    const int channel = m_channel;
    if (!m_input || !isColorChannel(channel)) {
        std::fill(out, out + count, 0u);
        return;
    }
    m_input->getSpan3(y, x, count, out);
    channelsOfColours(channel, out, count);
}

void NodeConvert3Dto1D::getSpan3(int y, int x, int count, unsigned int* out) const
{
    getSpan(y, x, count, out);
    if (m_input && isColorChannel(m_channel))
        coloursFromChannel(m_channel, out, count);
}

int NodeConvert3Dto1D::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        getGeneratorInterface(&m_input, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeConvert3Dto1D::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        m_input = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeConvert3Dto1D::resolveInputs()
{
    m_input = linkedGenerator3D(m_rgbTerminal);
}

} // namespace KelVyxNodes

#include "effects/color/NodeConvert1Dto3D.h"

#include "effects/Base1DGenerator.h"
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

KelNodes::NodeDescriptor NodeConvert1Dto3D::m_descriptor{
    QStringLiteral("operator.convert1dto3d"),
    QUuid(QStringLiteral("0ff6a076-ea8e-4c74-a51c-2e3a5ec43f8b")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Convert 1D to 3D")), QString(),
    &NodeConvert1Dto3D::create};

NodeConvert1Dto3D::NodeConvert1Dto3D(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_inTerminal = addTerminal(QStringLiteral("in"), 2u, 0u);
    addTerminal(QStringLiteral("rgb"), 0u, 5u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{QStringLiteral("basic"), true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new ListParameter("input", tr("Input value:"), c, &m_channel, colorChannelItems(),
                          ColorChannelCount, ChannelRed, 5),
    }});
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Convert 1D to 3D")),
        tr("The node converts 1D input, which is interpreted as one channel of RGB, HSV or CMYK "
           "color model, to 3D output (RGB color)."));
}

NodeConvert1Dto3D::~NodeConvert1Dto3D() = default;

unsigned int NodeConvert1Dto3D::getSample3(QPoint const& point) const
{
    const int channel = m_channel;
    if (!m_input || !isColorChannel(channel))
        return 0u;
    return colourFromChannel(channel, m_input->getSample(point));
}

void NodeConvert1Dto3D::getSpan3(int y, int x, int count, unsigned int* out) const
{
    const int channel = m_channel;
    if (!m_input || !isColorChannel(channel)) {
        std::fill(out, out + count, 0u);
        return;
    }
    m_input->getSpan(y, x, count, out);
    coloursFromChannel(channel, out, count);
}

int NodeConvert1Dto3D::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("in"))
        getGeneratorInterface(&m_input, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeConvert1Dto3D::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("in"))
        m_input = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeConvert1Dto3D::resolveInputs()
{
    m_input = linkedGenerator1D(m_inTerminal);
}

} // namespace KelVyxNodes

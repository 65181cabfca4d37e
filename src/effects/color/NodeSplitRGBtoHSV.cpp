#include "effects/color/NodeSplitRGBtoHSV.h"

#include "effects/Base3DGenerator.h"
#include "effects/ClassicColor.h"
#include "effects/color/HueByte.h"
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

namespace {

// Hue byte, saturation and value, from one conversion of each colour.
void hsvChannels(unsigned int const* colours, int count, unsigned int* const* channels)
{
    for (int i = 0; i < count; ++i) {
        int h = 0, s = 0, v = 0;
        ClassicColor::hsvOfRgb(colours[i], h, s, v);
        channels[0][i] = static_cast<unsigned int>(hueToByte(h));
        channels[1][i] = static_cast<unsigned int>(s);
        channels[2][i] = static_cast<unsigned int>(v);
    }
}

} // namespace

NodeSplitRGBtoHSV::NodeSplitRGBtoHSV(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
    , m_spans(&hsvChannels)
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
    channelSpan(2, y, x, count, out);
}

int NodeSplitRGBtoHSV::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    m_spans.startRender();
    return 0;
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

#include "effects/color/NodeSplitHSY.h"

#include "effects/Base3DGenerator.h"
#include "effects/GeneratorLookup.h"
#include "effects/VyxTerminal.h"
#include "effects/color/HSYColor.h"
#include "effects/color/HueByte.h"
#include "effects/color/NodeSplitHSYTerminal1D.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

// The type id says HSV: stored graphs name the node by it.
KelNodes::NodeDescriptor NodeSplitHSY::m_descriptor{
    QStringLiteral("operator.splitHSV"), QUuid(QStringLiteral("47261635-6bb2-4cc1-a8d6-596826e73ff6")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Split HSY")), QString(), &NodeSplitHSY::create};

namespace {

// Hue byte, saturation and luma, from one conversion of each colour.
void hsyChannels(unsigned int const* colours, int count, unsigned int* const* channels)
{
    for (int i = 0; i < count; ++i) {
        unsigned short hue = 0;
        unsigned char saturation = 0, luma = 0;
        HSYColor::splitBytes(colours[i], hue, saturation, luma);
        channels[0][i] = static_cast<unsigned int>(hueToByte(hue));
        channels[1][i] = saturation;
        channels[2][i] = luma;
    }
}

} // namespace

NodeSplitHSY::NodeSplitHSY(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
    , m_spans(&hsyChannels)
{
    m_rgbTerminal = addTerminal(QStringLiteral("rgb"), 4u, 0u);
    m_container.paramLists().append(KelUtils::ParameterList{"basic", true, {}});
    const char* const channels[] = {"h", "s", "y"};
    for (int index = 0; index < 3; ++index) {
        addTerminal(new NodeSplitHSYTerminal1D(this, QString::fromLatin1(channels[index]), 0u, 3u,
                                               KelUtils::HelpItem(), index));
    }
    *m_container.helpItem() = KelUtils::HelpItem(
        QCoreApplication::translate("QObject", QT_TRANSLATE_NOOP("QObject", "Split HSY")),
        QCoreApplication::translate("QObject",
                                    "The node splits 3D input (RGB) into three 1D outputs (H,S,Y)."));
}

NodeSplitHSY::~NodeSplitHSY() = default;

unsigned int NodeSplitHSY::getSample(QPoint const& point) const
{
    if (!m_colourInput)
        return 0u;
    const unsigned int c = m_colourInput->getSample3(point);
    return std::max({(c >> 16) & 0xFFu, (c >> 8) & 0xFFu, c & 0xFFu});
}

void NodeSplitHSY::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_colourInput) {
        std::fill(out, out + count, 0u);
        return;
    }
    m_colourInput->getSpan3(y, x, count, out);
    for (int i = 0; i < count; ++i)
        out[i] = std::max({(out[i] >> 16) & 0xFFu, (out[i] >> 8) & 0xFFu, out[i] & 0xFFu});
}

int NodeSplitHSY::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    m_spans.startRender();
    return 0;
}

int NodeSplitHSY::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        getGeneratorInterface(&m_colourInput, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeSplitHSY::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        m_colourInput = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeSplitHSY::resolveInputs()
{
    m_colourInput = linkedGenerator3D(m_rgbTerminal);
}

} // namespace KelVyxNodes

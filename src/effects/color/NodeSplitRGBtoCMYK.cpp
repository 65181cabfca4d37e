#include "effects/color/NodeSplitRGBtoCMYK.h"

#include "effects/Base3DGenerator.h"
#include "effects/GeneratorLookup.h"
#include "effects/VyxTerminal.h"
#include "effects/color/NodeSplitRGBtoCMYKTerminal1D.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeSplitRGBtoCMYK::m_descriptor{
    QStringLiteral("operator.splitRGBtoCMYK"),
    QUuid(QStringLiteral("1f13f82c-92c1-4ede-9082-1295b52a09f1")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Split RGB to CMYK")), QString(),
    &NodeSplitRGBtoCMYK::create};

NodeSplitRGBtoCMYK::NodeSplitRGBtoCMYK(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_rgbTerminal = addTerminal(QStringLiteral("rgb"), 4u, 0u);
    const char* const channels[] = {"c", "m", "y", "k"};
    for (int index = 0; index < 4; ++index) {
        addTerminal(new NodeSplitRGBtoCMYKTerminal1D(this, QString::fromLatin1(channels[index]),
                                                     0u, 3u, KelUtils::HelpItem(), index));
    }

    m_container.paramLists().append(KelUtils::ParameterList{QStringLiteral("basic"), true, {}});
    *m_container.helpItem() = KelUtils::HelpItem(
        QCoreApplication::translate("QObject", QT_TRANSLATE_NOOP("QObject", "Split RGB to CMYK")),
        QCoreApplication::translate("QObject",
                                    "The node splits 3D input (RGB) into four 1D outputs (C,M,Y,K)."));
}

NodeSplitRGBtoCMYK::~NodeSplitRGBtoCMYK() = default;

unsigned int NodeSplitRGBtoCMYK::getSample(QPoint const& point) const
{
    if (!m_colourInput)
        return 0u;
    return (m_colourInput->getSample3(point) >> 16) & 0xFFu;
}

void NodeSplitRGBtoCMYK::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_colourInput) {
        std::fill(out, out + count, 0u);
        return;
    }
    m_colourInput->getSpan3(y, x, count, out);
    for (int i = 0; i < count; ++i)
        out[i] = (out[i] >> 16) & 0xFFu;
}

int NodeSplitRGBtoCMYK::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        getGeneratorInterface(&m_colourInput, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeSplitRGBtoCMYK::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        m_colourInput = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeSplitRGBtoCMYK::resolveInputs()
{
    m_colourInput = linkedGenerator3D(m_rgbTerminal);
}

} // namespace KelVyxNodes

#include "effects/NodeSplit.h"

#include "effects/Base3DGenerator.h"
#include "effects/GeneratorLookup.h"
#include "effects/NodeSplitTerminal1D.h"
#include "effects/VyxTerminal.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeSplit::m_descriptor{
    QStringLiteral("operator.split"), QUuid(QStringLiteral("01b8e9be-d98c-4800-a85b-c263dc5d0914")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Split")), QString(), &NodeSplit::create};

NodeSplit::NodeSplit(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_rgbTerminal = addTerminal(QStringLiteral("rgb"), 4u, 0u);
    const char* const channels[] = {"r", "g", "b"};
    for (int index = 0; index < 3; ++index) {
        addTerminal(new NodeSplitTerminal1D(this, QString::fromLatin1(channels[index]), 0u, 3u,
                                            KelUtils::HelpItem(), index));
    }

    *m_container.helpItem() = KelUtils::HelpItem(
        QCoreApplication::translate("QObject", QT_TRANSLATE_NOOP("QObject", "Split")),
        QCoreApplication::translate("QObject", "The node splits 3D input into three 1D outputs."));
}

NodeSplit::~NodeSplit() = default;

unsigned int NodeSplit::getSample(QPoint const& point) const
{
    if (!m_colourInput)
        return 0u;
    return (m_colourInput->getSample3(point) >> 16) & 0xFFu;
}

int NodeSplit::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        getGeneratorInterface(&m_colourInput, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeSplit::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        m_colourInput = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeSplit::resolveInputs()
{
    m_colourInput = linkedGenerator3D(m_rgbTerminal);
}

void NodeSplit::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_colourInput) {
        std::fill(out, out + count, 0u);
        return;
    }
    m_colourInput->getSpan3(y, x, count, out);
    for (int i = 0; i < count; ++i)
        out[i] = (out[i] >> 16) & 0xFFu;
}

} // namespace KelVyxNodes

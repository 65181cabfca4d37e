#include "effects/color/NodeJoinHSY.h"

#include "effects/Base1DGenerator.h"
#include "effects/GeneratorLookup.h"
#include "effects/VyxTerminal.h"
#include "effects/color/HSYColor.h"
#include "effects/color/HueByte.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeJoinHSY::m_descriptor{
    QStringLiteral("operator.joinHSYtoRGB"), QUuid(QStringLiteral("e642e7d2-0185-4c06-b29f-bac0d7e9852e")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Join HSY")), QString(), &NodeJoinHSY::create};

namespace {

char const* const inputNames[] = {"h", "s", "y"};

} // namespace

NodeJoinHSY::NodeJoinHSY(int id)
    : Base3DGeneratorNode(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    for (int i = 0; i < InputCount; ++i)
        m_terminal[i] = addTerminal(QString::fromLatin1(inputNames[i]), 2u, 0u);
    addTerminal(QStringLiteral("rgb"), 0u, 4u);

    m_container.paramLists().append(KelUtils::ParameterList{"basic", true, {}});
    *m_container.helpItem() = KelUtils::HelpItem(
        QCoreApplication::translate("QObject", QT_TRANSLATE_NOOP("QObject", "Join HSY")),
        QCoreApplication::translate("QObject",
                                    "The node combines up to three 1D inputs (H,S,Y) to 3D output (RGB color)"));
}

NodeJoinHSY::~NodeJoinHSY() = default;

KelNodes::Node* NodeJoinHSY::create(int uid)
{
    return new NodeJoinHSY(uid);
}

unsigned int NodeJoinHSY::getSample3(QPoint const& point) const
{
    const int degrees = m_input[Hue] ? byteToHue(int(m_input[Hue]->getSample(point) & 0xFFu)) : 0;
    const unsigned int s = m_input[Saturation] ? m_input[Saturation]->getSample(point) & 0xFFu : 0u;
    const unsigned int y = m_input[Luma] ? m_input[Luma]->getSample(point) & 0xFFu : 0u;
    return HSYColor::fromHSYint(static_cast<unsigned short>(degrees), static_cast<unsigned char>(s),
                                static_cast<unsigned char>(y))
           & 0xFFFFFFu;
}

int NodeJoinHSY::inputIndex(QString const& terminalName)
{
    for (int i = 0; i < InputCount; ++i) {
        if (terminalName == QLatin1String(inputNames[i]))
            return i;
    }
    return -1;
}

int NodeJoinHSY::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int input = inputIndex(own->name());
    if (input >= 0)
        getGeneratorInterface(&m_input[input], peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeJoinHSY::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int input = inputIndex(own->name());
    if (input >= 0)
        m_input[input] = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeJoinHSY::resolveInputs()
{
    for (int i = 0; i < InputCount; ++i)
        m_input[i] = linkedGenerator1D(m_terminal[i]);
}

} // namespace KelVyxNodes

#include "effects/color/NodeJoinCMYKtoRGB.h"

#include "effects/Base1DGenerator.h"
#include "effects/ClassicColor.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeJoinCMYKtoRGB::m_descriptor{
    QStringLiteral("operator.joinCMYKtoRGB"),
    QUuid(QStringLiteral("eb98f359-9b00-4f32-a3f1-bbbfd9bdd9db")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Join CMYK to RGB")), QString(),
    &NodeJoinCMYKtoRGB::create};

namespace {

char const* const inputNames[] = {"c", "m", "y", "k"};

} // namespace

NodeJoinCMYKtoRGB::NodeJoinCMYKtoRGB(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
    , m_inputs(inputNames, InputCount)
{
    m_inputs.addTerminals(this);
    addTerminal(QStringLiteral("rgb"), 0u, 4u);

    m_container.paramLists().append(KelUtils::ParameterList{QStringLiteral("basic"), true, {}});
    *m_container.helpItem() = KelUtils::HelpItem(
        QCoreApplication::translate("QObject", QT_TRANSLATE_NOOP("QObject", "Join CMYK to RGB")),
        QCoreApplication::translate(
            "QObject", "The node combines up to four 1D inputs (C,M,Y,K) to 3D output (RGB color)"));
}

NodeJoinCMYKtoRGB::~NodeJoinCMYKtoRGB() = default;

unsigned int NodeJoinCMYKtoRGB::getSample3(QPoint const& point) const
{
    int bytes[InputCount];
    for (int i = 0; i < InputCount; ++i)
        bytes[i] = m_inputs[i] ? static_cast<int>(m_inputs[i]->getSample(point) & 0xFFu) : 0;
    // Alpha 0: the packed colour has a zero top byte.
    return ClassicColor::fromCmyk(bytes[Cyan], bytes[Magenta], bytes[Yellow], bytes[Black], 0).rgba();
}

int NodeJoinCMYKtoRGB::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    m_inputs.connect(own, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeJoinCMYKtoRGB::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    m_inputs.disconnect(own);
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeJoinCMYKtoRGB::resolveInputs()
{
    m_inputs.resolve();
}

} // namespace KelVyxNodes

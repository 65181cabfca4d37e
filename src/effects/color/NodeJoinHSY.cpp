#include "effects/color/NodeJoinHSY.h"

#include "effects/Base1DGenerator.h"
#include "effects/SpanBuffer.h"
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

char const* const hsyInputNames[] = {"h", "s", "y"};

} // namespace

NodeJoinHSY::NodeJoinHSY(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
    , m_inputs(hsyInputNames, InputCount)
{
    m_inputs.addTerminals(this);
    addTerminal(QStringLiteral("rgb"), 0u, 4u);

    m_container.paramLists().append(KelUtils::ParameterList{"basic", true, {}});
    *m_container.helpItem() = KelUtils::HelpItem(
        QCoreApplication::translate("QObject", QT_TRANSLATE_NOOP("QObject", "Join HSY")),
        QCoreApplication::translate("QObject",
                                    "The node combines up to three 1D inputs (H,S,Y) to 3D output (RGB color)"));
}

NodeJoinHSY::~NodeJoinHSY() = default;

unsigned int NodeJoinHSY::getSample3(QPoint const& point) const
{
    const int degrees = m_inputs[Hue] ? byteToHue(int(m_inputs[Hue]->getSample(point) & 0xFFu)) : 0;
    const unsigned int s = m_inputs[Saturation] ? m_inputs[Saturation]->getSample(point) & 0xFFu : 0u;
    const unsigned int y = m_inputs[Luma] ? m_inputs[Luma]->getSample(point) & 0xFFu : 0u;
    return HSYColor::fromHSYint(static_cast<unsigned short>(degrees), static_cast<unsigned char>(s),
                                static_cast<unsigned char>(y))
           & 0xFFFFFFu;
}

void NodeJoinHSY::getSpan3(int y, int x, int count, unsigned int* out) const
{
    SpanBuffer saturation(count);
    SpanBuffer luma(count);
    m_inputs.spanBytes(Hue, y, x, count, out);
    m_inputs.spanBytes(Saturation, y, x, count, saturation.data());
    m_inputs.spanBytes(Luma, y, x, count, luma.data());
    for (int i = 0; i < count; ++i) {
        const int degrees = byteToHue(int(out[i]));
        out[i] = HSYColor::fromHSYint(static_cast<unsigned short>(degrees), static_cast<unsigned char>(saturation[i]),
                                      static_cast<unsigned char>(luma[i]))
                 & 0xFFFFFFu;
    }
}

int NodeJoinHSY::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    m_inputs.connect(own, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeJoinHSY::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    m_inputs.disconnect(own);
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeJoinHSY::resolveInputs()
{
    m_inputs.resolve();
}

} // namespace KelVyxNodes

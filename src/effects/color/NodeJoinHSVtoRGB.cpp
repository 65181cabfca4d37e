#include "effects/color/NodeJoinHSVtoRGB.h"

#include "effects/Base1DGenerator.h"
#include "effects/ClassicColor.h"
#include "effects/SpanBuffer.h"
#include "effects/color/HueByte.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeJoinHSVtoRGB::m_descriptor{
    QStringLiteral("operator.joinHSVtoRGB"),
    QUuid(QStringLiteral("283b1005-6df0-45eb-ba94-b31a525a3efc")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Join HSV to RGB")), QString(),
    &NodeJoinHSVtoRGB::create};

namespace {

char const* const hsvInputNames[] = {"h", "s", "v"};

} // namespace

NodeJoinHSVtoRGB::NodeJoinHSVtoRGB(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
    , m_inputs(hsvInputNames, InputCount)
{
    m_inputs.addTerminals(this);
    addTerminal(QStringLiteral("rgb"), 0u, 4u);

    m_container.paramLists().append(KelUtils::ParameterList{QStringLiteral("basic"), true, {}});
    *m_container.helpItem() = KelUtils::HelpItem(
        QCoreApplication::translate("QObject", QT_TRANSLATE_NOOP("QObject", "Join HSV to RGB")),
        QCoreApplication::translate(
            "QObject", "The node combines up to three 1D inputs (H,S,V) to 3D output (RGB color)"));
}

NodeJoinHSVtoRGB::~NodeJoinHSVtoRGB() = default;

unsigned int NodeJoinHSVtoRGB::getSample3(QPoint const& point) const
{
    auto byteOf = [&](Input input) {
        return m_inputs[input] ? static_cast<int>(m_inputs[input]->getSample(point) & 0xFFu) : 0;
    };
    const int hue = byteToHue(byteOf(Hue));
    // Alpha 0: the packed colour has a zero top byte.
    return ClassicColor::fromHsv(hue, byteOf(Saturation), byteOf(Value), 0).rgba();
}

void NodeJoinHSVtoRGB::getSpan3(int y, int x, int count, unsigned int* out) const
{
    SpanBuffer saturation(count);
    SpanBuffer value(count);
    m_inputs.spanBytes(Hue, y, x, count, out);
    m_inputs.spanBytes(Saturation, y, x, count, saturation.data());
    m_inputs.spanBytes(Value, y, x, count, value.data());
    // rgbOfHsv gives the bytes fromHsv(h, s, v, 0).rgba() gives.
    for (int i = 0; i < count; ++i) {
        const int hue = byteToHue(int(out[i])); // an unlinked hue reads 0, which is 0 degrees
        out[i] = ClassicColor::rgbOfHsv(hue, int(saturation[i]), int(value[i]));
    }
}

int NodeJoinHSVtoRGB::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    m_inputs.connect(own, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeJoinHSVtoRGB::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    m_inputs.disconnect(own);
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeJoinHSVtoRGB::resolveInputs()
{
    m_inputs.resolve();
}

} // namespace KelVyxNodes

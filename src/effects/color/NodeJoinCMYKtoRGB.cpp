#include "effects/color/NodeJoinCMYKtoRGB.h"

#include "effects/Base1DGenerator.h"
#include "effects/BytePairTable.h"
#include "effects/ClassicColor.h"
#include "effects/SpanBuffer.h"
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

char const* const cmykInputNames[] = {"c", "m", "y", "k"};

// Each RGB byte of fromCmyk(c, m, y, k, 0).rgba() depends on its own CMY byte and on k alone:
// the byte of every pair (k, c), made by that very conversion.
unsigned int rgbOfCmyk(unsigned int c, unsigned int m, unsigned int y, unsigned int k)
{
    static const BytePairTable bytes([](int black, int cyan) {
        return ClassicColor::fromCmyk(cyan, 0, 0, black, 0).rgba() >> 16;
    });
    return bytes(k, c) << 16 | bytes(k, m) << 8 | bytes(k, y);
}

} // namespace

NodeJoinCMYKtoRGB::NodeJoinCMYKtoRGB(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
    , m_inputs(cmykInputNames, InputCount)
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
    return rgbOfCmyk(unsigned(bytes[Cyan]), unsigned(bytes[Magenta]), unsigned(bytes[Yellow]), unsigned(bytes[Black]));
}

void NodeJoinCMYKtoRGB::getSpan3(int y, int x, int count, unsigned int* out) const
{
    SpanBuffer bytes[InputCount] = {SpanBuffer(count), SpanBuffer(count), SpanBuffer(count), SpanBuffer(count)};
    for (int input = 0; input < InputCount; ++input)
        m_inputs.spanBytes(input, y, x, count, bytes[input].data());
    for (int i = 0; i < count; ++i)
        out[i] = rgbOfCmyk(bytes[Cyan][i], bytes[Magenta][i], bytes[Yellow][i], bytes[Black][i]);
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

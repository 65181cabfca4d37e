#include "effects/color/NodeHSV.h"

#include "effects/ClassicColor.h"
#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/VyxTerminal.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeHSV::m_descriptor{
    QStringLiteral("operator.hsv"), QUuid(QStringLiteral("0439d18f-779c-4657-9434-6fc51db08b8d")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "HSV")), QString(), &NodeHSV::create};

NodeHSV::NodeHSV(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_rgbTerminal = addTerminal(QStringLiteral("rgb"), 4u, 0u);
    m_alphaTerminal = addTerminal(QStringLiteral("alpha"), 2u, 0u);
    addTerminal(QStringLiteral("out rgb"), 0u, 5u);
    addTerminal(QStringLiteral("out alpha"), 0u, 3u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new NumGroupParameter<int>("Hue", tr("Hue:"), c, &m_hue, 1, -359, 359, 0, true, 5),
        new NumGroupParameter<int>("Saturation", tr("Saturation:"), c, &m_saturation, 1, -255, 255, 0, true, 5),
        new NumGroupParameter<int>("Value", tr("Value:"), c, &m_value, 1, -255, 255, 0, true, 5),
        new NumGroupParameter<int>("Alpha", tr("Alpha:"), c, &m_alpha, 1, -255, 255, 255, true, 5),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "HSV")),
                              tr("The node adjusts image colors in terms of HSV color space."));
}

NodeHSV::~NodeHSV() = default;

unsigned int NodeHSV::getSample(QPoint const& point) const
{
    if (!m_alphaInput)
        return 128u;
    const int a = static_cast<int>(m_alphaInput->getSample(point) & 0xFFu);
    return static_cast<unsigned int>(std::clamp(a + m_alpha, 0, 255));
}

unsigned int NodeHSV::getSample3(QPoint const& point) const
{
    if (!m_colourInput)
        return 0x808080u;
    return shifted(m_colourInput->getSample3(point));
}

unsigned int NodeHSV::shifted(unsigned int rgb) const
{
    // One conversion serves all three components.
    int hue = 0, saturation = 0, value = 0;
    ClassicColor::hsvOfRgb(rgb, hue, saturation, value);
    // A grey reports hue -1 and is offset like any other hue; the hue is held, not wrapped,
    // as stored effects expect.
    const int h = std::clamp(hue + m_hue, 0, 359);
    const int s = std::clamp(saturation + m_saturation, 0, 255);
    const int v = std::clamp(value + m_value, 0, 255);
    return ClassicColor::rgbOfHsv(h, s, v);
}

void NodeHSV::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_alphaInput) {
        std::fill(out, out + count, 128u);
        return;
    }
    m_alphaInput->getSpan(y, x, count, out);
    for (int i = 0; i < count; ++i)
        out[i] = static_cast<unsigned int>(std::clamp(static_cast<int>(out[i] & 0xFFu) + m_alpha, 0, 255));
}

void NodeHSV::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_colourInput) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    m_colourInput->getSpan3(y, x, count, out);
    for (int i = 0; i < count; ++i)
        out[i] = shifted(out[i]);
}

int NodeHSV::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        getGeneratorInterface(&m_colourInput, peer);
    else if (own->name() == QLatin1String("alpha"))
        getGeneratorInterface(&m_alphaInput, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeHSV::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        m_colourInput = nullptr;
    else if (own->name() == QLatin1String("alpha"))
        m_alphaInput = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeHSV::resolveInputs()
{
    m_colourInput = linkedGenerator3D(m_rgbTerminal);
    m_alphaInput = linkedGenerator1D(m_alphaTerminal);
}

} // namespace KelVyxNodes

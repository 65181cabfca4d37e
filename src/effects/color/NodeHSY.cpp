#include "effects/color/NodeHSY.h"

#include "effects/NodeText.h"
#include "effects/NodeValueUtils.h"
#include "effects/color/HSYColor.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeHSY::m_descriptor{
    QStringLiteral("operator.hsy"), QUuid(QStringLiteral("4fec0da3-06f4-428f-96ca-60c0dc9620eb")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "HSY")), QString(), &NodeHSY::create};

namespace {

// Held to 0..1 upper bound first, so a NaN ends at 0.
double unitClamp(double x)
{
    x = 1.0 < x ? 1.0 : x;
    return x > 0.0 ? x : 0.0;
}

} // namespace

NodeHSY::NodeHSY(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_inputs.addTerminals(this);
    addTerminal(QStringLiteral("out rgb"), 0u, 4u);
    addTerminal(QStringLiteral("out alpha"), 0u, 2u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new NumGroupParameter<int>("Hue", tr("Hue:"), c, &m_hueShift, 1, -360, 360, 0, true, 5),
        new NumGroupParameter<float>("Saturation", tr("Saturation:"), c, &m_saturationShift, 1, -1.0f, 1.0f, 0.0f, true, 5),
        new NumGroupParameter<float>("Brightness", tr("Brightness:"), c, &m_brightnessShift, 1, -1.0f, 1.0f, 0.0f, true, 5),
        new NumGroupParameter<int>("Alpha", tr("Alpha:"), c, &m_alphaOffset, 1, -255, 255, 255, true, 5),
    }});
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "HSY")),
        tr("Allows to adjust colors in image in HSY color model. Each value of settings will be "
           "added to corresponding value of channel in HSY color model"));
}

NodeHSY::~NodeHSY() = default;

unsigned int NodeHSY::getSample3(QPoint const& point) const
{
    if (!m_inputs.colour())
        return 0x808080u;
    return adjusted(m_inputs.colour()->getSample3(point), shifts());
}

NodeHSY::Shifts NodeHSY::shifts() const
{
    const int hueShift = std::clamp(m_hueShift, -360, 360);
    const double hue = transformToRealOne(hueShift < 0 ? -hueShift : hueShift, 0, 360) * (hueShift < 0 ? -1.0 : 1.0);
    return Shifts{hue, double(m_saturationShift), double(m_brightnessShift)};
}

unsigned int NodeHSY::adjusted(unsigned int rgb, Shifts const& shifts)
{
    const HSYColor hsy(rgb);
    const double h = unitClamp(hsy.hueF() + shifts.hue);
    const double s = unitClamp(shifts.saturation + hsy.saturationF());
    const double y = unitClamp(shifts.brightness + hsy.brightnessF());
    return HSYColor::fromHSYNormalizedToOne(h, s, y) & 0xFFFFFFu;
}

unsigned int NodeHSY::getSample(QPoint const& point) const
{
    if (!m_inputs.alpha())
        return 128u;
    const int v = int(m_inputs.alpha()->getSample(point) & 0xFFu) + std::clamp(m_alphaOffset, -255, 255);
    return static_cast<unsigned int>(std::clamp(v, 0, 255));
}

int NodeHSY::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    m_inputs.connect(own, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeHSY::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    m_inputs.disconnect(own);
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeHSY::resolveInputs()
{
    m_inputs.resolve();
}

void NodeHSY::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_inputs.alpha()) {
        std::fill(out, out + count, 128u);
        return;
    }
    m_inputs.alpha()->getSpan(y, x, count, out);
    const int offset = std::clamp(m_alphaOffset, -255, 255);
    for (int i = 0; i < count; ++i)
        out[i] = static_cast<unsigned int>(std::clamp(int(out[i] & 0xFFu) + offset, 0, 255));
}

void NodeHSY::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_inputs.colour()) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    m_inputs.colour()->getSpan3(y, x, count, out);
    const Shifts sums = shifts();
    for (int i = 0; i < count; ++i)
        out[i] = adjusted(out[i], sums);
}

} // namespace KelVyxNodes

#include "effects/color/NodeBrightnessContrast.h"

#include "effects/ClassicColor.h"
#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/NodeValueUtils.h"
#include "effects/SpanBuffer.h"
#include "effects/VyxTerminal.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

// The "/" cannot be part of an XML element name: the section writer spells it "_".
KelNodes::NodeDescriptor NodeBrightnessContrast::m_descriptor{
    QStringLiteral("operator.brightness/contrast"),
    QUuid(QStringLiteral("5a4a7be6-7a00-4364-8786-26e2bb3b1102")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Brightness/contrast")), QString(),
    &NodeBrightnessContrast::create};

int contrastChannel(int c, double k)
{
    double v = (k * k * (c / 255.0 - 0.5) + 0.5) * 255.0;
    v = std::min(255.0, v);
    if (!(v > 0.0))
        return 0;
    return static_cast<int>(v);
}

unsigned int contrast(unsigned int rgb, double kRed, double kGreen, double kBlue)
{
    const int r = contrastChannel(static_cast<int>((rgb >> 16) & 0xFFu), kRed);
    const int g = contrastChannel(static_cast<int>((rgb >> 8) & 0xFFu), kGreen);
    const int b = contrastChannel(static_cast<int>(rgb & 0xFFu), kBlue);
    return (rgb & 0xFF000000u) | (unsigned(r) << 16) | (unsigned(g) << 8) | unsigned(b);
}

unsigned int brightness(unsigned int rgb, double factor)
{
    return ClassicColor::rgbWithValueScaled(rgb, factor);
}

NodeBrightnessContrast::NodeBrightnessContrast(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_inTerminal = addTerminal(QStringLiteral("in"), 4u, 0u);
    m_contrastTerminal = addTerminal(QStringLiteral("contrast"), 4u, 0u);
    m_brightnessTerminal = addTerminal(QStringLiteral("brightness"), 4u, 0u);
    addTerminal(QStringLiteral("rgb"), 0u, 5u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        m_contrastParam = new NumGroupParameter<int>("Contrast Factor", tr("Contrast:"), c, &m_contrast, 1, -100, 100, 0, true, 5),
        m_brightnessParam = new NumGroupParameter<int>("Brightness Factor", tr("Brightness:"), c, &m_brightness, 1, -100, 100, 0, true, 5),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Brightness/contrast")),
                              tr("Adjusts brightness and contrast of the image."));
}

NodeBrightnessContrast::~NodeBrightnessContrast() = default;

unsigned int NodeBrightnessContrast::getSample3(QPoint const& point) const
{
    if (!m_input)
        return 0x808080u;
    const unsigned int source = m_input->getSample3(point);

    const double k = (m_contrast + 100.0) / 100.0;
    const unsigned int contrasted = m_contrastSource ? contrastBy(source, m_contrastSource->getSample3(point))
                                                     : contrast(source, k, k, k);
    const double factor = m_brightnessSource ? factorOf(m_brightnessSource->getSample3(point))
                                             : (m_brightness + 100.0) / 100.0;
    return brightness(contrasted, factor) & 0xFFFFFFu;
}

void NodeBrightnessContrast::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_input) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    m_input->getSpan3(y, x, count, out);
    if (m_contrastSource) {
        SpanBuffer k(count);
        m_contrastSource->getSpan3(y, x, count, k.data());
        m_contrastPairs.perChannelSpan(k.data(), out, count);
    } else {
        m_contrastTable.mapSpan(out, count);
    }
    if (m_brightnessSource) {
        SpanBuffer value(count);
        m_brightnessSource->getSpan3(y, x, count, value.data());
        ClassicColor::rgbWithValueScaledBy(value.data(), out, count);
    } else {
        ClassicColor::rgbWithValueScaled(m_valueScale, out, count);
    }
}

int NodeBrightnessContrast::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    const double k = (m_contrast + 100.0) / 100.0;
    m_valueScale = ClassicColor::ValueScale((m_brightness + 100.0) / 100.0);
    m_contrastTable.fill([k](int, int value) { return contrastChannel(value, k); });
    // A channel's contrast by a linked input depends on that channel's byte and the input's.
    if (m_contrastSource && m_contrastPairs.isEmpty()) {
        m_contrastPairs.fill([](unsigned int q, unsigned int c) {
            return contrastChannel(int(c), transformToRealOne(int(q), 0, 255) + 0.5);
        });
    }
    return 0;
}

unsigned int NodeBrightnessContrast::contrastBy(unsigned int rgb, unsigned int q)
{
    const double kRed = transformToRealOne(static_cast<int>((q >> 16) & 0xFFu), 0, 255) + 0.5;
    const double kGreen = transformToRealOne(static_cast<int>((q >> 8) & 0xFFu), 0, 255) + 0.5;
    const double kBlue = transformToRealOne(static_cast<int>(q & 0xFFu), 0, 255) + 0.5;
    return contrast(rgb, kRed, kGreen, kBlue);
}

double NodeBrightnessContrast::factorOf(unsigned int rgb)
{
    return ClassicColor(rgb).valueF();
}

int NodeBrightnessContrast::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const QString& name = own->name();
    if (name == QLatin1String("in")) {
        getGeneratorInterface(&m_input, peer);
    } else if (name == QLatin1String("contrast")) {
        getGeneratorInterface(&m_contrastSource, peer);
        m_contrastParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    } else if (name == QLatin1String("brightness")) {
        getGeneratorInterface(&m_brightnessSource, peer);
        m_brightnessParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    }
    return KelNodes::Node::onConnect(own, peer);
}

void NodeBrightnessContrast::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const QString& name = own->name();
    if (name == QLatin1String("in")) {
        m_input = nullptr;
    } else if (name == QLatin1String("contrast")) {
        m_contrastSource = nullptr;
        m_contrastParam->setDisplayFlagOne(Parameter::DisplayEnabled);
    } else if (name == QLatin1String("brightness")) {
        m_brightnessSource = nullptr;
        m_brightnessParam->setDisplayFlagOne(Parameter::DisplayEnabled);
    }
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeBrightnessContrast::resolveInputs()
{
    m_input = linkedGenerator3D(m_inTerminal);
    m_contrastSource = linkedGenerator3D(m_contrastTerminal);
    m_brightnessSource = linkedGenerator3D(m_brightnessTerminal);
}

} // namespace KelVyxNodes

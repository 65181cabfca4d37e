#include "effects/NodeGrayscale.h"

#include "effects/ByteClamp.h"
#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/VyxTerminal.h"
#include "params/GroupBoxParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>
#include <QUrl>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeGrayscale::m_descriptor{
    QStringLiteral("operator.grayscale"), QUuid(QStringLiteral("01c0434d-8c0d-427d-b561-d5fe5c2765d1")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Grayscale")), QString(), &NodeGrayscale::create};

namespace {

const ListItem conversionItems[] = {
    {NodeGrayscale::RgbAverage, QStringLiteral("RGB Average")},
    {NodeGrayscale::Luminance709, QStringLiteral("Luminance (Rec. 709)")},
    {NodeGrayscale::RedChannel, QStringLiteral("Red Channel")},
    {NodeGrayscale::GreenChannel, QStringLiteral("Green Channel")},
    {NodeGrayscale::BlueChannel, QStringLiteral("Blue Channel")},
    {NodeGrayscale::MaxComponent, QStringLiteral("Max Component (HSV)")},
    {NodeGrayscale::BlackWhiteNegative, QStringLiteral("B/W Negative")},
    {NodeGrayscale::Custom, QStringLiteral("Custom")},
};

// Single precision, in this order: red plus green, then blue, then the half; truncated.
float weightedGrey(int r, int g, int b, float wr, float wg, float wb)
{
    return static_cast<float>(r) * wr + static_cast<float>(g) * wg + static_cast<float>(b) * wb + 0.5f;
}

} // namespace

NodeGrayscale::NodeGrayscale(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_rgbTerminal = addTerminal(QStringLiteral("rgb"), 4u, 0u);
    addTerminal(QStringLiteral("out"), 0u, 3u);
    addTerminal(QStringLiteral("out3d"), 0u, 5u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        m_conversionParam = new ListParameter("conversion", tr("Conversion mode:"), c, &m_conversion, conversionItems, 8, RgbAverage, 5),
        m_weightParam[0] = new NumGroupParameter<float>("r", tr("R Weight:"), c, &m_weight[0], 1, -5.0f, 5.0f, 0.2126f, true, 5),
        m_weightParam[1] = new NumGroupParameter<float>("g", tr("G Weight:"), c, &m_weight[1], 1, -5.0f, 5.0f, 0.7152f, true, 5),
        m_weightParam[2] = new NumGroupParameter<float>("b", tr("B Weight:"), c, &m_weight[2], 1, -5.0f, 5.0f, 0.0722f, true, 5),
    }});
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Grayscale")),
        tr("The node calculates luminance (brightness) of input color and also inherently "
           "converts 3D input to 1D output."),
        {HelpLink(tr("YUV color space"), QUrl(QStringLiteral("https://en.wikipedia.org/wiki/YUV"))),
         HelpLink(tr("HSV color space"), QUrl(QStringLiteral("https://en.wikipedia.org/wiki/HSL_and_HSV")))});

    for (auto* weight : m_weightParam)
        weight->setDisplayFlagZero(Parameter::DisplayEnabled);
    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeGrayscale>, this});
    paramChanged(nullptr);
}

NodeGrayscale::~NodeGrayscale() = default;

unsigned int NodeGrayscale::grey(unsigned int c) const
{
    const int r = static_cast<int>((c >> 16) & 0xFFu);
    const int g = static_cast<int>((c >> 8) & 0xFFu);
    const int b = static_cast<int>(c & 0xFFu);
    int v;
    switch (m_conversion) {
    case RgbAverage:
        v = (r + g + b + 1) / 3;
        break;
    case Luminance709:
        // The weights add up to just below 1: white gives 255.
        v = static_cast<int>(weightedGrey(r, g, b, 0.2126f, 0.7152f, 0.0722f));
        break;
    case RedChannel:
        v = r;
        break;
    case GreenChannel:
        v = g;
        break;
    case BlueChannel:
        v = b;
        break;
    case MaxComponent:
        v = std::max({r, g, b});
        break;
    case BlackWhiteNegative:
        v = 255 - (r + g + b + 1) / 3;
        break;
    case Custom:
        v = byteClamp(weightedGrey(r, g, b, m_weight[0], m_weight[1], m_weight[2]));
        break;
    default:
        v = 0;
        break;
    }
    return static_cast<unsigned int>(v);
}

unsigned int NodeGrayscale::getSample(QPoint const& point) const
{
    if (!m_colourInput)
        return 128u;
    return grey(m_colourInput->getSample3(point));
}

int NodeGrayscale::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    // Each product rounds to single precision on its own, so sums of tabled products are the
    // sums the formula makes.
    const bool custom = m_conversion == Custom;
    const float w[3] = {custom ? m_weight[0] : 0.2126f, custom ? m_weight[1] : 0.7152f,
                        custom ? m_weight[2] : 0.0722f};
    for (int k = 0; k < 3; ++k) {
        for (int v = 0; v < 256; ++v)
            m_products[k][v] = static_cast<float>(v) * w[k];
    }
    return 0;
}

void NodeGrayscale::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_colourInput) {
        std::fill(out, out + count, 128u);
        return;
    }
    m_colourInput->getSpan3(y, x, count, out);
    if (m_conversion == Luminance709 || m_conversion == Custom) {
        const bool custom = m_conversion == Custom;
        for (int i = 0; i < count; ++i) {
            const unsigned int c = out[i];
            const float sum = m_products[0][(c >> 16) & 0xFFu] + m_products[1][(c >> 8) & 0xFFu]
                              + m_products[2][c & 0xFFu] + 0.5f;
            out[i] = custom ? unsigned(byteClamp(sum)) & 0xFFu : unsigned(static_cast<int>(sum)) & 0xFFu;
        }
        return;
    }
    for (int i = 0; i < count; ++i)
        out[i] = grey(out[i]);
}

void NodeGrayscale::getSpan3(int y, int x, int count, unsigned int* out) const
{
    getSpan(y, x, count, out);
    for (int i = 0; i < count; ++i)
        out[i] = (out[i] & 0xFFu) * 0x010101u;
}

unsigned int NodeGrayscale::getSample3(QPoint const& point) const
{
    return (getSample(point) & 0xFFu) * 0x010101u;
}

void NodeGrayscale::paramChanged(Parameter* changed)
{
    if (!changed || changed != m_conversionParam)
        return;
    for (auto* weight : m_weightParam) {
        if (m_conversion == Custom)
            weight->setDisplayFlagOne(Parameter::DisplayEnabled);
        else
            weight->setDisplayFlagZero(Parameter::DisplayEnabled);
    }
}

int NodeGrayscale::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        getGeneratorInterface(&m_colourInput, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeGrayscale::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        m_colourInput = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeGrayscale::resolveInputs()
{
    m_colourInput = linkedGenerator3D(m_rgbTerminal);
}

} // namespace KelVyxNodes

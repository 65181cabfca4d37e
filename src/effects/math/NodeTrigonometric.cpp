#include "effects/math/NodeTrigonometric.h"

#include "effects/NodeText.h"
#include "params/GroupBoxParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"
#include "params/StatusObserver.h"

#include <QCoreApplication>
#include <QPoint>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeTrigonometric::m_descriptor{
    QStringLiteral("operator.Maths.trigonometric"), QUuid(QStringLiteral("3ac3bfe4-4102-460e-842d-cd0de4ae1a66")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Trigonometric Curve")), QString(), &NodeTrigonometric::create};

namespace {

const ListItem functionItems[] = {
    {NodeTrigonometric::Sine, QStringLiteral("Sine")},
    {NodeTrigonometric::Cosine, QStringLiteral("Cosine")},
    {NodeTrigonometric::Tangent, QStringLiteral("Tangent")},
    {NodeTrigonometric::Cotangent, QStringLiteral("Cotangent")},
    {NodeTrigonometric::Secant, QStringLiteral("Secant")},
    {NodeTrigonometric::Cosecant, QStringLiteral("Cosecant")},
};

// -1..1 onto 0..255, in double.
unsigned char unitEntry(double value)
{
    return static_cast<unsigned char>(static_cast<int>((value + 1.0) * 127.5 + 0.5));
}

// -2..2 onto 0..255 in single precision, saturating outside.
unsigned char wideEntry(float value)
{
    if (value < -2.0f)
        return 0;
    if (value > 2.0f)
        return 255;
    return static_cast<unsigned char>(static_cast<int>((value + 2.0f) * 63.75f + 0.5f));
}

// Secant and cosecant move one unit toward zero, so that |1| lands in the middle.
float towardZero(float s)
{
    return s > 0.0f ? s - 1.0f : s + 1.0f;
}

} // namespace

NodeTrigonometric::NodeTrigonometric(int id)
    : NodeOf(id, QStringLiteral("in"), QStringLiteral("out"))
    , m_container(m_descriptor.typeId, QString(), this)
{
    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new ListParameter("function", tr("Curve Function:"), c, &m_function, functionItems, 6, Sine, 5),
        new NumGroupParameter<float>("frequency", tr("Frequency:"), c, &m_frequency, 1, 0.01f, 10.0f, 1.0f, true, 5),
        new NumGroupParameter<int>("applyRed", tr("Red Channel:"), c, &m_applyRed, 1, 0, 1, 1, false, 5),
        new NumGroupParameter<int>("applyGreen", tr("Green Channel:"), c, &m_applyGreen, 1, 0, 1, 1, false, 5),
        new NumGroupParameter<int>("applyBlue", tr("Blue Channel:"), c, &m_applyBlue, 1, 0, 1, 1, false, 5),
    }});
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Trigonometric Curve")),
        tr("The node transforms input colors with trigonometric functions like <b>RGB<sub>out</sub></b> = "
           "{ <b>sin(freq * R<sub>in</sub>)</b>, <b>sin(freq * G<sub>in</sub>)</b>, <b>sin(freq * "
           "B<sub>in</sub>)</b> }. The result image usually looks utterly psychedelic, especiallywhen "
           "<b>Frequency</b> is set to higher values."),
        {HelpLink(tr("Trigonometric functions"),
                  QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Trigonometric_functions")))});

    m_curve = buildCurve(m_function, m_frequency);
}

NodeTrigonometric::~NodeTrigonometric() = default;

NodeTrigonometric::Curve NodeTrigonometric::buildCurve(int function, float frequency)
{
    Curve curve{};
    // Single precision throughout, as the stored curves were made.
    const float step = (frequency * 6.2831855f) * 0.00390625f;
    for (int i = 0; i < 256; ++i) {
        const float angle = static_cast<float>(i) * step;
        const float shifted = angle + 0.0001f;
        switch (function) {
        case Sine:
            curve[i] = unitEntry(std::sin(static_cast<double>(angle)));
            break;
        case Cosine:
            curve[i] = unitEntry(std::cos(static_cast<double>(angle)));
            break;
        case Tangent:
            curve[i] = wideEntry(std::tan(shifted));
            break;
        case Cotangent:
            curve[i] = wideEntry(static_cast<float>(1.0 / std::tan(static_cast<double>(shifted))));
            break;
        case Secant:
            curve[i] = wideEntry(towardZero(static_cast<float>(1.0 / std::cos(static_cast<double>(shifted)))));
            break;
        case Cosecant:
            curve[i] = wideEntry(towardZero(static_cast<float>(1.0 / std::sin(static_cast<double>(shifted)))));
            break;
        default:
            curve[i] = static_cast<unsigned char>(i);
            break;
        }
    }
    return curve;
}

int NodeTrigonometric::onFilterStart(StatusObserver* observer)
{
    if (observer && observer->cancelationRequested())
        return -1;
    m_curve = buildCurve(m_function, m_frequency);
    return 0;
}

unsigned int NodeTrigonometric::getSample(QPoint const& point) const
{
    if (!m_upstream1D)
        return 128u;
    return m_curve[m_upstream1D->getSample(point) & 0xFFu];
}

unsigned int NodeTrigonometric::getSample3(QPoint const& point) const
{
    if (!m_upstream3D)
        return 0x808080u;
    return curveColour(m_upstream3D->getSample3(point));
}

void NodeTrigonometric::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_upstream1D) {
        std::fill(out, out + count, 128u);
        return;
    }
    m_upstream1D->getSpan(y, x, count, out);
    for (int i = 0; i < count; ++i)
        out[i] = m_curve[out[i] & 0xFFu];
}

void NodeTrigonometric::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_upstream3D) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    m_upstream3D->getSpan3(y, x, count, out);
    for (int i = 0; i < count; ++i)
        out[i] = curveColour(out[i]);
}

unsigned int NodeTrigonometric::curveColour(unsigned int c) const
{
    unsigned int red = (c >> 16) & 0xFFu;
    unsigned int green = (c >> 8) & 0xFFu;
    unsigned int blue = c & 0xFFu;
    if (m_applyBlue)
        blue = m_curve[blue];
    if (m_applyGreen)
        green = m_curve[green];
    if (m_applyRed)
        red = m_curve[red];
    return red << 16 | green << 8 | blue;
}

} // namespace KelVyxNodes

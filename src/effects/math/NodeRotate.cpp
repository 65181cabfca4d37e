#include "effects/math/NodeRotate.h"

#include "effects/NodeText.h"
#include "effects/SpanGather.h"

#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"
#include "params/Rounding.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdint>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeRotate::m_descriptor{
    QStringLiteral("operator.rotate"), QUuid(QStringLiteral("df0ed41c-9890-4b95-a5e1-0f35e19999ec")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Rotate")), QString(), &NodeRotate::create};

NodeRotate::NodeRotate(int id)
    : NodeOf(id, QStringLiteral("rgbIn"), "NodeRotate")
    , m_container(m_descriptor.typeId, QString(), this)
{
    addTerminal(QStringLiteral("rgbOut"), 0u, 5u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new NumGroupParameter<int>("x", tr("Rotation Point X:"), c, &m_pointX, 1, 0, 100, 50, true, 1),
        new NumGroupParameter<int>("y", tr("Rotation Point Y:"), c, &m_pointY, 1, 0, 100, 50, true, 1),
        new NumGroupParameter<int>("rotateAngle", tr("Rotate angle:"), c, &m_angle, 1, -180, 180, 0, true, 5),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Rotate")),
                              tr("The node rotates the image around the specified point."));
}

NodeRotate::~NodeRotate() = default;

int NodeRotate::pivot(int side, int percent)
{
    // The product in 64 bits (it overflows int for huge sides); the rest in single precision.
    const float product = static_cast<float>(std::int64_t(side - 1) * percent);
    return static_cast<int>(product * 0.01f + 0.5f);
}

int NodeRotate::reflect(long long coordinate, int side)
{
    if (side <= 1)
        return 0;
    // The closed form of "x >= W: 2W - 2 - x; x < 0: -x" repeated until inside: the pattern
    // has the period 2 (W - 1).
    const long long period = 2 * (static_cast<long long>(side) - 1);
    const long long m = (coordinate < 0 ? -coordinate : coordinate) % period;
    return static_cast<int>(m < side ? m : period - m);
}

void NodeRotate::onImageSize()
{
    const int cy = pivot(m_imageHeight, m_pointY);
    const int cx = pivot(m_imageWidth, m_pointX);
    QTransform rotation;
    rotation.rotate(-m_angle, Qt::ZAxis);
    m_transform = QTransform::fromTranslate(-cx, -cy) * rotation * QTransform::fromTranslate(cx, cy);
}

QPoint NodeRotate::sourcePoint(int x, int y) const
{
    qreal mx = 0.0;
    qreal my = 0.0;
    m_transform.map(qreal(x), qreal(y), &mx, &my);
    // Mapped points of an int point stay far inside 64 bits.
    const long long sx = static_cast<long long>(roundHalfUp(mx));
    const long long sy = static_cast<long long>(roundHalfUp(my));
    return QPoint(reflect(sx, m_imageWidth), reflect(sy, m_imageHeight));
}

unsigned int NodeRotate::getSample3(QPoint const& point) const
{
    if (!m_input || !hasImageSize())
        return 0x808080u;
    return m_input->getSample3(sourcePoint(point.x(), point.y()));
}

void NodeRotate::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_input || !hasImageSize()) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    SpanGather gather(*m_input, out);
    for (int i = 0; i < count; ++i)
        gather.add(i, sourcePoint(x + i, y));
    gather.finish();
}

} // namespace KelVyxNodes

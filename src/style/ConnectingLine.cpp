#include "style/ConnectingLine.h"

#include "style/KelStyleConfig.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

bool ConnectingLine::m_Antialiasing = true;

namespace {

// sin 30 degrees as the double the original arithmetic produced.
constexpr double SIN_30 = 0.49999999999999994;

double sanitizedLength(double length)
{
    return (std::isfinite(length) && length > 0.0) ? length : 0.0;
}

// Qt's arc angles: degrees, counter-clockwise as seen on screen (y grows downwards).
double screenAngle(QPointF centre, QPointF point)
{
    return std::atan2(centre.y() - point.y(), point.x() - centre.x()) * 180.0 / std::numbers::pi;
}

// The quarter arc of `centre` from the current point `from` to `to`, the short way round.
void quarterArc(QPainterPath& path, QPointF centre, QPointF from, QPointF to)
{
    const double r = std::hypot(from.x() - centre.x(), from.y() - centre.y());
    if (r <= 0.0) {
        path.lineTo(to);
        return;
    }
    const double start = screenAngle(centre, from);
    double sweep = screenAngle(centre, to) - start;
    if (sweep > 180.0)
        sweep -= 360.0;
    else if (sweep <= -180.0)
        sweep += 360.0;
    path.arcTo(QRectF(centre.x() - r, centre.y() - r, 2.0 * r, 2.0 * r), start, sweep);
}

} // namespace

QMetaType ConnectingLine::metaType()
{
    static const QMetaType type = QMetaType(qRegisterMetaType<ConnectingLine>("ConnectingLine"));
    return type;
}

ConnectingLine::ConnectingLine()
    : ConnectingLine(QPointF(0, 0), QPointF(0, 0), false, false)
{
}

ConnectingLine::ConnectingLine(QPointF begin, QPointF end, bool bump, bool straight)
    : m_begin(begin)
    , m_end(end)
    , m_bump(bump)
    , m_straight(straight)
{
    m_Antialiasing = KelStyleConfig::instance()->value<bool>(ID_TAG_ANTIALIASING);
}

void ConnectingLine::setBegin(QPointF begin)
{
    m_begin = begin;
    update();
}

void ConnectingLine::setEnd(QPointF end)
{
    m_end = end;
    update();
}

void ConnectingLine::setLinePosition(QPointF begin, QPointF end)
{
    m_begin = begin;
    m_end = end;
    update();
}

void ConnectingLine::setArcRadius(double radius)
{
    m_arcRadius = sanitizedLength(radius);
    update();
}

void ConnectingLine::setArrowLength(double length)
{
    m_arrowLength = sanitizedLength(length);
    update();
}

void ConnectingLine::setTopBottom(bool topBottom)
{
    m_topBottom = topBottom;
    update();
}

void ConnectingLine::setBumpHorizontalLine(bool bump)
{
    m_bump = bump;
    update();
}

void ConnectingLine::setPenLine(QPen const& pen)
{
    m_penLine = pen;
    update();
}

void ConnectingLine::setPenArrow(QPen const& pen)
{
    m_penArrow = pen;
    update();
}

void ConnectingLine::setAntialiasing(bool on)
{
    m_Antialiasing = on;
}

bool ConnectingLine::getAntialiasing()
{
    return m_Antialiasing;
}

void ConnectingLine::update()
{
    m_linePath = QPainterPath();
    m_arrowPath = QPainterPath();
    createLine(m_begin, m_end);
    createArrow(m_begin, m_end);
}

QPainterPath ConnectingLine::path() const
{
    QPainterPath result = m_linePath;
    if (!m_straight)
        result.addPath(m_arrowPath);
    return result;
}

void ConnectingLine::draw(QPainter& painter) const
{
    const bool wasAntialiased = painter.testRenderHint(QPainter::Antialiasing);
    const QPen pen = painter.pen();
    const QBrush brush = painter.brush();

    painter.setRenderHint(QPainter::Antialiasing, m_Antialiasing);
    // Both paths are open strokes; a brush left on the painter would fill the routed corners.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(m_penLine);
    painter.drawPath(m_linePath);
    if (!m_straight) {
        painter.setPen(m_penArrow);
        painter.drawPath(m_arrowPath);
    }

    painter.setPen(pen);
    painter.setBrush(brush);
    painter.setRenderHint(QPainter::Antialiasing, wasAntialiased);
}

double ConnectingLine::cornerRadius(double dx, double dy) const
{
    return std::min({m_arcRadius, dx / 2.0, dy / 2.0});
}

bool ConnectingLine::usesLevelRoute(double dx, double dy) const
{
    return m_topBottom && dy < m_arcRadius && m_arcRadius <= dx / 2.0;
}

double ConnectingLine::levelHeight(QPointF b, QPointF e) const
{
    return m_bump ? std::max(b.y(), e.y()) - m_arcRadius : std::min(b.y(), e.y()) + m_arcRadius;
}

void ConnectingLine::createLine(QPointF b, QPointF e)
{
    if (m_straight) {
        m_linePath.moveTo(b);
        m_linePath.lineTo(e);
        return;
    }
    const double dx = std::abs(b.x() - e.x());
    const double dy = std::abs(b.y() - e.y());
    if (m_topBottom) {
        if (usesLevelRoute(dx, dy))
            createTopBottomHorisontalLine(b, e);
        else
            createTopBottomLine(b, e, cornerRadius(dx, dy));
        return;
    }
    if (b.x() > e.x())
        std::swap(b, e);
    createLeftRightLine(b, e, cornerRadius(dx, dy));
}

void ConnectingLine::createLeftRightLine(QPointF b, QPointF e, double r)
{
    const QPointF l = b;
    const QPointF p = e;
    const double legX = p.x() - r;
    m_linePath.moveTo(l);
    m_linePath.lineTo(p.x() - 2.0 * r, l.y());
    // The vertical leg lies r left of the right point, which the wire reaches horizontally.
    const double s = p.y() > l.y() ? 1.0 : -1.0;
    quarterArc(m_linePath, QPointF(p.x() - 2.0 * r, l.y() + s * r), QPointF(p.x() - 2.0 * r, l.y()),
               QPointF(legX, l.y() + s * r));
    m_linePath.lineTo(legX, p.y() - s * r);
    quarterArc(m_linePath, QPointF(p.x(), p.y() - s * r), QPointF(legX, p.y() - s * r), p);
}

void ConnectingLine::createTopBottomLine(QPointF b, QPointF e, double r)
{
    const QPointF t = b.y() > e.y() ? e : b;
    const QPointF u = b.y() > e.y() ? b : e;
    const double m = (t.y() + u.y()) / 2.0;
    const double s = u.x() > t.x() ? 1.0 : -1.0;
    m_linePath.moveTo(t);
    m_linePath.lineTo(t.x(), m - r);
    quarterArc(m_linePath, QPointF(t.x() + s * r, m - r), QPointF(t.x(), m - r), QPointF(t.x() + s * r, m));
    m_linePath.lineTo(u.x() - s * r, m);
    quarterArc(m_linePath, QPointF(u.x() - s * r, m + r), QPointF(u.x() - s * r, m), QPointF(u.x(), m + r));
    m_linePath.lineTo(u);
}

void ConnectingLine::createTopBottomHorisontalLine(QPointF b, QPointF e)
{
    const QPointF l = b.x() > e.x() ? e : b;
    const QPointF p = b.x() > e.x() ? b : e;
    const double h = levelHeight(l, p);
    const double rl = std::abs(l.y() - h);
    const double rp = std::abs(p.y() - h);
    m_linePath.moveTo(l);
    quarterArc(m_linePath, QPointF(l.x() + rl, l.y()), l, QPointF(l.x() + rl, h));
    m_linePath.lineTo(p.x() - rp, h);
    quarterArc(m_linePath, QPointF(p.x() - rp, p.y()), QPointF(p.x() - rp, h), p);
}

void ConnectingLine::createArrow(QPointF const& b, QPointF const& e)
{
    const double dx = std::abs(b.x() - e.x());
    const double dy = std::abs(b.y() - e.y());
    const double r = cornerRadius(dx, dy);
    const double length = m_arrowLength;

    QPointF m = (b + e) / 2.0;
    if (!m_topBottom) {
        const QPointF right = e.x() > b.x() ? e : b;
        const QPointF left = e.x() > b.x() ? b : e;
        if (dy >= dx || 4.0 * r > dx)
            m.setX(right.x() - r);
        else
            m.setY(left.y());
    } else if (usesLevelRoute(dx, dy)) {
        m.setY(levelHeight(b, e));
    }

    const bool horizontal = length >= dy || (m_topBottom && dx > length)
        || (!m_topBottom && dx > dy && dx > 4.0 * r);
    const double a = length / 2.0;
    const double d = SIN_30 * length / 2.0;
    if (horizontal) {
        const double s = e.x() > b.x() ? 1.0 : -1.0;
        const QPointF tip(m.x() + s * d, m.y());
        m_arrowPath.moveTo(tip);
        m_arrowPath.lineTo(m.x() - s * d, m.y() + a);
        m_arrowPath.moveTo(tip);
        m_arrowPath.lineTo(m.x() - s * d, m.y() - a);
    } else {
        const double s = e.y() > b.y() ? 1.0 : -1.0;
        const QPointF tip(m.x(), m.y() + s * d);
        m_arrowPath.moveTo(tip);
        m_arrowPath.lineTo(m.x() - a, m.y() - s * d);
        m_arrowPath.moveTo(tip);
        m_arrowPath.lineTo(m.x() + a, m.y() - s * d);
    }
}

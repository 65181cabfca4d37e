#include "nodeui/KelTimelineWidget.h"

#include "nodeui/KelTimeline.h"
#include "nodeui/NodeEditHooks.h"
#include "params/IParameterContainer.h"
#include "style/KelStyleConfig.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kScaleLeft = 7.0;
// Beyond this many frames across the ruler the scale is not drawn: a width that small per
// frame shows nothing and would cost a long loop.
constexpr double kMaxVisibleFrames = 1.0e7;

KelStyleConfig const* widgetStyleStore()
{
    return KelStyleConfig::instance();
}

QColor widgetStyleColor(const char* key)
{
    return widgetStyleStore()->value<QColor>(QLatin1String(key));
}

QPen widgetStylePen(const char* key)
{
    return widgetStyleStore()->value<QPen>(QLatin1String(key));
}

QPixmap widgetStylePixmap(const char* key)
{
    return widgetStyleStore()->value<QPixmap>(QLatin1String(key));
}

int labelStep(double pixelsPerFrame)
{
    if (pixelsPerFrame < 0.04)
        return 10000;
    if (pixelsPerFrame < 0.1)
        return 1000;
    if (pixelsPerFrame < 0.4)
        return 500;
    if (pixelsPerFrame < 1.0)
        return 100;
    if (pixelsPerFrame < 2.4)
        return 50;
    return 10;
}

} // namespace

KelTimelineWidget::KelTimelineWidget(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
}

KelTimelineWidget::~KelTimelineWidget() = default;

void KelTimelineWidget::reset()
{
    m_moveBarOffset = 0.0;
    m_firstVisibleFrame = 0;
}

void KelTimelineWidget::setPercentVisible(double percent)
{
    m_percentVisible = percent;
    applyScaleRule();
}

void KelTimelineWidget::applyScaleRule()
{
    KelUtils::IParameterContainer* container = m_timeline ? m_timeline->selectedContainer() : nullptr;
    if (!container)
        return;
    const int usable = usableWidth();
    const int frames = container->numFrames();
    m_pixelsPerFrame = double(usable) / (frames + 1) * 100.0 / m_percentVisible;
    const double length = usable * m_percentVisible / 100.0;
    m_moveBarLength = std::isfinite(length) ? int(std::clamp(length, -1.0e9, 1.0e9)) : 0;
}

void KelTimelineWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // A scale worked out at another width (often while the panel was hidden, at its first
    // size) would leave the frames bunched at the left: the share shown stays, the frame width
    // and the bar follow the new width, and the bar stays on its track.
    applyScaleRule();
    m_moveBarOffset = std::clamp(m_moveBarOffset, 0.0, std::max(0.0, double(usableWidth() - m_moveBarLength)));
}

bool KelTimelineWidget::scaleIsUsable() const
{
    const double s = m_pixelsPerFrame;
    if (usableWidth() < 1 || !(m_percentVisible > 0.0) || !std::isfinite(s) || !(s > 0.0))
        return false;
    const double visible = (width() - 9) / s;
    return visible > 0.0 && visible <= kMaxVisibleFrames;
}

int KelTimelineWidget::barTopFor(int height) const
{
    return height - 2 - widgetStylePixmap("timelineMovebar").height();
}

void KelTimelineWidget::fillRectWithPixmap(QPainter* painter, QRect const& rect,
                                           QPixmap const* pixmap)
{
    if (!pixmap || pixmap->isNull() || pixmap->width() <= 0)
        return;
    const int pw = pixmap->width();
    int x = rect.left();
    while (x + pw - 1 < rect.right()) {
        painter->drawPixmap(x, rect.top(), *pixmap);
        x += pw;
    }
    const int rest = rect.right() - x + 1;
    if (rest > 0)
        painter->drawPixmap(QRect(x, rect.top(), rest, pixmap->height()), *pixmap);
}

void KelTimelineWidget::paintEvent(QPaintEvent*)
{
    const int w = width();
    const int h = height();
    m_usableWidth = w - 4;
    QPainter painter(this);
    painter.setFont(widgetStyleStore()->value<QFont>(QStringLiteral("KelTimeline.timelineFont")));
    painter.fillRect(rect(), widgetStyleColor("KelTimeline.fillColor"));

    painter.setPen(widgetStylePen("KelTimeline.borderPen"));
    painter.drawLine(0, 0, w, 0);
    painter.drawLine(0, 0, 0, h - 1);
    painter.drawLine(w - 1, 0, w - 1, h - 1);
    painter.drawLine(7, 15, w - 1, 15);
    painter.setPen(widgetStylePen("KelTimeline.borderPen2"));
    painter.drawLine(1, h - 1, w - 1, h - 1);
    painter.drawLine(1, 1, w - 2, 1);
    painter.drawLine(1, 1, 1, h - 1);

    const QPixmap track = widgetStylePixmap("timelineMovebarBackground");
    fillRectWithPixmap(&painter, QRect(QPoint(2, h - track.height() - 1), QPoint(w - 2, h - 2)),
                       &track);

    KelUtils::IParameterContainer* container = m_timeline ? m_timeline->selectedContainer() : nullptr;
    if (!container || !scaleIsUsable())
        return;
    const int frames = container->numFrames();
    const double s = m_pixelsPerFrame;

    // Move bar.
    const QPixmap left = widgetStylePixmap("timelineLeftScalebar");
    const QPixmap middle = widgetStylePixmap("timelineMovebar");
    const QPixmap right = widgetStylePixmap("timelineRightScalebar");
    m_leftCapWidth = left.width();
    m_rightCapWidth = right.width();
    m_minimumBarLength = left.width() + middle.width() + right.width();
    m_moveBarTop = h - 2 - middle.height();
    const double x0 = m_moveBarOffset + 2;
    const int length = m_moveBarLength;
    painter.drawPixmap(int(x0), m_moveBarTop, left);
    const QRect middleRect(int(x0 + m_leftCapWidth), m_moveBarTop,
                           length - m_leftCapWidth - m_rightCapWidth, middle.height());
    fillRectWithPixmap(&painter, middleRect, &middle);
    painter.drawPixmap(int(x0 + length - m_rightCapWidth), m_moveBarTop, right);
    m_barFrameCount = int(length / s);

    // Visible range and scale.
    m_visibleFrames = (w - 9) / s;
    m_firstVisibleFrame = int(m_moveBarOffset / s * frames / m_visibleFrames);
    const int step = labelStep(s);
    const int minorStep = 2 * (step / 10);
    double x = kScaleLeft;
    int frame = m_firstVisibleFrame;
    double lastMinor = -1.0e9;
    int last = frame;
    while (x < w - 2) {
        if (frame % step == 0) {
            painter.setPen(widgetStylePen("KelTimeline.frameLinePen"));
            painter.drawLine(QLineF(x, 15, x, 26));
            if (frame <= frames) {
                painter.setPen(widgetStylePen("KelTimeline.textPen"));
                painter.drawText(QRectF(x - 19, 2, 40, 13), Qt::AlignCenter, QString::number(frame));
            }
        } else if (frame % minorStep == 0) {
            if (int(x) > lastMinor + 1) {
                painter.setPen(widgetStylePen("KelTimeline.frameLinePen"));
                painter.drawLine(int(x), 20, int(x), 26);
            }
            lastMinor = x;
        }
        last = frame;
        x += s;
        ++frame;
    }
    m_lastVisibleFrame = last;

    // The bar's numbers label the visible range.
    painter.setPen(widgetStylePen("KelTimeline.textMovebarPen"));
    painter.drawText(middleRect, Qt::AlignLeft | Qt::AlignVCenter,
                     QString::number(m_firstVisibleFrame));
    painter.drawText(middleRect, Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(std::min(m_lastVisibleFrame, frames)));

    for (int key : container->keyframes())
        drawMarker(&painter, key, true, key == m_hoveredKey);
    drawMarker(&painter, container->currentFrame(), false, false);
}

void KelTimelineWidget::drawMarker(QPainter* painter, int frame, bool isKey, bool isHovered)
{
    const int w = width();
    const QString text = QString::number(frame);
    const QRect bounds = painter->fontMetrics().boundingRect(text);
    if (frame >= m_firstVisibleFrame && frame <= m_lastVisibleFrame) {
        const QColor color = widgetStyleColor(isKey ? "KelTimeline.keyMarkerColor"
                                              : "KelTimeline.currentFrameColor");
        const int x = int((frame - m_firstVisibleFrame) * m_pixelsPerFrame + kScaleLeft);
        painter->setPen(color);
        if (isKey && !isHovered) {
            painter->drawLine(x, 16, x, 28);
            painter->fillRect(QRect(QPoint(x, 2), QPoint(x + 10, 13)), color);
            return;
        }
        painter->drawLine(x, 1, x, 30);
        painter->drawLine(x + 1, 1, x + 1, 30);
        const QRect box(QPoint(x + 2, 1), QPoint(x + 5 + bounds.width(), bounds.height() + 4));
        painter->fillRect(box, widgetStyleColor("KelTimeline.markerBackgroundColor"));
        painter->drawRect(box);
        painter->drawText(box, Qt::AlignCenter, text);
        return;
    }
    if (isKey)
        return;
    const int t = bounds.width() - 1;
    const QColor background = widgetStyleColor("KelTimeline.markerBackgroundColor");
    painter->setPen(widgetStyleColor("KelTimeline.currentFrameHiddenBorderColor"));
    if (frame > m_lastVisibleFrame) {
        painter->drawLine(w - 1, 1, w - 1, 15);
        painter->drawLine(w - 1, 1, w - 7 - t, 1);
        painter->drawLine(w - 1, 15, w - 7 - t, 15);
        painter->drawLine(w - 7 - t, 1, w - 14 - t, 8);
        painter->drawLine(w - 7 - t, 15, w - 14 - t, 8);
        const QRect box(QPoint(w - 7 - t, 2), QPoint(w - 3, 13));
        painter->fillRect(box, background);
        painter->setPen(background);
        painter->drawRect(box);
        painter->setPen(widgetStyleColor("KelTimeline.currentFrameColor"));
        painter->drawText(box.translated(4, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    } else {
        painter->drawLine(2, 1, 2, 15);
        painter->drawLine(2, 1, 8 + t, 1);
        painter->drawLine(2, 15, 8 + t, 15);
        painter->drawLine(8 + t, 1, 15 + t, 8);
        painter->drawLine(8 + t, 15, 15 + t, 8);
        const QRect box(QPoint(3, 2), QPoint(7 + t, 13));
        painter->fillRect(box, background);
        painter->setPen(background);
        painter->drawRect(box);
        painter->setPen(widgetStyleColor("KelTimeline.currentFrameColor"));
        painter->drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
    }
}

int KelTimelineWidget::frameAt(double x) const
{
    return int(m_firstVisibleFrame + (x - kScaleLeft) / m_pixelsPerFrame);
}

void KelTimelineWidget::mousePressEvent(QMouseEvent* event)
{
    KelUtils::IParameterContainer* container = m_timeline ? m_timeline->selectedContainer() : nullptr;
    if (!container || !scaleIsUsable())
        return;
    const QPointF pos = event->position();
    const double x = pos.x();
    const int barTop = barTopFor(height());
    if (pos.y() < barTop) {
        if (!m_barDrag && m_hoveredKey < 0)
            m_timeline->setCurrentFrame(frameAt(x));
        return;
    }
    if (m_barDrag || x < m_moveBarOffset || x > m_moveBarOffset + m_moveBarLength)
        return;
    const int d = int(x - m_moveBarOffset);
    if (d < m_leftCapWidth)
        m_leftScale = true;
    else if (d > m_barFrameCount * m_pixelsPerFrame - m_rightCapWidth)
        m_rightScale = true;
    else
        m_barDrag = true;
    m_pressX = int(x);
    m_pressOffset = int(m_moveBarOffset);
    m_pressLength = m_moveBarLength;
}

void KelTimelineWidget::mouseMoveEvent(QMouseEvent* event)
{
    KelUtils::IParameterContainer* container = m_timeline ? m_timeline->selectedContainer() : nullptr;
    if (!container || !scaleIsUsable())
        return;
    const QPointF pos = event->position();
    const double x = pos.x();
    const int usable = usableWidth();
    if (event->buttons() != Qt::NoButton) {
        if (m_barDrag) {
            double offset = std::max(0, int(m_pressOffset + (x - 2 - m_pressX)));
            if (offset + m_moveBarLength > usable)
                offset = usable - m_moveBarLength;
            m_moveBarOffset = offset;
            update();
        } else if (m_leftScale) {
            const int d = int(x - m_pressX - 2);
            const int length = std::max(std::min(m_pressLength - d, usable), m_minimumBarLength);
            m_percentVisible = double(length) / usable * 100.0;
            applyScaleRule();
            m_moveBarOffset = std::max(0, std::min(m_pressOffset + d, usable - m_moveBarLength));
            update();
        } else if (m_rightScale) {
            const int length = std::max(std::min(int(m_pressLength + (x - 2 - m_pressX)), usable),
                                        m_minimumBarLength);
            m_percentVisible = double(length) / usable * 100.0;
            applyScaleRule();
            update();
        } else {
            const int frame = frameAt(x);
            if (m_hoveredKey < 0) {
                m_timeline->setCurrentFrame(frame);
            } else {
                // A dragged key stays under the mouse until the release.
                moveHoveredKeyTo(frame);
                return;
            }
        }
        // Only a press on a key drags a key: scrubbing or dragging the bar across one must not
        // pick it up.
        return;
    }
    updateHoveredKey(pos);
}

void KelTimelineWidget::moveHoveredKeyTo(int frame)
{
    KelUtils::IParameterContainer* container = m_timeline->selectedContainer();
    // A move onto a key would destroy that key; off the frame range the move is refused.
    if (frame == m_hoveredKey || frame < 0 || frame >= container->numFrames()
        || container->isKeyframe(frame))
        return;
    NodeEditHooks::beforeWrite();
    if (!m_keyDragged || !m_timeline->isChangingKeyframes()) {
        // The whole drag, to the release, is one change of the keys; after a change of
        // selection, what is left of it is one of its own.
        m_keyDragged = true;
        m_timeline->beginKeyframeChange();
    }
    if (container->moveKeyframe(m_hoveredKey, frame) != 0)
        return;
    m_hoveredKey = frame;
    m_timeline->keyframesEdited();
}

void KelTimelineWidget::updateHoveredKey(QPointF const& position)
{
    KelUtils::IParameterContainer* container = m_timeline->selectedContainer();
    int hovered = -1;
    if (position.y() < barTopFor(height())) {
        for (int key : container->keyframes()) {
            if (key < m_firstVisibleFrame || key > m_lastVisibleFrame)
                continue;
            const int kx = int((key - m_firstVisibleFrame) * m_pixelsPerFrame + kScaleLeft);
            if (kx <= position.x() && position.x() <= kx + 12)
                hovered = key;
        }
    }
    if (hovered != m_hoveredKey) {
        m_hoveredKey = hovered;
        update();
    }
}

void KelTimelineWidget::mouseReleaseEvent(QMouseEvent*)
{
    if (m_keyDragged && m_timeline) {
        m_keyDragged = false;
        m_timeline->endKeyframeChange();
    }
    m_barDrag = false;
    m_leftScale = false;
    m_rightScale = false;
}

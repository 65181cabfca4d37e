#pragma once

#include <QWidget>

class KelTimeline;
class QPixmap;

// The frame ruler of the timeline panel: a zoomable, scrollable frame scale with the selected
// container's keyframes and the current frame, over a move bar whose middle scrolls and whose
// end caps zoom. Clicking or dragging in the scale sets the current frame; dragging a key moves
// it, never onto another key.
class KelTimelineWidget : public QWidget
{
    Q_OBJECT

public:
    explicit KelTimelineWidget(QWidget* parent = nullptr);
    ~KelTimelineWidget() override;

    // Set once by the owning panel.
    void setTimeline(KelTimeline* timeline) { m_timeline = timeline; }
    KelTimeline* timeline() const { return m_timeline; }

    // Scroll back to the start.
    void reset();
    // Share of the frame range shown, in percent; rescales with a selected container.
    void setPercentVisible(double percent);
    // Recomputes pixels per frame and bar length from the width, the share shown and the
    // selected container's frame count.
    void applyScaleRule();

    double percentVisible() const { return m_percentVisible; }
    double pixelsPerFrame() const { return m_pixelsPerFrame; }
    double moveBarOffset() const { return m_moveBarOffset; }
    int moveBarLength() const { return m_moveBarLength; }
    int firstVisibleFrame() const { return m_firstVisibleFrame; }
    int lastVisibleFrame() const { return m_lastVisibleFrame; }
    int moveBarTop() const { return m_moveBarTop; }
    int hoveredKey() const { return m_hoveredKey; }
    // Usable width: the widget's width less the frame.
    int usableWidth() const { return width() - 4; }
    // Whether the scale can be drawn and hit-tested: a positive, finite frame width and a
    // visible range on a usable width.
    bool scaleIsUsable() const;

    // Tiles the picture from the rectangle's left edge; the remainder gets the picture scaled.
    static void fillRectWithPixmap(QPainter* painter, QRect const& rect, QPixmap const* pixmap);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    void drawMarker(QPainter* painter, int frame, bool isKey, bool isHovered);

private:
    int frameAt(double x) const;
    void moveHoveredKeyTo(int frame);
    void updateHoveredKey(QPointF const& position);
    int barTopFor(int height) const;

    KelTimeline* m_timeline = nullptr;
    double m_percentVisible = 50.0;
    double m_pixelsPerFrame = 0.0;
    double m_moveBarOffset = 0.0;
    int m_moveBarLength = 0;
    int m_firstVisibleFrame = 0;
    int m_lastVisibleFrame = 0;
    int m_moveBarTop = 0;
    bool m_barDrag = false;
    bool m_leftScale = false;
    bool m_rightScale = false;
    int m_pressX = 0;
    int m_pressOffset = 0;
    int m_pressLength = 0;
    int m_barFrameCount = 0;
    int m_leftCapWidth = 0;
    int m_rightCapWidth = 0;
    int m_minimumBarLength = 0;
    double m_visibleFrames = 0.0;
    int m_usableWidth = 0;
    int m_hoveredKey = -1;
    // A key dragged, from its first move to the release.
    bool m_keyDragged = false;
};

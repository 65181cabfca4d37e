#pragma once

#include <QMetaType>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QString>

class QPainter;

// One wire between two scene points (y grows downwards): a line path, straight or routed
// orthogonally with rounded corners, and an open arrowhead half-way along it pointing from
// begin to end, each with its own pen. Left-right routing by default, top-bottom on request.
//
// The paths are a cache: the constructor builds none, every setter rebuilds both, copies
// carry them over as they are.
class ConnectingLine
{
public:
    static constexpr double DEFAULT_ARROW_LENGTH = 15.0;
    static constexpr double DEFAULT_ARC_RADIUS = 20.0;
    // Style key from which every construction re-reads the class-wide antialiasing flag.
    static inline const QString ID_TAG_ANTIALIASING = QStringLiteral("ConnectingLineAntialiasingFlag");

    // The variant type of stored curves, registered as "ConnectingLine" on first use.
    static QMetaType metaType();

    ConnectingLine();
    // `bump` makes the level top-bottom route arch above the points instead of dipping below;
    // `straight` draws one segment without arrowhead.
    ConnectingLine(QPointF begin, QPointF end, bool bump, bool straight);
    ConnectingLine(ConnectingLine const&) = default;
    ConnectingLine& operator=(ConnectingLine const&) = default;
    ~ConnectingLine() = default;

    void setBegin(QPointF begin);
    void setEnd(QPointF end);
    void setLinePosition(QPointF begin, QPointF end);
    // Negative or non-finite lengths count as 0.
    void setArcRadius(double radius);
    void setArrowLength(double length);
    void setTopBottom(bool topBottom);
    void setBumpHorizontalLine(bool bump);
    void setPenLine(QPen const& pen);
    void setPenArrow(QPen const& pen);

    QPointF begin() const { return m_begin; }
    QPointF end() const { return m_end; }
    double arcRadius() const { return m_arcRadius; }
    double arrowLength() const { return m_arrowLength; }
    bool isTopBottom() const { return m_topBottom; }
    bool isBumpHorizontalLine() const { return m_bump; }
    bool isStraight() const { return m_straight; }
    QPen const& penLine() const { return m_penLine; }
    QPen const& penArrow() const { return m_penArrow; }
    QPainterPath const& linePath() const { return m_linePath; }
    QPainterPath const& arrowPath() const { return m_arrowPath; }

    // One flag for every curve.
    static void setAntialiasing(bool on);
    static bool getAntialiasing();

    // Rebuilds both paths from the points, flags and lengths.
    void update();

    // The line path, plus the arrow unless the curve is straight.
    QPainterPath path() const;

    // Paints with the two pens and no fill; leaves the painter's pen, brush and antialiasing
    // hint as it found them.
    void draw(QPainter& painter) const;

private:
    void createLine(QPointF b, QPointF e);
    void createLeftRightLine(QPointF b, QPointF e, double r);
    void createTopBottomLine(QPointF b, QPointF e, double r);
    void createTopBottomHorisontalLine(QPointF b, QPointF e);
    void createArrow(QPointF const& b, QPointF const& e);

    // Height of the horizontal run of the level top-bottom route.
    double levelHeight(QPointF b, QPointF e) const;
    bool usesLevelRoute(double dx, double dy) const;
    double cornerRadius(double dx, double dy) const;

    // Black and cosmetic (width 0) until set.
    QPen m_penLine{Qt::black, 0};
    QPen m_penArrow{Qt::black, 0};
    QPainterPath m_linePath;
    QPainterPath m_arrowPath;
    QPointF m_begin;
    QPointF m_end;
    double m_arcRadius = DEFAULT_ARC_RADIUS;
    bool m_bump = false;
    bool m_straight = false;
    double m_arrowLength = DEFAULT_ARROW_LENGTH;
    bool m_topBottom = false;

    static bool m_Antialiasing;
};

Q_DECLARE_METATYPE(ConnectingLine)

#pragma once

#include "style/ConnectingLine.h"

#include <QGraphicsItem>

// Scene item that owns one curve and paints it.
class ConnectingLineItem : public QGraphicsItem
{
public:
    explicit ConnectingLineItem(QGraphicsItem* parent = nullptr);
    ConnectingLineItem(ConnectingLine const& line, QGraphicsItem* parent = nullptr);
    ~ConnectingLineItem() override;

    // For in-place changes; the scene is told beforehand that the geometry may change.
    ConnectingLine& connectingLine();
    ConnectingLine const& connectingLine() const { return m_line; }
    // Replaces the held curve as it is (paths included, nothing rebuilt). The caller requests
    // the repaint.
    void setConnectingLine(ConnectingLine const& line);

    // The curve's path, without a margin for the pen width.
    QRectF boundingRect() const override;
    void paint(QPainter* painter, QStyleOptionGraphicsItem const* option, QWidget* widget) override;

private:
    ConnectingLine m_line;
};

#include "style/ConnectingLineItem.h"

ConnectingLineItem::ConnectingLineItem(QGraphicsItem* parent)
    : QGraphicsItem(parent)
{
}

ConnectingLineItem::ConnectingLineItem(ConnectingLine const& line, QGraphicsItem* parent)
    : QGraphicsItem(parent)
    , m_line(line)
{
}

ConnectingLineItem::~ConnectingLineItem() = default;

ConnectingLine& ConnectingLineItem::connectingLine()
{
    prepareGeometryChange();
    return m_line;
}

void ConnectingLineItem::setConnectingLine(ConnectingLine const& line)
{
    prepareGeometryChange();
    m_line = line;
}

QRectF ConnectingLineItem::boundingRect() const
{
    return m_line.path().boundingRect();
}

void ConnectingLineItem::paint(QPainter* painter, QStyleOptionGraphicsItem const*, QWidget*)
{
    if (painter)
        m_line.draw(*painter);
}

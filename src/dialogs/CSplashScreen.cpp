#include "dialogs/CSplashScreen.h"

#include <QPainter>

CSplashScreen::CSplashScreen(QPixmap const& pixmap)
    : QFrame(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_pixmap(pixmap)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(m_pixmap.size());
}

void CSplashScreen::showMessage(QString const& message, int alignment, QColor const& color)
{
    m_message = message;
    m_alignment = alignment;
    m_color = color;
    repaint();
}

void CSplashScreen::clearMessage()
{
    m_message.clear();
    repaint();
}

void CSplashScreen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), m_pixmap);
    painter.setPen(m_color);
    painter.drawText(rect().adjusted(5, 5, -5, -5), m_alignment, m_message);
}

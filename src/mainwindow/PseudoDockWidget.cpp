#include "mainwindow/PseudoDockWidget.h"

#include "style/KelStyleConfig.h"

#include <QEvent>
#include <QMenuBar>
#include <QPainter>
#include <QStyle>
#include <QToolBar>

PseudoDockWidget::PseudoDockWidget(QWidget* parent) : QWidget(parent) {}

QRect PseudoDockWidget::contentRect(QSize size)
{
    return QRect(QPoint(0, 22), QPoint(size.width() - 1, size.height() - 1));
}

void PseudoDockWidget::setWidget(QWidget* widget)
{
    if (widget == m_widget)
        return;
    if (m_widget) {
        m_widget->hide();
        m_widget->setParent(nullptr);
    }
    m_widget = widget;
    if (!widget)
        return;
    widget->setParent(this);
    widget->setGeometry(contentRect(size()));
    widget->show();
}

bool PseudoDockWidget::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (m_widget)
            m_widget->setGeometry(contentRect(size()));
        return true;
    case QEvent::WindowTitleChange:
        update();
        return true;
    default:
        return QWidget::event(event);
    }
}

void PseudoDockWidget::paintEvent(QPaintEvent*)
{
    KelStyleConfig* style = KelStyleConfig::instance();
    QPainter painter(this);

    // Right below a tool bar or the menu bar the strip starts one pixel higher, hiding the seam.
    int top = 0;
    if (QWidget* top_level = window()) {
        const QPoint above = mapTo(top_level, QPoint(0, -4));
        QWidget* neighbour = top_level->childAt(above);
        for (QWidget* w = neighbour; w; w = w->parentWidget()) {
            if (qobject_cast<QToolBar*>(w) || qobject_cast<QMenuBar*>(w)) {
                top = -1;
                break;
            }
            if (w == top_level)
                break;
        }
    }
    const int right = width() - 1;
    const QRect strip(QPoint(0, top), QPoint(right, 19));
    painter.fillRect(strip, style->value<QColor>(QStringLiteral("TwPseudoDockWidget.backgroundColor")));
    painter.setPen(style->value<QColor>(QStringLiteral("TwPseudoDockWidget.bottomBorderColor")));
    painter.drawLine(0, 18, width() - 2, 18);
    painter.setPen(style->value<QColor>(QStringLiteral("TwPseudoDockWidget.bottomBorderColor2")));
    painter.drawLine(0, 19, width() - 2, 19);

    QLinearGradient gradient =
        style->value<QLinearGradient>(QStringLiteral("TwPseudoDockWidget.backgroundGradient"));
    gradient.setStart(0, 1);
    gradient.setFinalStop(0, 17);
    painter.fillRect(QRect(QPoint(1, top + 1), QPoint(width() - 2, 17)), gradient);

    painter.setPen(style->value<QColor>(QStringLiteral("TwPseudoDockWidget.fontColor")));
    const QPixmap arrow = style->value<QPixmap>(
        QStringLiteral("doubleArrow%1")
            .arg(layoutDirection() == Qt::LeftToRight ? QStringLiteral("Right") : QStringLiteral("Left")));
    const int arrowTop = (19 + 1 - top - arrow.height()) / 2;
    const QRect arrowRect(QPoint(11, arrowTop),
                          QPoint(10 + arrow.width(), arrowTop + arrow.height() - 1));
    if (!arrow.isNull())
        painter.drawPixmap(QStyle::visualRect(layoutDirection(), strip, arrowRect), arrow);

    const QString title = fontMetrics().elidedText(windowTitle(), Qt::ElideRight, width() - 42);
    QFont bold;
    bold.setWeight(QFont::Bold);
    painter.setFont(bold);
    painter.drawText(QRect(QPoint(42, top + 1), QPoint(width() - 1, 20)), Qt::AlignVCenter, title);
}

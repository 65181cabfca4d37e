#include "mainwindow/KelNodePanelBorder.h"

#include <QPainter>

KelNodePanelBorder::KelNodePanelBorder(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(2);
}

void KelNodePanelBorder::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(52, 52, 52));
}

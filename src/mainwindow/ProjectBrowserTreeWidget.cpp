#include "mainwindow/ProjectBrowserTreeWidget.h"

#include <QDropEvent>

ProjectBrowserTreeWidget::ProjectBrowserTreeWidget(QWidget* parent) : QTreeWidget(parent)
{
    setDragDropMode(QAbstractItemView::InternalMove);
}

void ProjectBrowserTreeWidget::dragEnterEvent(QDragEnterEvent* event)
{
    QTreeWidget::dragEnterEvent(event);
}

void ProjectBrowserTreeWidget::dragMoveEvent(QDragMoveEvent* event)
{
    QTreeWidget::dragMoveEvent(event);
}

void ProjectBrowserTreeWidget::dropEvent(QDropEvent* event)
{
    QTreeWidget::dropEvent(event);
    if (event->isAccepted())
        emit sortFilters();
}

#include "mainwindow/ProjectBrowserTreeWidget.h"

#include <QDropEvent>
#include <QKeyEvent>

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

void ProjectBrowserTreeWidget::keyPressEvent(QKeyEvent* event)
{
    // Backspace is the key labelled delete on a Mac keyboard only; elsewhere it removes nothing.
#ifdef Q_OS_MACOS
    const bool deleteKey = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace;
#else
    const bool deleteKey = event->key() == Qt::Key_Delete;
#endif
    // A name being typed keeps its keys (the editor has them, not the tree).
    if (deleteKey && state() != EditingState) {
        emit deletePressed();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

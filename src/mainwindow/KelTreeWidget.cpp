#include "mainwindow/KelTreeWidget.h"

#include "app/ItemModelDragData.h"
#include "app/KelNGObject.h"
#include "app/TwCore.h"

#include <QDropEvent>
#include <QMimeData>

KelTreeWidget::KelTreeWidget(QWidget* parent) : QTreeWidget(parent)
{
    setDragDropMode(QAbstractItemView::DragDrop);
}

bool KelTreeWidget::edit(QModelIndex const& index, QAbstractItemView::EditTrigger trigger,
                         QEvent* event)
{
    if (index.column() != 0)
        return false;
    return QTreeWidget::edit(index, trigger, event);
}

void KelTreeWidget::dragEnterEvent(QDragEnterEvent* event)
{
    QMimeData const* mime = event->mimeData();
    if (!core || !mime || !mime->hasFormat(ItemModelDragData::mimeType())) {
        event->ignore();
        return;
    }
    QString const uuid = ItemModelDragData::lastValue(mime, Qt::UserRole);
    if (uuid.isEmpty()) {
        event->ignore();
        return;
    }
    m_dragged = core->findObjectOfUuid(uuid);
    if (!m_dragged) {
        event->ignore();
        return;
    }
    if (!m_dragged->isDeletable()) {
        m_dragged = nullptr;
        event->ignore();
        return;
    }
    event->setDropAction(event->proposedAction());
    event->accept();
}

void KelTreeWidget::dropEvent(QDropEvent* event)
{
    QTreeWidgetItem* row = itemAt(event->position().toPoint());
    if (!row || !core)
        return;
    m_target = core->findObjectOfUuid(row->data(0, Qt::UserRole).toString());
    if (m_target && m_dragged && m_target != m_dragged && m_target->graph())
        emit moveObject(m_dragged, m_target);
}

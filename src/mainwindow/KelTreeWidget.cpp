#include "mainwindow/KelTreeWidget.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"

#include <QDataStream>
#include <QDropEvent>
#include <QMap>
#include <QMimeData>

namespace {

QString const ItemModelMime = QStringLiteral("application/x-qabstractitemmodeldatalist");

// The last user-role value of the standard item-model stream.
QString lastUuidIn(QByteArray const& data)
{
    QString uuid;
    QDataStream stream(data);
    while (!stream.atEnd()) {
        int row = 0;
        int column = 0;
        QMap<int, QVariant> roles;
        stream >> row >> column >> roles;
        if (stream.status() != QDataStream::Ok)
            break;
        for (auto it = roles.cbegin(); it != roles.cend(); ++it) {
            if (it.key() == Qt::UserRole)
                uuid = it.value().toString();
        }
    }
    return uuid;
}

} // namespace

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
    if (!core || !mime || !mime->hasFormat(ItemModelMime)) {
        event->ignore();
        return;
    }
    QString const uuid = lastUuidIn(mime->data(ItemModelMime));
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

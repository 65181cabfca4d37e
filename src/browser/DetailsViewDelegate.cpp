#include "browser/DetailsViewDelegate.h"

#include <QApplication>
#include <QPainter>

void DetailsViewDelegate::paint(QPainter* painter, QStyleOptionViewItem const& option,
                                QModelIndex const& index) const
{
    if (index.column() != 1) {
        QStyledItemDelegate::paint(painter, QStyleOptionViewItem(option), index);
        return;
    }
    QStyleOptionViewItem panel(option);
    panel.rect.setTop(panel.rect.top() + 1);
    QApplication::style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, option.widget);
    const QPalette::ColorGroup group = (option.state & QStyle::State_Enabled)
                                           ? ((option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive)
                                           : QPalette::Disabled;
    painter->setPen(option.palette.color(group, QPalette::Text));
    painter->drawText(option.rect, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
}

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
    QStyle* style = QApplication::style();
    QStyleOptionViewItem panel(option);
    panel.rect.setTop(panel.rect.top() + 1);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, option.widget);
    const QPalette::ColorGroup group = (option.state & QStyle::State_Enabled)
                                           ? ((option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive)
                                           : QPalette::Disabled;
    painter->setPen(option.palette.color(group, QPalette::Text));
    // Centred, a text wider than the cell would lose both its ends; cut at its end with "…" and
    // within the margins, as the other columns cut theirs.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
    const QRect textRect = option.rect.adjusted(margin, 0, -margin, 0);
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->drawText(textRect, Qt::AlignCenter,
                      painter->fontMetrics().elidedText(text, Qt::ElideRight, textRect.width()));
}

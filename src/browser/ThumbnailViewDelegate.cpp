#include "browser/ThumbnailViewDelegate.h"

void ThumbnailViewDelegate::paint(QPainter* painter, QStyleOptionViewItem const& option,
                                  QModelIndex const& index) const
{
    QStyleOptionViewItem moved(option);
    moved.rect.translate(0, 5);
    QStyledItemDelegate::paint(painter, moved, index);
}

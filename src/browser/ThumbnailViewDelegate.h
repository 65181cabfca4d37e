#pragma once

#include <QStyledItemDelegate>

// Thumbnail strip items, painted 5 pixels lower.
class ThumbnailViewDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, QStyleOptionViewItem const& option, QModelIndex const& index) const override;
};

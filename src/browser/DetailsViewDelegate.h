#pragma once

#include <QStyledItemDelegate>

// Details list: the Type column centred, cut at its end when the column is narrower.
class DetailsViewDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, QStyleOptionViewItem const& option, QModelIndex const& index) const override;
};

#pragma once

#include <QLayoutItem>
#include <QSize>
#include <QSizePolicy>
#include <QWidget>

// One occupied cell of a KDSynchronizedFormLayout: the layout item it owns plus the sizes and
// placement that the layout's passes compute for it.
struct KDSynchronizedFormLayoutItem
{
    explicit KDSynchronizedFormLayoutItem(QLayoutItem* layoutItem)
        : item(layoutItem)
    {
    }
    ~KDSynchronizedFormLayoutItem() { delete item; }

    KDSynchronizedFormLayoutItem(const KDSynchronizedFormLayoutItem&) = delete;
    KDSynchronizedFormLayoutItem& operator=(const KDSynchronizedFormLayoutItem&) = delete;

    QWidget* widget() const { return item->widget(); }
    Qt::Orientations expandingDirections() const { return item->expandingDirections(); }
    QSizePolicy::ControlTypes controlTypes() const { return item->controlTypes(); }
    int heightForWidth(int width) const { return item->heightForWidth(width); }
    int verticalStretch() const
    {
        const QWidget* w = widget();
        return w ? w->sizePolicy().verticalStretch() : 0;
    }
    void setGeometry(const QRect& rect) { item->setGeometry(rect); }

    QLayoutItem* item;
    // Placed with SpanningRole.
    bool fullRow = false;
    bool isHfw = false;
    QSize minSize = QSize(-1, -1);
    QSize sizeHint = QSize(-1, -1);
    QSize maxSize = QSize(-1, -1);
    // Gap between the label column and this field.
    int sbsHSpace = 0;
    // Spacing to the row above.
    int vSpace = 0;
    bool sideBySide = false;
    int vLayoutIndex = -1;
    int layoutPos = -1;
    int layoutWidth = -1;
};

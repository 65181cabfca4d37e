#include "style/KDSynchronizedFormLayoutPrivate.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QWidget>

namespace {

constexpr int WIDGET_SIZE_MAX = QWIDGETSIZE_MAX; // 16777215

using Item = KDSynchronizedFormLayoutItem;

// The sizes a widget item reports for a shown widget, computed from the widget's own hints and
// size policy, so that a hidden label can be measured without being shown.
QSize shownMinimumSize(const QWidget* w)
{
    const QSize hint = w->sizeHint();
    const QSize minHint = w->minimumSizeHint();
    const QSizePolicy policy = w->sizePolicy();
    QSize s(0, 0);
    if (policy.horizontalPolicy() != QSizePolicy::Ignored) {
        s.setWidth((policy.horizontalPolicy() & QSizePolicy::ShrinkFlag)
                       ? minHint.width()
                       : qMax(hint.width(), minHint.width()));
    }
    if (policy.verticalPolicy() != QSizePolicy::Ignored) {
        s.setHeight((policy.verticalPolicy() & QSizePolicy::ShrinkFlag)
                        ? minHint.height()
                        : qMax(hint.height(), minHint.height()));
    }
    s = s.boundedTo(w->maximumSize());
    if (w->minimumSize().width() > 0)
        s.setWidth(w->minimumSize().width());
    if (w->minimumSize().height() > 0)
        s.setHeight(w->minimumSize().height());
    return s.expandedTo(QSize(0, 0));
}

QSize shownSizeHint(const QWidget* w)
{
    QSize s = w->sizeHint().expandedTo(w->minimumSizeHint());
    s = s.boundedTo(w->maximumSize()).expandedTo(w->minimumSize());
    if (w->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored)
        s.setWidth(0);
    if (w->sizePolicy().verticalPolicy() == QSizePolicy::Ignored)
        s.setHeight(0);
    return s;
}

QSize shownMaximumSize(const QWidget* w, Qt::Alignment align)
{
    if ((align & Qt::AlignHorizontal_Mask) && (align & Qt::AlignVertical_Mask))
        return QSize(KDLayoutStruct::MAX_SIZE, KDLayoutStruct::MAX_SIZE);
    const QSizePolicy policy = w->sizePolicy();
    QSize s = w->maximumSize();
    const QSize hint = w->sizeHint().expandedTo(w->minimumSizeHint()).expandedTo(w->minimumSize());
    if (s.width() == WIDGET_SIZE_MAX && !(align & Qt::AlignHorizontal_Mask)
        && !(policy.horizontalPolicy() & QSizePolicy::GrowFlag))
        s.setWidth(hint.width());
    if (s.height() == WIDGET_SIZE_MAX && !(align & Qt::AlignVertical_Mask)
        && !(policy.verticalPolicy() & QSizePolicy::GrowFlag))
        s.setHeight(hint.height());
    if (align & Qt::AlignHorizontal_Mask)
        s.setWidth(KDLayoutStruct::MAX_SIZE);
    if (align & Qt::AlignVertical_Mask)
        s.setHeight(KDLayoutStruct::MAX_SIZE);
    return s;
}

void updateFormLayoutItem(Item* item, int userVSpacing,
                          KDSynchronizedFormLayout::FieldGrowthPolicy policy, bool fullRow,
                          bool measureHidden)
{
    const QWidget* w = item->widget();
    if (measureHidden && w && w->isHidden()) {
        // Full width for the label column, no height.
        const QSize bound(WIDGET_SIZE_MAX, 0);
        item->minSize = shownMinimumSize(w).boundedTo(bound);
        item->sizeHint = shownSizeHint(w).boundedTo(bound);
        item->maxSize = shownMaximumSize(w, item->item->alignment()).boundedTo(bound);
        item->isHfw = false;
    } else {
        item->minSize = item->item->minimumSize();
        item->sizeHint = item->item->sizeHint();
        item->maxSize = item->item->maximumSize();
        item->isHfw = item->item->hasHeightForWidth();
    }
    if (!fullRow
        && (policy == KDSynchronizedFormLayout::FieldsStayAtSizeHint
            || (policy == KDSynchronizedFormLayout::ExpandingFieldsGrow
                && !(item->expandingDirections() & Qt::Horizontal))))
        item->maxSize.setWidth(item->sizeHint.width());
    item->vSpace = userVSpacing;
}

QSizePolicy::ControlTypes typesOf(const Item* item)
{
    return item ? item->controlTypes() : QSizePolicy::ControlTypes(QSizePolicy::DefaultType);
}

int combinedVerticalSpacing(QStyle* style, const Item* upper, const Item* lower, QWidget* parent)
{
    return style->combinedLayoutSpacing(typesOf(upper), typesOf(lower), Qt::Vertical, nullptr,
                                        parent);
}

void initLayoutStruct(KDLayoutStruct& sl, const Item* item)
{
    sl.init(item->verticalStretch(), item->minSize.height());
    sl.sizeHint = item->sizeHint.height();
    sl.maximumSize = item->maxSize.height();
    sl.expansive = (item->expandingDirections() & Qt::Vertical) != 0;
    sl.empty = false;
}

int spacingHelper(QWidget* parent, QStyle* style, int userVSpacing, bool recalculate,
                  const Item* item1, const Item* item2, const Item* prev1, const Item* prev2)
{
    int spacing = userVSpacing;
    if (spacing < 0) {
        if (!recalculate) {
            if (item1)
                spacing = item1->vSpace;
            if (item2)
                spacing = qMax(spacing, item2->vSpace);
        } else if (style && prev1) {
            // The style is asked with the lower item first.
            const QSizePolicy::ControlTypes itemTypes = typesOf(item1);
            spacing = style->combinedLayoutSpacing(itemTypes, prev1->controlTypes(), Qt::Vertical,
                                                   nullptr, parent);
            int spacing2 = 0;
            if (item2)
                spacing2 = style->combinedLayoutSpacing(item2->controlTypes(), prev1->controlTypes(),
                                                        Qt::Vertical, nullptr, parent);
            else if (prev2)
                spacing2 = style->combinedLayoutSpacing(itemTypes, prev2->controlTypes(),
                                                        Qt::Vertical, nullptr, parent);
            spacing = qMax(spacing, spacing2);
        }
    } else {
        for (const Item* prev : {prev1, prev2}) {
            if (prev && prev->widget())
                spacing = qMax(spacing, prev->item->geometry().top() - prev->widget()->geometry().top());
        }
    }
    return spacing;
}

// Calls f(label, field) for each row that holds an item, top to bottom.
template<typename Function>
void forEachRow(FixedColumnMatrix<Item*, 2>& matrix, Function f)
{
    const int rows = matrix.rowCount();
    for (int i = 0; i < rows; ++i) {
        Item* label = matrix(i, 0);
        Item* field = matrix(i, 1);
        if (label || field)
            f(label, field);
    }
}

bool checkField(const void* field, const QLayout* layout)
{
    if (!field) {
        qWarning("KDSynchronizedFormLayout: Cannot add null field to %s",
                 layout->objectName().toLocal8Bit().constData());
        return false;
    }
    return true;
}

// A fixed alignment has no AlignAbsolute; in right-to-left it swaps left and right instead.
Qt::Alignment fixedAlignment(Qt::Alignment alignment, Qt::LayoutDirection direction)
{
    if (direction == Qt::RightToLeft && (alignment & Qt::AlignAbsolute)) {
        Qt::Alignment result = alignment & ~(Qt::AlignLeft | Qt::AlignRight | Qt::AlignAbsolute);
        if (alignment & Qt::AlignRight)
            result |= Qt::AlignLeft;
        if (alignment & Qt::AlignLeft)
            result |= Qt::AlignRight;
        return result;
    }
    return alignment & ~Qt::AlignAbsolute;
}

} // namespace

KDSynchronizedFormLayout::Private::Private(KDSynchronizedFormLayout* owner)
    : q(owner)
    , fieldGrowthPolicy(UNSET_POLICY)
    , rowWrapPolicy(UNSET_POLICY)
    , hasHfw(0)
    , dirty(1)
    , sizesDirty(1)
    , expandVertical(0)
    , expandHorizontal(0)
{
}

KDSynchronizedFormLayout::Private::GroupView::GroupView(Private* d)
    : m_d(d)
{
    m_d->rebuildGroupView();
    m_d->matrix.setGroupViewEnabled(true);
}

KDSynchronizedFormLayout::Private::GroupView::~GroupView()
{
    m_d->matrix.setGroupViewEnabled(false);
}

void KDSynchronizedFormLayout::Private::rebuildGroupView()
{
    // Taken afresh from the living members, so a member destroyed since the last invalidation
    // is skipped rather than read.
    QVector<ItemMatrix::Storage*> storages;
    storages.reserve(group.size());
    for (const QPointer<KDSynchronizedFormLayout>& member : group) {
        if (member)
            storages.append(&member->d->matrix.storage());
    }
    matrix.setGroup(storages);
}

QStyle* KDSynchronizedFormLayout::Private::style() const
{
    if (QWidget* parent = q->parentWidget())
        return parent->style();
    return QApplication::style();
}

int KDSynchronizedFormLayout::Private::insertRow(int row)
{
    const int rows = matrix.rowCount();
    if (row < 0 || row > rows)
        row = rows;
    insertRows(row, 1);
    return row;
}

void KDSynchronizedFormLayout::Private::insertRows(int row, int count)
{
    while (count-- > 0)
        matrix.insertRow(row, nullptr);
}

bool KDSynchronizedFormLayout::Private::setItem(int row, ItemRole role, QLayoutItem* item)
{
    const int column = role == SpanningRole ? 1 : int(role);
    if (row < 0 || row >= matrix.rowCount() || column < 0 || column > 1) {
        qWarning("KDSynchronizedFormLayout::Private::setItem: Invalid cell (%d, %d)", row, column);
        return false;
    }
    if (!item)
        return false;
    if (matrix(row, column)) {
        qWarning("KDSynchronizedFormLayout::Private::setItem: Cell (%d, %d) already occupied", row,
                 column);
        return false;
    }
    auto* record = new Item(item);
    record->fullRow = role == SpanningRole;
    matrix(row, column) = record;
    things.append(record);
    return true;
}

void KDSynchronizedFormLayout::Private::setWidget(int row, ItemRole role, QWidget* widget)
{
    if (!widget)
        return;
    q->addChildWidget(widget);
    auto* wrapper = new QWidgetItemV2(widget);
    // The wrapper is ours until placed; an unplaced one would otherwise leak.
    if (!setItem(row, role, wrapper))
        delete wrapper;
}

void KDSynchronizedFormLayout::Private::setLayout(int row, ItemRole role, QLayout* layout)
{
    if (!layout)
        return;
    q->addChildLayout(layout);
    setItem(row, role, layout);
}

bool KDSynchronizedFormLayout::Private::checkWidget(const QWidget* widget) const
{
    return checkField(widget, q);
}

bool KDSynchronizedFormLayout::Private::checkLayout(const QLayout* layout) const
{
    return checkField(layout, q);
}

void KDSynchronizedFormLayout::Private::updateSizes()
{
    if (!sizesDirty)
        return;

    const RowWrapPolicy wrapPolicy = q->rowWrapPolicy();
    const bool wrapAllRows = wrapPolicy == WrapAllRows;
    const FieldGrowthPolicy growth = q->fieldGrowthPolicy();
    const int userVSpacing = q->verticalSpacing();
    const int userHSpacing = wrapAllRows ? 0 : q->horizontalSpacing();
    QWidget* parent = q->parentWidget();
    QStyle* style = parent ? parent->style() : nullptr;

    bool hfw = false;
    bool expandH = false;
    bool expandV = false;
    int maxMinLblWidth = 0;
    int maxMinFldWidth = 0;  // fields with a label, plus their spacing
    int maxMinIfldWidth = 0; // fields on their own
    int maxShLblWidth = 0;
    int maxShFldWidth = 0;
    int maxShIfldWidth = 0;

    {
        GroupView view(this);
        const Item* prevLbl = nullptr;
        const Item* prevFld = nullptr;
        auto noteGrowth = [&](const Item* item) {
            hfw = hfw || item->isHfw;
            const Qt::Orientations o = item->expandingDirections();
            expandV = expandV || (o & Qt::Vertical);
            expandH = expandH || (o & Qt::Horizontal);
        };
        forEachRow(matrix, [&](Item* label, Item* field) {
            if (label) {
                updateFormLayoutItem(label, userVSpacing, growth, false, true);
                noteGrowth(label);
            }
            if (field) {
                const bool spansAlone = !label && field->fullRow;
                updateFormLayoutItem(field, userVSpacing, growth, spansAlone, false);
                field->sbsHSpace = spansAlone ? 0 : userHSpacing;
                noteGrowth(field);
            }

            if ((userHSpacing < 0 || userVSpacing < 0) && style) {
                if (userVSpacing < 0) {
                    if (wrapAllRows) {
                        const Item* lblTop = prevFld ? prevFld : prevLbl;
                        const Item* fldTop = label ? label : lblTop;
                        if (label && lblTop)
                            label->vSpace = combinedVerticalSpacing(style, lblTop, label, parent);
                        if (field && fldTop)
                            field->vSpace = combinedVerticalSpacing(style, fldTop, field, parent);
                    } else {
                        // Side by side: compare lone cells with both cells above.
                        const Item* lblTop = prevLbl ? prevLbl : prevFld;
                        const Item* fldTop = prevFld;
                        auto spaceAbove = [&](Item* item, bool alone, const Item* top) {
                            item->vSpace = alone
                                ? qMax(combinedVerticalSpacing(style, lblTop, item, parent),
                                       combinedVerticalSpacing(style, fldTop, item, parent))
                                : combinedVerticalSpacing(style, top, item, parent);
                        };
                        if (label)
                            spaceAbove(label, !field, lblTop);
                        if (field)
                            spaceAbove(field, !label, fldTop);
                    }
                }
                // One fixed pair of control types, so every row's fields start alike.
                if (userHSpacing < 0 && !wrapAllRows && field && (label || !field->fullRow))
                    field->sbsHSpace = style->combinedLayoutSpacing(
                        QSizePolicy::Label, QSizePolicy::LineEdit, Qt::Horizontal, nullptr, parent);
            }

            if (label) {
                maxMinLblWidth = qMax(maxMinLblWidth, label->minSize.width());
                maxShLblWidth = qMax(maxShLblWidth, label->sizeHint.width());
                if (field) {
                    maxMinFldWidth = qMax(maxMinFldWidth, field->minSize.width() + field->sbsHSpace);
                    maxShFldWidth = qMax(maxShFldWidth, field->sizeHint.width() + field->sbsHSpace);
                }
            } else {
                maxMinIfldWidth = qMax(maxMinIfldWidth, field->minSize.width());
                maxShIfldWidth = qMax(maxShIfldWidth, field->sizeHint.width());
            }
            prevLbl = label;
            prevFld = field;
        });
    }

    if (wrapAllRows) {
        shWidth = qMax(maxShLblWidth, qMax(maxShIfldWidth, maxShFldWidth));
        minWidth = qMax(maxMinLblWidth, qMax(maxMinIfldWidth, maxMinFldWidth));
        threshWidth = 0;
    } else if (wrapPolicy == DontWrapRows) {
        shWidth = qMax(maxShLblWidth + maxShFldWidth, maxShIfldWidth);
        minWidth = qMax(maxMinLblWidth + maxMinFldWidth, maxMinIfldWidth);
        threshWidth = WIDGET_SIZE_MAX;
    } else {
        shWidth = qMax(maxShLblWidth + maxShFldWidth, maxShIfldWidth);
        // The minimum is that of a fully wrapped form, or wrapping would never be asked for.
        minWidth = qMax(maxMinLblWidth, qMax(maxMinIfldWidth, maxMinFldWidth));
        threshWidth = maxShLblWidth + maxMinFldWidth;
    }
    hasHfw = hfw;
    expandVertical = expandV;
    expandHorizontal = expandH;
    sizesDirty = 0;
}

void KDSynchronizedFormLayout::Private::setupVerticalLayoutData(int width)
{
    if (!dirty && !sizesDirty
        && (width == layoutWidth || (width >= threshWidth && layoutWidth >= threshWidth)))
        return;

    layoutWidth = width;
    const RowWrapPolicy wrapPolicy = q->rowWrapPolicy();
    const bool wrapAllRows = wrapPolicy == WrapAllRows;

    {
        GroupView view(this);
        vLayouts.clear();
        vLayouts.resize(2 * matrix.rowCount() + 2);
    }

    QStyle* style = nullptr;
    const int userVSpacing = q->verticalSpacing();
    if (userVSpacing < 0) {
        if (QWidget* parent = q->parentWidget())
            style = parent->style();
    }

    updateSizes();

    // The shared label column: the widest label of the group that leaves room for its field.
    maxLabelWidth = 0;
    if (!wrapAllRows) {
        GroupView view(this);
        forEachRow(matrix, [&](const Item* label, const Item* field) {
            if (label && label->sizeHint.width() + (field ? field->minSize.width() : 0) <= width)
                maxLabelWidth = qMax(maxLabelWidth, label->sizeHint.width());
        });
    } else {
        maxLabelWidth = width;
    }

    QWidget* parent = q->parentWidget();
    int vidx = 1;
    bool addTopBottomStretch = true;
    const Item* prevItem1 = nullptr;
    const Item* prevItem2 = nullptr;
    bool prevRowSplit = false;
    forEachRow(matrix, [&](Item* label, Item* field) {
        const QSize min1 = label ? label->minSize : QSize();
        const QSize sh1 = label ? label->sizeHint : QSize();
        const QSize min2 = field ? field->minSize : QSize();
        const QSize sh2 = field ? field->sizeHint : QSize();

        const bool split = wrapPolicy == WrapLongRows
                           && (maxLabelWidth < sh1.width() || width < maxLabelWidth + min2.width());

        if (wrapAllRows || split) {
            for (Item* item : {label, field}) {
                if (!item)
                    continue;
                initLayoutStruct(vLayouts[vidx], item);
                if (vidx > 1)
                    vLayouts[vidx - 1].spacing =
                        spacingHelper(parent, style, userVSpacing, split || prevRowSplit, item,
                                      nullptr, prevItem1, prevItem2);
                item->vLayoutIndex = vidx;
                item->sideBySide = false;
                prevItem1 = item;
                prevItem2 = nullptr;
                if (vLayouts[vidx].stretch > 0)
                    addTopBottomStretch = false;
                ++vidx;
            }
            prevRowSplit = split;
        } else {
            QSize max1(WIDGET_SIZE_MAX, WIDGET_SIZE_MAX);
            QSize max2(WIDGET_SIZE_MAX, WIDGET_SIZE_MAX);
            int stretch1 = 0;
            int stretch2 = 0;
            bool expanding = false;
            if (label) {
                max1 = label->maxSize;
                expanding = expanding || (label->expandingDirections() & Qt::Vertical);
                label->sideBySide = field != nullptr;
                label->vLayoutIndex = vidx;
                stretch1 = label->verticalStretch();
            }
            if (field) {
                max2 = field->maxSize;
                expanding = expanding || (field->expandingDirections() & Qt::Vertical);
                field->sideBySide = label || !field->fullRow;
                field->vLayoutIndex = vidx;
                stretch2 = field->verticalStretch();
            }
            KDLayoutStruct& entry = vLayouts[vidx];
            entry.init(qMax(stretch1, stretch2), qMax(min1.height(), min2.height()));
            entry.sizeHint = qMax(sh1.height(), sh2.height());
            entry.maximumSize = qMin(max1.height(), max2.height());
            entry.expansive = expanding || entry.stretch > 0;
            entry.empty = false;
            if (entry.stretch > 0)
                addTopBottomStretch = false;
            if (vidx > 1)
                vLayouts[vidx - 1].spacing = spacingHelper(parent, style, userVSpacing, prevRowSplit,
                                                           label, field, prevItem1, prevItem2);
            if (label) {
                prevItem1 = label;
                prevItem2 = field;
            } else {
                prevItem1 = field;
                prevItem2 = nullptr;
            }
            prevRowSplit = false;
            ++vidx;
        }
    });

    if (addTopBottomStretch) {
        const Qt::Alignment alignment = q->formAlignment();
        if (!(alignment & Qt::AlignBottom)) {
            vLayouts[vidx].init(1, 0);
            vLayouts[vidx].expansive = true;
            ++vidx;
        }
        if (alignment & (Qt::AlignVCenter | Qt::AlignBottom)) {
            vLayouts[0].init(1, 0);
            vLayouts[0].expansive = true;
        } else {
            vLayouts[0].init(0, 0);
        }
    } else {
        vLayouts[0].init(0, 0);
    }
    vLayoutCount = vidx;
    dirty = 0;
}

void KDSynchronizedFormLayout::Private::setupHorizontalLayoutData(int width)
{
    const bool wrapAllRows = q->rowWrapPolicy() == WrapAllRows;
    int fieldMaxWidth = 0;
    {
        GroupView view(this);
        forEachRow(matrix, [&](Item* label, Item* field) {
            if (label) {
                label->layoutWidth = (field && label->sideBySide) ? maxLabelWidth : label->sizeHint.width();
                label->layoutPos = 0;
            }
            if (field) {
                const int fieldWidth = width - maxLabelWidth - field->sbsHSpace;
                if (!field->sideBySide
                    && (wrapAllRows || (!label && field->fullRow) || field->sizeHint.width() > fieldWidth)) {
                    field->layoutWidth = width;
                    field->layoutPos = 0;
                } else {
                    // Split rows still line up with the other fields when they fit.
                    field->layoutWidth = fieldWidth;
                    field->layoutPos = width - fieldWidth;
                }
                fieldMaxWidth = qMax(fieldMaxWidth, field->maxSize.width());
            }
        });
    }
    formMaxWidth = maxLabelWidth + fieldMaxWidth;
}

void KDSynchronizedFormLayout::Private::setupHfwLayoutData()
{
    hfwLayouts = vLayouts.mid(0, vLayoutCount);
    hfwLayouts.resize(vLayoutCount);

    forEachRow(matrix, [&](const Item* label, const Item* field) {
        if (label) {
            KDLayoutStruct& entry = hfwLayouts[label->vLayoutIndex];
            if (label->isHfw) {
                const int hfw = label->heightForWidth(label->layoutWidth);
                entry.minimumSize = hfw;
                entry.sizeHint = hfw;
            } else {
                // Reset, so that the field's heights below are compared with the label's own.
                entry.sizeHint = label->sizeHint.height();
                entry.minimumSize = label->minSize.height();
            }
        }
        if (field) {
            KDLayoutStruct& entry = hfwLayouts[field->vLayoutIndex];
            const int hfw = field->isHfw ? field->heightForWidth(field->layoutWidth) : 0;
            const int h = field->isHfw ? hfw : field->sizeHint.height();
            const int mh = field->isHfw ? hfw : field->minSize.height();
            if (field->sideBySide) {
                entry.sizeHint = qMax(h, entry.sizeHint);
                entry.minimumSize = qMax(mh, entry.minimumSize);
            } else {
                entry.sizeHint = h;
                entry.minimumSize = mh;
            }
        }
    });
}

void KDSynchronizedFormLayout::Private::recalcHFW(int width)
{
    setupHfwLayoutData();
    int h = 0;
    for (int r = 0; r < vLayoutCount; ++r)
        h += hfwLayouts.at(r).sizeHint + hfwLayouts.at(r).spacing;
    h = qMin(h, int(KDLayoutStruct::MAX_SIZE));
    if (shWidth > 0 && shWidth == width) {
        hfwShHeight = h;
    } else {
        hfwWidth = width;
        hfwHeight = h;
    }
}

bool KDSynchronizedFormLayout::Private::haveHfwCached(int width) const
{
    return width == hfwWidth || (width == shWidth && hfwShHeight >= 0);
}

void KDSynchronizedFormLayout::Private::calcSizeHints()
{
    const QMargins margins = q->contentsMargins();
    updateSizes();
    setupVerticalLayoutData(KDLayoutStruct::MAX_SIZE);

    int h = margins.top() + margins.bottom();
    int mh = h;
    const int w = shWidth + margins.left() + margins.right();
    const int mw = minWidth + margins.left() + margins.right();
    for (int i = 0; i < vLayoutCount; ++i) {
        const KDLayoutStruct& entry = vLayouts.at(i);
        h += entry.sizeHint + entry.spacing;
        mh += entry.minimumSize + entry.spacing;
    }
    const int cap = KDLayoutStruct::MAX_SIZE;
    minSize = QSize(qMin(mw, cap), qMin(mh, cap));
    prefSize = QSize(qMin(w, cap), qMin(h, cap));
}

void KDSynchronizedFormLayout::Private::arrangeWidgets(const QVector<KDLayoutStruct>& layouts,
                                                       const QRect& rect)
{
    const QWidget* parent = q->parentWidget();
    const Qt::LayoutDirection direction =
        parent ? parent->layoutDirection() : QGuiApplication::layoutDirection();
    const Qt::Alignment form = fixedAlignment(q->formAlignment(), direction);
    const Qt::Alignment labels = fixedAlignment(q->labelAlignment(), direction);

    int leftOffset = 0;
    const int delta = rect.width() - formMaxWidth;
    if ((form & (Qt::AlignHCenter | Qt::AlignRight)) && delta > 0) {
        leftOffset = delta;
        if (form & Qt::AlignHCenter)
            leftOffset >>= 1;
    }

    forEachRow(matrix, [&](Item* label, Item* field) {
        if (label) {
            const KDLayoutStruct& entry = layouts.at(label->vLayoutIndex);
            int height = entry.size;
            if (!(label->expandingDirections() & Qt::Vertical)) {
                // Beside a tall field a label sits near the top, with a little room above.
                height = qMin(height, qMin(label->sizeHint.height() * 7 / 4, label->maxSize.height()));
            }
            const QSize size(qMin(label->layoutWidth, label->sizeHint.width()), height);
            int x = leftOffset + rect.x() + label->layoutPos;
            if (labels & Qt::AlignRight)
                x += label->layoutWidth - size.width();
            label->setGeometry(QStyle::visualRect(direction, rect, QRect(QPoint(x, entry.pos), size)));
        }
        if (field) {
            const KDLayoutStruct& entry = layouts.at(field->vLayoutIndex);
            QSize size(field->layoutWidth, entry.size);
            if (field->maxSize.isValid())
                size = size.boundedTo(field->maxSize);
            const QPoint p(field->layoutPos + leftOffset + rect.x(), entry.pos);
            field->setGeometry(QStyle::visualRect(direction, rect, QRect(p, size)));
        }
    });
}

#include "style/KDSynchronizedFormLayout.h"

#include "style/KDGeomCalc.h"
#include "style/KDSynchronizedFormLayoutPrivate.h"

#include <QLabel>
#include <QStyle>
#include <QWidget>

KDSynchronizedFormLayout::KDSynchronizedFormLayout(QWidget* parent)
    : QLayout(parent)
    , d(new Private(this))
{
}

KDSynchronizedFormLayout::~KDSynchronizedFormLayout()
{
    // Forget the items first, so nothing asks this layout about them while they go.
    d->things.clear();
    qDeleteAll(d->matrix.storage());
    d->matrix.clear();
    delete d;
    d = nullptr;
}

void KDSynchronizedFormLayout::setSynchronizedLayouts(const QVector<KDSynchronizedFormLayout*>& layouts)
{
    if (layouts == synchronizedLayouts())
        return;
    d->group.clear();
    d->group.reserve(layouts.size());
    for (KDSynchronizedFormLayout* layout : layouts)
        d->group.append(layout);
    invalidate();
}

void KDSynchronizedFormLayout::setSynchronizedLayout(KDSynchronizedFormLayout* layout)
{
    setSynchronizedLayouts({layout});
}

QVector<KDSynchronizedFormLayout*> KDSynchronizedFormLayout::synchronizedLayouts() const
{
    QVector<KDSynchronizedFormLayout*> layouts;
    layouts.reserve(d->group.size());
    for (const QPointer<KDSynchronizedFormLayout>& member : d->group)
        layouts.append(member.data());
    return layouts;
}

void KDSynchronizedFormLayout::addRow(QWidget* label, QWidget* field)
{
    insertRow(-1, label, field);
}

void KDSynchronizedFormLayout::addRow(QWidget* label, QLayout* field)
{
    insertRow(-1, label, field);
}

void KDSynchronizedFormLayout::addRow(const QString& labelText, QWidget* field)
{
    insertRow(-1, labelText, field);
}

void KDSynchronizedFormLayout::addRow(const QString& labelText, QLayout* field)
{
    insertRow(-1, labelText, field);
}

void KDSynchronizedFormLayout::addRow(QWidget* widget)
{
    insertRow(-1, widget);
}

void KDSynchronizedFormLayout::addRow(QLayout* layout)
{
    insertRow(-1, layout);
}

void KDSynchronizedFormLayout::insertRow(int row, QWidget* label, QWidget* field)
{
    row = d->insertRow(row);
    if (label)
        d->setWidget(row, LabelRole, label);
    if (field)
        d->setWidget(row, FieldRole, field);
    invalidate();
}

void KDSynchronizedFormLayout::insertRow(int row, QWidget* label, QLayout* field)
{
    row = d->insertRow(row);
    if (label)
        d->setWidget(row, LabelRole, label);
    if (field)
        d->setLayout(row, FieldRole, field);
    invalidate();
}

namespace {

// A row's label shows its text as it is, never as markup; none for an empty text.
QLabel* plainLabel(const QString& text)
{
    if (text.isEmpty())
        return nullptr;
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setText(text); // plain field
    return label;
}

} // namespace

void KDSynchronizedFormLayout::insertRow(int row, const QString& labelText, QWidget* field)
{
    QLabel* label = plainLabel(labelText);
    if (label)
        label->setBuddy(field);
    insertRow(row, label, field);
}

void KDSynchronizedFormLayout::insertRow(int row, const QString& labelText, QLayout* field)
{
    insertRow(row, plainLabel(labelText), field);
}

void KDSynchronizedFormLayout::insertRow(int row, QWidget* widget)
{
    if (!d->checkWidget(widget))
        return;
    row = d->insertRow(row);
    d->setWidget(row, SpanningRole, widget);
    invalidate();
}

void KDSynchronizedFormLayout::insertRow(int row, QLayout* layout)
{
    if (!d->checkLayout(layout))
        return;
    row = d->insertRow(row);
    d->setLayout(row, SpanningRole, layout);
    invalidate();
}

void KDSynchronizedFormLayout::addItem(QLayoutItem* item)
{
    const int row = d->insertRow(d->matrix.rowCount());
    d->setItem(row, FieldRole, item);
    invalidate();
}

void KDSynchronizedFormLayout::setItem(int row, ItemRole role, QLayoutItem* item)
{
    const int rows = rowCount();
    if (row >= rows)
        d->insertRows(rows, row - rows + 1);
    d->setItem(row, role, item);
}

void KDSynchronizedFormLayout::setWidget(int row, ItemRole role, QWidget* widget)
{
    const int rows = rowCount();
    if (row >= rows)
        d->insertRows(rows, row - rows + 1);
    d->setWidget(row, role, widget);
}

void KDSynchronizedFormLayout::setLayout(int row, ItemRole role, QLayout* layout)
{
    const int rows = rowCount();
    if (row >= rows)
        d->insertRows(rows, row - rows + 1);
    d->setLayout(row, role, layout);
}

QLayoutItem* KDSynchronizedFormLayout::takeAt(int index)
{
    KDSynchronizedFormLayoutItem* record = d->things.value(index);
    int row = -1;
    int column = -1;
    if (!d->matrix.find(record, &row, &column)) {
        qWarning("KDSynchronizedFormLayout::takeAt: Invalid index %d", index);
        return nullptr;
    }
    d->things.removeAt(index);
    d->matrix(row, column) = nullptr;
    invalidate();

    QLayoutItem* item = record->item;
    record->item = nullptr;
    delete record;
    // The caller owns a taken nested layout now; it must not die with this one.
    if (QLayout* layout = item->layout()) {
        if (layout->parent() == this)
            layout->setParent(nullptr);
    }
    return item;
}

int KDSynchronizedFormLayout::count() const
{
    return int(d->things.size());
}

QLayoutItem* KDSynchronizedFormLayout::itemAt(int index) const
{
    if (const KDSynchronizedFormLayoutItem* record = d->things.value(index))
        return record->item;
    return nullptr;
}

QLayoutItem* KDSynchronizedFormLayout::itemAt(int row, ItemRole role) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    switch (role) {
    case SpanningRole:
        if (const KDSynchronizedFormLayoutItem* record = d->matrix(row, 1)) {
            if (record->fullRow)
                return record->item;
        }
        break;
    case LabelRole:
    case FieldRole:
        if (const KDSynchronizedFormLayoutItem* record = d->matrix(row, role == LabelRole ? 0 : 1))
            return record->item;
        break;
    }
    return nullptr;
}

void KDSynchronizedFormLayout::getItemPosition(int index, int* rowPtr, ItemRole* rolePtr) const
{
    int row = -1;
    int column = -1;
    d->matrix.find(d->things.value(index), &row, &column);
    if (rowPtr)
        *rowPtr = row;
    if (rolePtr && column != -1) {
        const bool spanning = column == 1 && d->matrix(row, column)->fullRow;
        *rolePtr = spanning ? SpanningRole : ItemRole(column);
    }
}

void KDSynchronizedFormLayout::getWidgetPosition(QWidget* widget, int* row, ItemRole* role) const
{
    getItemPosition(indexOf(widget), row, role);
}

void KDSynchronizedFormLayout::getLayoutPosition(QLayout* layout, int* row, ItemRole* role) const
{
    const int n = count();
    int index = 0;
    while (index < n && itemAt(index) != layout)
        ++index;
    getItemPosition(index, row, role);
}

QWidget* KDSynchronizedFormLayout::labelForField(QWidget* field) const
{
    int row = -1;
    ItemRole role = LabelRole;
    getWidgetPosition(field, &row, &role);
    if (row != -1 && role == FieldRole) {
        if (const KDSynchronizedFormLayoutItem* label = d->matrix(row, 0))
            return label->widget();
    }
    return nullptr;
}

QWidget* KDSynchronizedFormLayout::labelForField(QLayout* field) const
{
    int row = -1;
    ItemRole role = LabelRole;
    getLayoutPosition(field, &row, &role);
    if (row != -1 && role == FieldRole) {
        if (const KDSynchronizedFormLayoutItem* label = d->matrix(row, 0))
            return label->widget();
    }
    return nullptr;
}

int KDSynchronizedFormLayout::rowCount() const
{
    return d->matrix.rowCount();
}

void KDSynchronizedFormLayout::setFieldGrowthPolicy(FieldGrowthPolicy policy)
{
    if (d->fieldGrowthPolicy != unsigned(policy)) {
        d->fieldGrowthPolicy = unsigned(policy);
        invalidate();
    }
}

KDSynchronizedFormLayout::FieldGrowthPolicy KDSynchronizedFormLayout::fieldGrowthPolicy() const
{
    if (d->fieldGrowthPolicy == Private::UNSET_POLICY)
        return FieldGrowthPolicy(d->style()->styleHint(QStyle::SH_FormLayoutFieldGrowthPolicy));
    return FieldGrowthPolicy(d->fieldGrowthPolicy);
}

void KDSynchronizedFormLayout::resetFieldGrowthPolicy()
{
    d->fieldGrowthPolicy = Private::UNSET_POLICY;
}

void KDSynchronizedFormLayout::setRowWrapPolicy(RowWrapPolicy policy)
{
    if (d->rowWrapPolicy != unsigned(policy)) {
        d->rowWrapPolicy = unsigned(policy);
        invalidate();
    }
}

KDSynchronizedFormLayout::RowWrapPolicy KDSynchronizedFormLayout::rowWrapPolicy() const
{
    if (d->rowWrapPolicy == Private::UNSET_POLICY)
        return RowWrapPolicy(d->style()->styleHint(QStyle::SH_FormLayoutWrapPolicy));
    return RowWrapPolicy(d->rowWrapPolicy);
}

void KDSynchronizedFormLayout::resetRowWrapPolicy()
{
    d->rowWrapPolicy = Private::UNSET_POLICY;
}

void KDSynchronizedFormLayout::setLabelAlignment(Qt::Alignment alignment)
{
    if (d->labelAlignment != alignment) {
        d->labelAlignment = alignment;
        invalidate();
    }
}

Qt::Alignment KDSynchronizedFormLayout::labelAlignment() const
{
    if (!d->labelAlignment)
        return Qt::Alignment(d->style()->styleHint(QStyle::SH_FormLayoutLabelAlignment));
    return d->labelAlignment;
}

void KDSynchronizedFormLayout::resetLabelAlignment()
{
    d->labelAlignment = Qt::Alignment();
}

void KDSynchronizedFormLayout::setFormAlignment(Qt::Alignment alignment)
{
    if (d->formAlignment != alignment) {
        d->formAlignment = alignment;
        invalidate();
    }
}

Qt::Alignment KDSynchronizedFormLayout::formAlignment() const
{
    if (!d->formAlignment)
        return Qt::Alignment(d->style()->styleHint(QStyle::SH_FormLayoutFormAlignment));
    return d->formAlignment;
}

void KDSynchronizedFormLayout::resetFormAlignment()
{
    d->formAlignment = Qt::Alignment();
}

namespace {

// The stored spacing, else the parent widget's style metric, else the parent layout's spacing.
int smartSpacing(const QLayout* layout, QStyle::PixelMetric metric)
{
    QObject* parent = layout->parent();
    if (!parent)
        return -1;
    if (parent->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(parent);
        return widget->style()->pixelMetric(metric, nullptr, widget);
    }
    return static_cast<QLayout*>(parent)->spacing();
}

} // namespace

void KDSynchronizedFormLayout::setHorizontalSpacing(int spacing)
{
    if (spacing != d->hSpacing) {
        d->hSpacing = spacing;
        invalidate();
    }
}

int KDSynchronizedFormLayout::horizontalSpacing() const
{
    return d->hSpacing >= 0 ? d->hSpacing : smartSpacing(this, QStyle::PM_LayoutHorizontalSpacing);
}

void KDSynchronizedFormLayout::setVerticalSpacing(int spacing)
{
    if (spacing != d->vSpacing) {
        d->vSpacing = spacing;
        invalidate();
    }
}

int KDSynchronizedFormLayout::verticalSpacing() const
{
    return d->vSpacing >= 0 ? d->vSpacing : smartSpacing(this, QStyle::PM_LayoutVerticalSpacing);
}

void KDSynchronizedFormLayout::setSpacing(int spacing)
{
    d->vSpacing = d->hSpacing = spacing;
    invalidate();
}

int KDSynchronizedFormLayout::spacing() const
{
    const int h = horizontalSpacing();
    return h == verticalSpacing() ? h : -1;
}

void KDSynchronizedFormLayout::invalidate()
{
    d->rebuildGroupView();
    // Stops the spreading through groups at layouts not laid out since their last invalidation.
    if (d->dirty && d->sizesDirty)
        return;

    d->dirty = 1;
    d->sizesDirty = 1;
    d->minSize = QSize();
    d->prefSize = QSize();
    d->formMaxWidth = -1;
    d->hfwWidth = -1;
    d->shWidth = -1;
    d->layoutWidth = -1;
    d->hfwShHeight = -1;
    QLayout::invalidate();

    const QVector<QPointer<KDSynchronizedFormLayout>> group = d->group;
    for (const QPointer<KDSynchronizedFormLayout>& member : group) {
        if (member)
            member->invalidate();
    }
}

Qt::Orientations KDSynchronizedFormLayout::expandingDirections() const
{
    d->updateSizes();
    Qt::Orientations o;
    if (d->expandHorizontal)
        o |= Qt::Horizontal;
    if (d->expandVertical)
        o |= Qt::Vertical;
    return o;
}

bool KDSynchronizedFormLayout::hasHeightForWidth() const
{
    d->updateSizes();
    return d->hasHfw || rowWrapPolicy() == WrapLongRows;
}

int KDSynchronizedFormLayout::heightForWidth(int width) const
{
    if (!hasHeightForWidth())
        return -1;
    const QMargins margins = contentsMargins();
    const int target = width - margins.left() - margins.right();
    if (!d->haveHfwCached(target)) {
        d->setupVerticalLayoutData(target);
        d->setupHorizontalLayoutData(target);
        d->recalcHFW(target);
    }
    const int h = target == d->shWidth ? d->hfwShHeight : d->hfwHeight;
    return h + margins.top() + margins.bottom();
}

QSize KDSynchronizedFormLayout::minimumSize() const
{
    if (!(d->minSize.width() >= 0 && d->minSize.height() >= 0))
        d->calcSizeHints();
    return d->minSize;
}

QSize KDSynchronizedFormLayout::sizeHint() const
{
    if (!(d->prefSize.width() >= 0 && d->prefSize.height() >= 0))
        d->calcSizeHints();
    return d->prefSize;
}

void KDSynchronizedFormLayout::setGeometry(const QRect& rect)
{
    if (!d->dirty && rect == geometry())
        return;

    const QRect content = rect.marginsRemoved(contentsMargins());
    const bool hfw = hasHeightForWidth();
    d->setupVerticalLayoutData(content.width());
    d->setupHorizontalLayoutData(content.width());
    if (hfw && (!d->haveHfwCached(content.width()) || d->hfwLayouts.size() != d->vLayoutCount))
        d->recalcHFW(content.width());
    QVector<KDLayoutStruct>& layouts = hfw ? d->hfwLayouts : d->vLayouts;
    kdGeomCalc(layouts, 0, d->vLayoutCount, content.y(), content.height(), -1);
    d->arrangeWidgets(layouts, content);
    QLayout::setGeometry(rect);
}

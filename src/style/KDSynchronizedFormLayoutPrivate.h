#pragma once

#include "style/FixedColumnMatrix.h"
#include "style/KDLayoutStruct.h"
#include "style/KDSynchronizedFormLayout.h"
#include "style/KDSynchronizedFormLayoutItem.h"

#include <QList>
#include <QPointer>
#include <QSize>
#include <QVector>

class QStyle;

// State and passes of one KDSynchronizedFormLayout. The size update, the label-column width and
// the horizontal pass run over the group rows (own rows, then each member's); everything else
// over the own rows.
class KDSynchronizedFormLayout::Private
{
public:
    using ItemMatrix = FixedColumnMatrix<KDSynchronizedFormLayoutItem*, 2>;

    static constexpr unsigned UNSET_POLICY = 255;

    explicit Private(KDSynchronizedFormLayout* owner);

    // Turns the group view on for its lifetime.
    class GroupView
    {
    public:
        explicit GroupView(Private* d);
        ~GroupView();
        GroupView(const GroupView&) = delete;
        GroupView& operator=(const GroupView&) = delete;

    private:
        Private* m_d;
    };

    // Inserts one empty row at `row` (outside 0..rowCount() appends); returns the row used.
    int insertRow(int row);
    void insertRows(int row, int count);
    // False when the cell is invalid or occupied (the item is then not adopted) or item is null.
    bool setItem(int row, ItemRole role, QLayoutItem* item);
    void setWidget(int row, ItemRole role, QWidget* widget);
    void setLayout(int row, ItemRole role, QLayout* layout);
    bool checkWidget(const QWidget* widget) const;
    bool checkLayout(const QLayout* layout) const;
    QStyle* style() const;
    void rebuildGroupView();

    void updateSizes();
    void setupVerticalLayoutData(int width);
    void setupHorizontalLayoutData(int width);
    void setupHfwLayoutData();
    void recalcHFW(int width);
    bool haveHfwCached(int width) const;
    void calcSizeHints();
    void arrangeWidgets(const QVector<KDLayoutStruct>& layouts, const QRect& rect);

    KDSynchronizedFormLayout* q;
    QVector<QPointer<KDSynchronizedFormLayout>> group;

    unsigned fieldGrowthPolicy : 8;
    unsigned rowWrapPolicy : 8;
    unsigned hasHfw : 2;
    unsigned dirty : 2;
    unsigned sizesDirty : 2;
    unsigned expandVertical : 1;
    unsigned expandHorizontal : 1;

    Qt::Alignment labelAlignment;
    Qt::Alignment formAlignment;

    ItemMatrix matrix;
    // Insertion order: the index of itemAt(int), takeAt and count.
    QList<KDSynchronizedFormLayoutItem*> things;

    int layoutWidth = -1;   // width of the last vertical pass
    int hfwWidth = -1;      // width of the last height-for-width computation
    int hfwHeight = -1;     // its height
    int hfwShHeight = -1;   // height for the preferred width
    int minWidth = -1;      // from the size update, without margins
    int shWidth = -1;
    int threshWidth = KDLayoutStruct::MAX_SIZE;
    QSize minSize;
    QSize prefSize;
    int formMaxWidth = -1;
    QVector<KDLayoutStruct> vLayouts;
    int vLayoutCount = 0;
    int maxLabelWidth = 0;
    QVector<KDLayoutStruct> hfwLayouts;

    int hSpacing = -1;
    int vSpacing = -1;
};

#include "style/KDGeomCalc.h"
#include "style/KDSynchronizedFormLayout.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <vector>

namespace {

using GeometryForm = KDSynchronizedFormLayout;

QVector<KDLayoutStruct> chainOf(int n, int minimum, int hint, int spacing = 0)
{
    QVector<KDLayoutStruct> chain(n);
    for (KDLayoutStruct& entry : chain) {
        entry.init(0, minimum);
        entry.sizeHint = hint;
        entry.empty = false;
        entry.spacing = spacing;
    }
    return chain;
}

std::vector<int> sizesOf(const QVector<KDLayoutStruct>& chain)
{
    std::vector<int> sizes;
    for (const KDLayoutStruct& entry : chain)
        sizes.push_back(entry.size);
    return sizes;
}

std::vector<int> positionsOf(const QVector<KDLayoutStruct>& chain)
{
    std::vector<int> positions;
    for (const KDLayoutStruct& entry : chain)
        positions.push_back(entry.pos);
    return positions;
}

// A label stand-in of a fixed size.
QWidget* fixedWidget(int w, int h = 20)
{
    auto* widget = new QWidget;
    widget->setFixedSize(w, h);
    return widget;
}

// A field that grows sideways only.
QWidget* field(int minWidth = 30, int h = 20)
{
    auto* widget = new QWidget;
    widget->setMinimumSize(minWidth, h);
    widget->setMaximumHeight(h);
    return widget;
}

// A form with known margins, spacings and alignments on its own host.
struct Host
{
    Host()
        : form(new GeometryForm(&widget))
    {
        form->setContentsMargins(0, 0, 0, 0);
        form->setHorizontalSpacing(6);
        form->setVerticalSpacing(4);
        form->setLabelAlignment(Qt::AlignRight);
        form->setFormAlignment(Qt::AlignLeft | Qt::AlignTop);
        form->setRowWrapPolicy(GeometryForm::DontWrapRows);
        form->setFieldGrowthPolicy(GeometryForm::AllNonFixedFieldsGrow);
    }
    void layOut(int w = 300, int h = 200) { form->setGeometry(QRect(0, 0, w, h)); }

    QWidget widget;
    GeometryForm* form;
};

} // namespace

TEST(KdGeomCalcTest, BelowMinimumSharesTheDeficitWithTheRemainderCarried)
{
    QVector<KDLayoutStruct> chain = chainOf(3, 10, 10);
    kdGeomCalc(chain, 0, 3, 0, 20, -1);
    EXPECT_EQ(sizesOf(chain), (std::vector<int>{7, 7, 6}));
    EXPECT_EQ(positionsOf(chain), (std::vector<int>{0, 7, 14}));
}

TEST(KdGeomCalcTest, ExtraSpaceFollowsStretchInFixedPoint)
{
    QVector<KDLayoutStruct> chain = chainOf(2, 0, 0);
    chain[0].stretch = 1;
    chain[1].stretch = 3;
    kdGeomCalc(chain, 0, 2, 10, 100, -1);
    EXPECT_EQ(sizesOf(chain), (std::vector<int>{25, 75}));
    EXPECT_EQ(positionsOf(chain), (std::vector<int>{10, 35}));

    // Thirds: rounding leftovers travel on, so the sizes add up to the space.
    QVector<KDLayoutStruct> thirds = chainOf(3, 0, 0);
    for (KDLayoutStruct& entry : thirds)
        entry.stretch = 1;
    kdGeomCalc(thirds, 0, 3, 0, 100, -1);
    EXPECT_EQ(sizesOf(thirds), (std::vector<int>{33, 34, 33}));
}

TEST(KdGeomCalcTest, FixedEntriesSpreadSpareSpaceAsGapsAndSkipGapsAfterZeroHeightRows)
{
    QVector<KDLayoutStruct> chain = chainOf(3, 10, 10, 5);
    for (KDLayoutStruct& entry : chain)
        entry.maximumSize = 10;
    kdGeomCalc(chain, 0, 3, 0, 100, -1);
    // Spare 100 - 30 - 10 = 60 over 2 spacers + 2: gaps of 15.
    EXPECT_EQ(sizesOf(chain), (std::vector<int>{10, 10, 10}));
    EXPECT_EQ(positionsOf(chain), (std::vector<int>{15, 45, 75}));

    // A row that cannot take any height gets neither its spacing nor a gap after it.
    QVector<KDLayoutStruct> hidden = chainOf(3, 10, 10, 5);
    hidden[1].init(0, 0);
    hidden[1].empty = false;
    hidden[1].spacing = 5;
    hidden[1].maximumSize = 0;
    hidden[0].maximumSize = 10;
    hidden[2].maximumSize = 10;
    kdGeomCalc(hidden, 0, 3, 0, 100, -1);
    // Spare 100 - 20 - 10 = 70 (the hidden row's spacing still counts in the sums): gaps of 17.
    EXPECT_EQ(sizesOf(hidden), (std::vector<int>{10, 0, 10}));
    EXPECT_EQ(positionsOf(hidden), (std::vector<int>{17, 49, 49}));
}

TEST(SynchronizedFormGeometryTest, RowsStackWithSpacingAndLabelsAlignRight)
{
    Host host;
    QWidget* label = fixedWidget(40);
    QWidget* wideLabel = fixedWidget(70);
    QWidget* f1 = field();
    QWidget* f2 = field();
    host.form->addRow(label, f1);
    host.form->addRow(wideLabel, f2);
    host.layOut();

    EXPECT_EQ(label->geometry(), QRect(30, 0, 40, 20));
    EXPECT_EQ(wideLabel->geometry(), QRect(0, 24, 70, 20));
    EXPECT_EQ(f1->geometry(), QRect(76, 0, 224, 20));
    EXPECT_EQ(f2->geometry(), QRect(76, 24, 224, 20));
    EXPECT_EQ(host.form->sizeHint(), QSize(70 + 6 + 30, 44));
    EXPECT_EQ(host.form->minimumSize(), QSize(70 + 6 + 30, 44));
}

TEST(SynchronizedFormGeometryTest, GroupSharesTheWidestLabelColumn)
{
    Host a;
    Host b;
    QWidget* fieldA = field();
    QWidget* fieldB = field();
    a.form->addRow(fixedWidget(40), fieldA);
    b.form->addRow(fixedWidget(70), fieldB);

    a.layOut();
    EXPECT_EQ(fieldA->x(), 46); // alone: its own label column

    const QVector<KDSynchronizedFormLayout*> group{a.form, b.form};
    a.form->setSynchronizedLayouts(group);
    b.form->setSynchronizedLayouts(group);
    a.layOut();
    b.layOut();
    EXPECT_EQ(fieldA->x(), 76);
    EXPECT_EQ(fieldB->x(), 76);
    EXPECT_EQ(a.form->sizeHint().width(), b.form->sizeHint().width());

    // Measuring the group leaves each member's own rows alone.
    EXPECT_EQ(a.form->rowCount(), 1);
    EXPECT_EQ(b.form->rowCount(), 1);
    EXPECT_EQ(a.form->count(), 2);
}

TEST(SynchronizedFormGeometryTest, HiddenLabelKeepsItsWidthButTakesNoHeight)
{
    Host host;
    QWidget* hiddenLabel = fixedWidget(90, 30);
    QWidget* f1 = field();
    QWidget* label2 = fixedWidget(40);
    QWidget* f2 = field();
    host.form->addRow(hiddenLabel, f1);
    host.form->addRow(label2, f2);
    hiddenLabel->hide();
    host.layOut();

    EXPECT_EQ(f1->geometry(), QRect(96, 0, 204, 20));
    EXPECT_EQ(f2->x(), 96);
    // The hidden label's maximum height is 0, so its row takes no spacing after it.
    EXPECT_EQ(f2->y(), 20);
    EXPECT_EQ(label2->geometry(), QRect(50, 20, 40, 20));
    // The size hint still counts that spacing.
    EXPECT_EQ(host.form->sizeHint(), QSize(90 + 6 + 30, 20 + 4 + 20));

    hiddenLabel->show();
    host.layOut();
    EXPECT_EQ(f2->y(), 34); // 30 high, then the spacing
}

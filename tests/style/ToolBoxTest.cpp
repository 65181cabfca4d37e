#include "style/KelToolBox.h"
#include "style/KelToolBoxButton.h"

#include "WidgetTestHelpers.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QStyleOptionToolBox>
#include <QTest>
#include <QVBoxLayout>

using namespace WidgetTestHelpers;

namespace {

// A page with a known width hint.
class Page : public QWidget
{
public:
    explicit Page(int hintWidth = 50)
        : m_hintWidth(hintWidth)
    {
    }
    QSize sizeHint() const override { return QSize(m_hintWidth, 30); }

private:
    int m_hintWidth;
};

KelToolBoxButton* headerOf(const KelToolBox& box, int index)
{
    auto* header = qobject_cast<KelToolBoxButton*>(box.layout()->itemAt(2 * index)->widget());
    EXPECT_NE(header, nullptr);
    return header;
}

QStyleOptionToolBox optionOf(const KelToolBoxButton* header)
{
    QStyleOptionToolBox option;
    header->initStyleOption(&option);
    return option;
}

} // namespace

TEST(ToolBoxTest, NewToolBoxIsEmpty)
{
    KelToolBox box(nullptr);
    QWidget stranger;
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(box.widget(0), nullptr);
    EXPECT_EQ(box.indexOf(&stranger), -1);
    EXPECT_EQ(box.indexOf(nullptr), -1);

    auto* layout = qobject_cast<QVBoxLayout*>(box.layout());
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->spacing(), 0);
    EXPECT_EQ(layout->contentsMargins(), QMargins(1, 0, 0, 0));
    ASSERT_EQ(layout->count(), 1);
    EXPECT_NE(layout->itemAt(0)->spacerItem(), nullptr);
}

TEST(ToolBoxTest, IndexOutsideTheRangeAppends)
{
    KelToolBox box(nullptr);
    auto* first = new Page;
    auto* second = new Page;
    auto* third = new Page;
    EXPECT_EQ(box.insertItem(-5, first, QStringLiteral("one")), 0);
    EXPECT_EQ(box.insertItem(99, second, QStringLiteral("two")), 1);
    EXPECT_EQ(box.addItem(third, QStringLiteral("three")), 2);
    EXPECT_EQ(box.widget(0), first);
    EXPECT_EQ(box.widget(1), second);
    EXPECT_EQ(box.widget(2), third);
    EXPECT_EQ(first->parentWidget(), &box);
    EXPECT_EQ(headerOf(box, 1)->text(), QStringLiteral("two"));
}

TEST(ToolBoxTest, InsertingAtTheFrontKeepsHeadersBeforeTheirPagesAndTheStretchLast)
{
    KelToolBox box(nullptr);
    auto* oldPage = new Page;
    auto* newPage = new Page;
    box.addItem(oldPage, QStringLiteral("old"));
    EXPECT_EQ(box.insertItem(0, newPage, QStringLiteral("new")), 0);

    QLayout* layout = box.layout();
    ASSERT_EQ(layout->count(), 5);
    EXPECT_EQ(qobject_cast<KelToolBoxButton*>(layout->itemAt(0)->widget())->text(), QStringLiteral("new"));
    EXPECT_EQ(layout->itemAt(1)->widget(), newPage);
    EXPECT_EQ(qobject_cast<KelToolBoxButton*>(layout->itemAt(2)->widget())->text(), QStringLiteral("old"));
    EXPECT_EQ(layout->itemAt(3)->widget(), oldPage);
    EXPECT_NE(layout->itemAt(4)->spacerItem(), nullptr);
    EXPECT_EQ(box.indexOf(oldPage), 1);
    EXPECT_EQ(box.indexOf(headerOf(box, 1)), 1);
}

TEST(ToolBoxTest, SectionsStartCollapsedAndExpandThroughPageOrHeader)
{
    KelToolBox box(nullptr);
    auto* page = new Page;
    box.addItem(page, QStringLiteral("section"));
    KelToolBoxButton* header = headerOf(box, 0);
    EXPECT_TRUE(page->isHidden());
    EXPECT_FALSE(header->isHidden());
    EXPECT_FALSE(box.isExpanded(0));
    EXPECT_TRUE(header->isCheckable());

    box.setExpanded(page, true);
    EXPECT_TRUE(box.isExpanded(page));
    EXPECT_FALSE(page->isHidden());

    box.setExpanded(header, false);
    EXPECT_FALSE(box.isExpanded(header));
    EXPECT_TRUE(page->isHidden());
}

TEST(ToolBoxTest, SectionsOpenIndependentlyAndByClick)
{
    KelToolBox box(nullptr);
    auto* a = new Page;
    auto* b = new Page;
    box.addItem(a, QStringLiteral("a"));
    box.addItem(b, QStringLiteral("b"));
    box.resize(200, 300);
    box.show();
    box.layout()->activate();

    QTest::mouseClick(headerOf(box, 0), Qt::LeftButton);
    QTest::mouseClick(headerOf(box, 1), Qt::LeftButton);
    EXPECT_TRUE(box.isExpanded(0));
    EXPECT_TRUE(box.isExpanded(1));
    EXPECT_TRUE(a->isVisible());
    EXPECT_TRUE(b->isVisible());

    QTest::mouseClick(headerOf(box, 0), Qt::LeftButton);
    EXPECT_FALSE(a->isVisible());
    EXPECT_TRUE(b->isVisible());
}

TEST(ToolBoxTest, HidingASectionHidesHeaderAndPageAndShowingReopensOnlyExpandedOnes)
{
    KelToolBox box(nullptr);
    auto* open = new Page;
    auto* closed = new Page;
    box.addItem(open, QStringLiteral("open"));
    box.addItem(closed, QStringLiteral("closed"));
    box.setExpanded(0, true);
    box.show();
    EXPECT_TRUE(box.isVisible(0));
    EXPECT_TRUE(box.isVisible(closed));

    box.setVisible(0, false);
    EXPECT_FALSE(box.isVisible(0));
    EXPECT_TRUE(headerOf(box, 0)->isHidden());
    EXPECT_TRUE(open->isHidden());
    box.setVisible(0, true);
    EXPECT_TRUE(box.isVisible(0));
    EXPECT_FALSE(open->isHidden());

    box.setVisible(closed, false);
    box.setVisible(closed, true);
    EXPECT_FALSE(headerOf(box, 1)->isHidden());
    EXPECT_TRUE(closed->isHidden());

    // The header's visibility in Qt's sense includes the tool box's own.
    box.hide();
    EXPECT_FALSE(box.isVisible(0));
    EXPECT_FALSE(box.isVisible());
}

TEST(ToolBoxTest, OperationsOutsideTheSectionsDoNothing)
{
    KelToolBox box(nullptr);
    auto* page = new Page;
    box.addItem(page, QStringLiteral("only"));
    const int n = box.count();
    QWidget stranger;

    EXPECT_EQ(box.widget(n), nullptr);
    EXPECT_EQ(box.widget(-1), nullptr);
    EXPECT_FALSE(box.isExpanded(n));
    EXPECT_FALSE(box.isVisible(n));
    EXPECT_FALSE(box.isExpanded(&stranger));
    EXPECT_FALSE(box.isVisible(&stranger));
    box.setItemText(n, QStringLiteral("changed"));
    box.setExpanded(n, true);
    box.setVisible(n, false);
    box.setExpanded(&stranger, true);
    box.setVisible(&stranger, false);
    EXPECT_EQ(headerOf(box, 0)->text(), QStringLiteral("only"));
    EXPECT_FALSE(box.isExpanded(0));
    EXPECT_FALSE(headerOf(box, 0)->isHidden());

    box.setItemText(0, QStringLiteral("renamed"));
    EXPECT_EQ(headerOf(box, 0)->text(), QStringLiteral("renamed"));
}

TEST(ToolBoxTest, HeaderStyleOptionCarriesPositionAndState)
{
    KelToolBox box(nullptr);
    box.addItem(new Page, QStringLiteral("first"));
    QStyleOptionToolBox option = optionOf(headerOf(box, 0));
    EXPECT_EQ(option.position, QStyleOptionToolBox::OnlyOneTab);
    EXPECT_EQ(option.selectedPosition, QStyleOptionToolBox::NotAdjacent);
    EXPECT_EQ(option.text, QStringLiteral("first"));
    EXPECT_FALSE(option.state & QStyle::State_Selected);

    box.addItem(new Page, QStringLiteral("second"));
    box.addItem(new Page, QStringLiteral("third"));
    EXPECT_EQ(optionOf(headerOf(box, 0)).position, QStyleOptionToolBox::Beginning);
    EXPECT_EQ(optionOf(headerOf(box, 1)).position, QStyleOptionToolBox::Middle);
    EXPECT_EQ(optionOf(headerOf(box, 2)).position, QStyleOptionToolBox::End);
    EXPECT_EQ(optionOf(headerOf(box, 2)).selectedPosition, QStyleOptionToolBox::NotAdjacent);

    box.setExpanded(1, true);
    headerOf(box, 2)->setDown(true);
    EXPECT_TRUE(optionOf(headerOf(box, 1)).state & QStyle::State_Selected);
    EXPECT_FALSE(optionOf(headerOf(box, 1)).state & QStyle::State_Sunken);
    EXPECT_TRUE(optionOf(headerOf(box, 2)).state & QStyle::State_Sunken);

    headerOf(box, 0)->initStyleOption(nullptr); // ignored
}

TEST(ToolBoxTest, HeaderSizeHintsFollowTextIconAndPage)
{
    KelToolBox box(nullptr);
    box.addItem(new Page(400), QStringLiteral("Title"));
    box.addItem(new Page(10), QStringLiteral("A long section title"));
    KelToolBoxButton* wide = headerOf(box, 0);
    KelToolBoxButton* narrow = headerOf(box, 1);

    const QSize text = QFontMetrics(narrow->font()).size(Qt::TextShowMnemonic, narrow->text());
    EXPECT_EQ(narrow->sizeHint(), QSize(8 + text.width(), qMax(8, text.height() + 9)));
    EXPECT_EQ(wide->sizeHint().width(), 400);
    EXPECT_FALSE(narrow->minimumSizeHint().isValid());

    QPixmap iconPixmap(16, 16);
    iconPixmap.fill(Qt::red);
    narrow->setIcon(QIcon(iconPixmap));
    const int s = narrow->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &box);
    EXPECT_EQ(narrow->minimumSizeHint(), QSize(s + 8, s + 8));
    EXPECT_EQ(narrow->sizeHint().width(), s + 10 + text.width());
    EXPECT_EQ(narrow->sizeHint().height(), qMax(s + 8, text.height() + 9));
}

TEST(ToolBoxTest, PaintsBackgroundAndFrameFromTheStore)
{
    store()->clear();
    store()->add(QStringLiteral("KelToolBox.borderPen"), pen(QColor(200, 10, 10)));
    store()->add(QStringLiteral("KelToolBox.backgroundColor"), QColor(30, 30, 30));
    QWidget parent;
    KelToolBox box(&parent);
    box.resize(60, 40);
    const QImage image = renderWidget(box);
    EXPECT_EQ(pixel(image, 0, 0), QColor(200, 10, 10));
    EXPECT_EQ(pixel(image, 59, 39), QColor(200, 10, 10));
    EXPECT_EQ(pixel(image, 30, 39), QColor(200, 10, 10));
    EXPECT_EQ(pixel(image, 30, 20), QColor(30, 30, 30));
    store()->clear();
}

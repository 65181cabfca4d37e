#include "style/KelToolBox.h"
#include "style/KelToolBoxButton.h"

#include "WidgetTestHelpers.h"

#include <gtest/gtest.h>

#include <QLayout>
#include <QStyleOptionToolBox>

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

#include "KelStylePaintSupport.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QHeaderView>
#include <QListView>
#include <QMenuBar>
#include <QToolBar>

using namespace KelStyleTest;
using namespace KelStylePaint;

namespace {

const QColor kSection(50, 50, 50);
const QColor kSorted(70, 70, 70);
const QColor kSectionBorder(200, 0, 0);
const QColor kArrowLine(0, 200, 0);

class KelStyleHeaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addGradient(QStringLiteral("HeaderSection.backgroundGradient"), kSection);
        addGradient(QStringLiteral("HeaderSection.backgroundGradient2"), kSorted);
        addPen(QStringLiteral("HeaderSection.borderPen"), kSectionBorder);
        addPen(QStringLiteral("HeaderSection.borderLeftPen"), kArrowLine);
        header.resize(300, 24);
        QCursor::setPos(QPoint(-5000, -5000));
    }
    void TearDown() override { store()->clear(); }

    static QStyleOptionHeader section(QStyleOptionHeader::SectionPosition position,
                                      QStyle::State state)
    {
        QStyleOptionHeader option;
        option.rect = QRect(100, 0, 80, 24);
        option.position = position;
        option.state = state;
        option.section = 1;
        option.text = QStringLiteral("Name");
        option.orientation = Qt::Horizontal;
        return option;
    }

    QImage draw(const QStyleOptionHeader& option, const QWidget* widget = nullptr)
    {
        return paint(300, 24, [&](QPainter* p) {
            style.drawControl(QStyle::CE_HeaderSection, &option, p, widget);
        });
    }

    QHeaderView header{Qt::Horizontal};
    RecordingStyle style;
};

TEST_F(KelStyleHeaderTest, SectionFillOutlineAndOverlap)
{
    const QStyle::State on = QStyle::State_Enabled;
    QImage image = draw(section(QStyleOptionHeader::Beginning, on));
    EXPECT_EQ(pixel(image, 140, 10), kSection);
    EXPECT_EQ(pixel(image, 100, 10), kSectionBorder);
    EXPECT_TRUE(isTransparent(image, 99, 10));
    EXPECT_EQ(pixel(image, 179, 10), kSectionBorder);
    EXPECT_EQ(pixel(image, 140, 23), kSectionBorder);

    // Later sections start on their left neighbour's last column.
    image = draw(section(QStyleOptionHeader::Middle, on));
    EXPECT_EQ(pixel(image, 99, 10), kSectionBorder);
    EXPECT_EQ(pixel(image, 100, 10), kSection);
    image = draw(section(QStyleOptionHeader::End, on));
    EXPECT_EQ(pixel(image, 99, 10), kSectionBorder);

    QStyleOptionHeader sorted = section(QStyleOptionHeader::Middle, on);
    sorted.sortIndicator = QStyleOptionHeader::SortDown;
    EXPECT_EQ(pixel(draw(sorted), 140, 10), kSorted);
}

TEST_F(KelStyleHeaderTest, ColumnMenuArrowUnderThePointer)
{
    const QStyle::State live = QStyle::State_Enabled | QStyle::State_Active;
    const QStyleOptionHeader option = section(QStyleOptionHeader::Middle, live);

    QImage image = draw(option, &header);
    EXPECT_FALSE(containsColor(image, image.rect(), kArrowLine));
    EXPECT_EQ(style.primitive(QStyle::PE_IndicatorHeaderArrow), nullptr);

    QCursor::setPos(header.mapToGlobal(QPoint(140, 10)));
    image = draw(option, &header);
    // right = 179: the line at 160, the arrow at (166, 10)-(173, 13).
    EXPECT_EQ(pixel(image, 160, 1), kArrowLine);
    EXPECT_EQ(pixel(image, 160, 22), kArrowLine);
    EXPECT_EQ(pixel(image, 160, 0), kSectionBorder);
    const Call* arrow = style.primitive(QStyle::PE_IndicatorHeaderArrow);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->rect, QRect(QPoint(166, 10), QPoint(173, 13)));

    // Not without State_Active, not in a vertical header, not on an untitled first section.
    QStyleOptionHeader inactive = option;
    inactive.state = QStyle::State_Enabled;
    EXPECT_FALSE(containsColor(draw(inactive, &header), image.rect(), kArrowLine));
    QStyleOptionHeader vertical = option;
    vertical.orientation = Qt::Vertical;
    EXPECT_FALSE(containsColor(draw(vertical, &header), image.rect(), kArrowLine));
    QStyleOptionHeader first = option;
    first.section = 0;
    first.text.clear();
    EXPECT_FALSE(containsColor(draw(first, &header), image.rect(), kArrowLine));
    first.text = QStringLiteral("Name");
    EXPECT_TRUE(containsColor(draw(first, &header), image.rect(), kArrowLine));
}

// ---------------------------------------------------------------------------------------------

class KelStyleToolBoxTabTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addPen(QStringLiteral("ToolBoxTab.borderPen"), QColor(200, 0, 0));
        addPen(QStringLiteral("ToolBoxTab.mouseOver.borderPen"), QColor(0, 200, 0));
        addPen(QStringLiteral("ToolBoxTab.borderBottomPen"), QColor(0, 0, 200));
        addPen(QStringLiteral("ToolBoxTab.mouseOver.borderBottomPen"), QColor(0, 0, 100));
        addPen(QStringLiteral("ToolBoxTab.borderRightPen"), QColor(100, 0, 0));
        addGradient(QStringLiteral("ToolBoxTab.backgroundGradient"), QColor(30, 30, 30));
        addGradient(QStringLiteral("ToolBoxTab.mouseOver.backgroundGradient"), QColor(60, 60, 60));
        addColor(QStringLiteral("ToolBoxTab.textColor"), QColor(255, 255, 0));
        addColor(QStringLiteral("ToolBoxTab.mouseOver.textColor"), QColor(0, 255, 255));
        addPixmap(QStringLiteral("arrowDown"), 8, 8, QColor(1, 1, 1));
        addPixmap(QStringLiteral("arrowRight"), 8, 8, QColor(2, 2, 2));
        addPixmap(QStringLiteral("arrowLeft"), 8, 8, QColor(3, 3, 3));
    }
    void TearDown() override { store()->clear(); }

    QImage draw(QStyle::State state, Qt::LayoutDirection direction = Qt::LeftToRight)
    {
        QStyleOptionToolBox option;
        option.rect = QRect(0, 0, 200, 30);
        option.state = QStyle::State_Enabled | state;
        option.direction = direction;
        option.text = QStringLiteral("Section");
        return paint(201, 31, [&](QPainter* p) {
            style.drawControl(QStyle::CE_ToolBoxTab, &option, p, nullptr);
        });
    }

    KelStyle style;
};

TEST_F(KelStyleToolBoxTabTest, FrameFillAndText)
{
    QImage image = draw(QStyle::State_None);
    EXPECT_EQ(pixel(image, 0, 15), QColor(200, 0, 0));
    EXPECT_EQ(pixel(image, 100, 0), QColor(200, 0, 0));
    EXPECT_EQ(pixel(image, 100, 29), QColor(0, 0, 200));
    EXPECT_EQ(pixel(image, 199, 15), QColor(100, 0, 0));
    EXPECT_EQ(pixel(image, 30, 15), QColor(30, 30, 30));
    EXPECT_TRUE(containsInk(image, QRect(42, 0, 158, 30), QColor(255, 255, 0)));
    EXPECT_FALSE(containsInk(image, QRect(0, 0, 42, 30), QColor(255, 255, 0)));

    image = draw(QStyle::State_MouseOver);
    EXPECT_EQ(pixel(image, 0, 15), QColor(0, 200, 0));
    EXPECT_EQ(pixel(image, 100, 29), QColor(0, 0, 100));
    EXPECT_EQ(pixel(image, 30, 15), QColor(60, 60, 60));
    EXPECT_TRUE(containsInk(image, image.rect(), QColor(0, 255, 255)));
}

// ---------------------------------------------------------------------------------------------

class KelStyleToolBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addGradient(QStringLiteral("MenuBarEmptyArea.backgroundGradient"), QColor(40, 40, 40));
        addPen(QStringLiteral("MenuBarEmptyArea.borderTopPen"), QColor(1, 100, 1));
        addColor(QStringLiteral("ToolBar.backgroundColor"), QColor(90, 0, 0));
        addPen(QStringLiteral("ToolBar.borderPen"), QColor(0, 90, 0));
        addPen(QStringLiteral("ToolBar.borderPen2"), QColor(0, 0, 90));
        addGradient(QStringLiteral("ToolBar.backgroundGradient"), QColor(90, 90, 0));
        addGradient(QStringLiteral("ToolBar.backgroundGradient2"),
                    QGradientStops{{0, Qt::red}, {0.5, Qt::green}, {1, Qt::blue}});
    }
    void TearDown() override { store()->clear(); }

    static QStyleOptionToolBar option(Qt::ToolBarArea area, const QRect& rect)
    {
        QStyleOptionToolBar option;
        option.rect = rect;
        option.state = QStyle::State_Enabled;
        option.toolBarArea = area;
        return option;
    }

    QImage draw(const QStyleOptionToolBar& option, const QWidget* widget, int width, int height)
    {
        return paint(width, height, [&](QPainter* p) {
            style.drawControl(QStyle::CE_ToolBar, &option, p, widget);
        });
    }

    KelStyle style;
};

TEST_F(KelStyleToolBarTest, LeftToolBarHeaderStripAndBody)
{
    QWidget window;
    window.resize(300, 300);
    auto* bar = new QToolBar(&window);
    bar->setGeometry(0, 40, 100, 200);
    const QStyleOptionToolBar left = option(Qt::LeftToolBarArea, QRect(0, 0, 100, 200));

    // Nothing above: the strip starts 6 above the top, so its lines land on rows 13 and 14.
    QImage image = draw(left, bar, 100, 200);
    EXPECT_EQ(pixel(image, 20, 5), QColor(90, 90, 0));
    EXPECT_EQ(pixel(image, 20, 13), QColor(0, 90, 0));
    EXPECT_EQ(pixel(image, 20, 14), QColor(0, 0, 90));

    // A menu bar 4 pixels above: the strip starts 1 above the top.
    auto* menuBar = new QMenuBar(&window);
    menuBar->setGeometry(0, 0, 300, 38);
    image = draw(left, bar, 100, 200);
    EXPECT_EQ(pixel(image, 20, 18), QColor(0, 90, 0));
    EXPECT_EQ(pixel(image, 20, 19), QColor(0, 0, 90));
    EXPECT_EQ(pixel(image, 20, 14), QColor(90, 90, 0));

    // The body's middle stop sits 2 pixels before its right end: w = 100 - 6 = 94.
    const QColor nearEnd = image.pixelColor(92, 100);
    EXPECT_GT(nearEnd.green(), 3 * nearEnd.blue());
    EXPECT_GT(nearEnd.green(), 3 * nearEnd.red());
    const QColor middle = image.pixelColor(47, 100);
    EXPECT_GT(middle.red(), middle.blue());
}

TEST_F(KelStyleToolBarTest, GradientStopsStayInRangeOnANarrowBar)
{
    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { messages << text; });
    QToolBar bar;
    bar.resize(8, 100);
    draw(option(Qt::LeftToolBarArea, QRect(0, 0, 8, 100)), &bar, 8, 100);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
}

// ---------------------------------------------------------------------------------------------

const QColor kSplitBorder(200, 0, 0);
const QColor kSplitBack(0, 0, 200);
const QColor kHorizontalSeparator(0, 200, 0);

class KelStyleSplitterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addPen(QStringLiteral("Splitter.borderPen"), kSplitBorder);
        addColor(QStringLiteral("Splitter.backgroundColor"), kSplitBack);
        addColor(QStringLiteral("Splitter.horizontalSeparator"), kHorizontalSeparator);
        addColor(QStringLiteral("Splitter.verticalSeparator"), kHorizontalSeparator);
    }
    void TearDown() override { store()->clear(); }

    KelStyle style;
};

TEST_F(KelStyleSplitterTest, HandleShowsLinesOnlyAlongItsLongSides)
{
    QStyleOption option;
    option.rect = QRect(10, 10, 6, 50);
    option.state = QStyle::State_Enabled | QStyle::State_Horizontal;
    QImage image = paint(40, 80, [&](QPainter* p) {
        style.drawControl(QStyle::CE_Splitter, &option, p, nullptr);
    });
    EXPECT_EQ(pixel(image, 10, 30), kSplitBorder);
    EXPECT_EQ(pixel(image, 13, 30), kSplitBack);
    EXPECT_EQ(pixel(image, 13, 9), kSplitBack);

    option.rect = QRect(10, 10, 50, 6);
    option.state = QStyle::State_Enabled;
    image = paint(80, 40, [&](QPainter* p) {
        style.drawControl(QStyle::CE_Splitter, &option, p, nullptr);
    });
    EXPECT_EQ(pixel(image, 30, 10), kSplitBorder);
    EXPECT_EQ(pixel(image, 30, 13), kSplitBack);
    EXPECT_EQ(pixel(image, 9, 13), kSplitBack);
}

// ---------------------------------------------------------------------------------------------

class KelStyleScrollBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        int shade = 10;
        for (const char* part : {"ScrollBarAddLine", "ScrollBarSubLine", "ScrollBarSlider"}) {
            const QString prefix = QLatin1String(part);
            addColor(prefix + QStringLiteral(".backgroundColor"), QColor(shade, 0, 0));
            addPen(prefix + QStringLiteral(".borderPen"), QColor(0, shade, 0));
            addColor(prefix + QStringLiteral(".backgroundColor2"), QColor(0, 0, shade));
            addColor(prefix + QStringLiteral(".mouseOver.backgroundColor2"), QColor(shade, shade, 0));
            addColor(prefix + QStringLiteral(".pressed.backgroundColor2"), QColor(0, shade, shade));
            shade += 50;
        }
        addColor(QStringLiteral("ScrollBarAddPage.backgroundColor"), QColor(1, 2, 3));
        addColor(QStringLiteral("ScrollBarSubPage.backgroundColor"), QColor(4, 5, 6));
    }
    void TearDown() override { store()->clear(); }

    QImage draw(QStyle::ControlElement element, QStyle::State state, const QRect& rect,
                Qt::LayoutDirection direction = Qt::LeftToRight)
    {
        QStyleOptionSlider option;
        option.rect = rect;
        option.state = QStyle::State_Enabled | state;
        option.direction = direction;
        return paint(rect.right() + 1, rect.bottom() + 1, [&](QPainter* p) {
            style.drawControl(element, &option, p, nullptr);
        });
    }

    KelStyle style;
};

TEST_F(KelStyleScrollBarTest, EachPartReadsItsOwnKeys)
{
    const QRect rect(0, 0, 16, 16);
    QImage image = draw(QStyle::CE_ScrollBarAddLine, QStyle::State_Horizontal, rect);
    EXPECT_EQ(pixel(image, 8, 8), QColor(0, 0, 10));
    EXPECT_EQ(pixel(image, 8, 0), QColor(0, 10, 0));
    image = draw(QStyle::CE_ScrollBarSubLine, QStyle::State_Horizontal, rect);
    EXPECT_EQ(pixel(image, 8, 8), QColor(0, 0, 60));
    image = draw(QStyle::CE_ScrollBarSlider, QStyle::State_Horizontal, QRect(0, 0, 40, 16));
    EXPECT_EQ(pixel(image, 20, 8), QColor(0, 0, 110));

    EXPECT_EQ(pixel(draw(QStyle::CE_ScrollBarAddLine, QStyle::State_MouseOver, rect), 8, 8),
              QColor(10, 10, 0));
    EXPECT_EQ(pixel(draw(QStyle::CE_ScrollBarAddLine,
                         QStyle::State_MouseOver | QStyle::State_Sunken, rect),
                    8, 8),
              QColor(0, 10, 10));

    image = draw(QStyle::CE_ScrollBarAddPage, QStyle::State_None, rect);
    EXPECT_EQ(pixel(image, 8, 8), QColor(1, 2, 3));
    image = draw(QStyle::CE_ScrollBarSubPage, QStyle::State_None, rect);
    EXPECT_EQ(pixel(image, 0, 15), QColor(4, 5, 6));
}

// ---------------------------------------------------------------------------------------------

class KelStyleItemViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        // A panel that paints nothing, so that only this element's own painting shows.
        for (const char* state : {"selectedAndSorted", "notSelectedAndSorted"}) {
            const QString prefix = QStringLiteral("PanelItemViewItem.") + QLatin1String(state);
            addPen(prefix + QStringLiteral(".borderPen"), Qt::transparent);
            addGradient(prefix + QStringLiteral(".backgroundGradient"), Qt::transparent);
        }
        addPen(QStringLiteral("PanelItemViewItem.iconMode.textRoundedBorderPen"), Qt::transparent);
        addPen(QStringLiteral("PanelItemViewItem.iconMode.decorationRoundedBorderPen"), Qt::transparent);
        addGradient(QStringLiteral("PanelItemViewItem.iconMode.backgroundGradient"), Qt::transparent);
        addGradient(QStringLiteral("PanelItemViewItem.iconMode.decorationBackgroundGradient"),
                    Qt::transparent);
    }
    void TearDown() override { store()->clear(); }

    static QStyleOptionViewItem item(QStyle::State state, const QRect& rect)
    {
        QStyleOptionViewItem option;
        option.rect = rect;
        option.state = QStyle::State_Enabled | state;
        option.features = QStyleOptionViewItem::HasDisplay;
        option.text = QStringLiteral("MMMM");
        option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        option.palette.setColor(QPalette::Text, QColor(255, 0, 0));
        option.palette.setColor(QPalette::HighlightedText, QColor(0, 0, 255));
        option.viewItemPosition = QStyleOptionViewItem::OnlyOne;
        return option;
    }

    QImage draw(const QStyleOptionViewItem& option, const QWidget* widget)
    {
        return paint(200, 60, [&](QPainter* p) {
            style.drawControl(QStyle::CE_ItemViewItem, &option, p, widget);
        });
    }

    RecordingStyle style;
};

TEST_F(KelStyleItemViewTest, ListModeFillsTheInsetBackgroundAndPutsThePanelOnTop)
{
    QListView list;
    QStyleOptionViewItem option = item(QStyle::State_Selected, QRect(0, 0, 100, 20));
    option.backgroundBrush = QColor(0, 200, 0);
    const QImage image = draw(option, &list);
    EXPECT_EQ(pixel(image, 2, 2), QColor(0, 200, 0));
    EXPECT_EQ(pixel(image, 97, 17), QColor(0, 200, 0));
    EXPECT_TRUE(isTransparent(image, 1, 1));
    EXPECT_TRUE(isTransparent(image, 98, 18));
    // The label is painted unselected, then the selected panel goes over it.
    EXPECT_TRUE(containsInk(image, image.rect(), QColor(255, 0, 0)));
    ASSERT_FALSE(style.primitives.empty());
    EXPECT_EQ(style.primitives.back().element, QStyle::PE_PanelItemViewItem);
    EXPECT_TRUE(style.primitives.back().state & QStyle::State_Selected);
    EXPECT_FALSE(style.primitives.front().state & QStyle::State_Selected);
}

} // namespace

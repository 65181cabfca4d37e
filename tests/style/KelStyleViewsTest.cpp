#include "KelStylePaintSupport.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QHeaderView>
#include <QLayout>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

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

TEST_F(KelStyleHeaderTest, DisabledSectionStillOpaque)
{
    const QImage image = draw(section(QStyleOptionHeader::Middle, QStyle::State_None));
    EXPECT_EQ(pixel(image, 140, 10), kSection);
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

TEST_F(KelStyleHeaderTest, OpenColumnMenuInvertsTheArrowArea)
{
    const QColor top(0, 0, 255);
    const QColor bottom(255, 255, 0);
    addGradient(QStringLiteral("HeaderSection.backgroundGradient"),
                QGradientStops{{0, top}, {1, bottom}});
    const QStyleOptionHeader option =
        section(QStyleOptionHeader::Middle, QStyle::State_Enabled | QStyle::State_Active);
    QCursor::setPos(header.mapToGlobal(QPoint(140, 10)));

    auto* menu = new QMenu(&header);
    // Open under another section: no arrow here.
    menu->move(header.mapToGlobal(QPoint(20, header.height())));
    EXPECT_FALSE(containsColor(draw(option, &header), QRect(0, 0, 300, 24), kArrowLine));

    menu->move(header.mapToGlobal(QPoint(179 - 19, header.height())));
    const QImage image = draw(option, &header);
    EXPECT_EQ(pixel(image, 160, 10), kArrowLine);
    // The section keeps its gradient; the arrow area runs the other way.
    EXPECT_GT(pixel(image, 140, 3).blue(), 200);
    EXPECT_LT(pixel(image, 170, 3).blue(), 60);
    EXPECT_GT(pixel(image, 170, 3).red(), 200);
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

TEST_F(KelStyleToolBoxTabTest, ArrowFollowsOpenStateAndDirection)
{
    // At x = 10, centred: (30 - 8) / 2 = 11.
    EXPECT_EQ(pixel(draw(QStyle::State_Selected), 10, 11), QColor(1, 1, 1));
    EXPECT_EQ(pixel(draw(QStyle::State_None), 10, 11), QColor(2, 2, 2));
    EXPECT_EQ(pixel(draw(QStyle::State_None), 17, 18), QColor(2, 2, 2));
    EXPECT_EQ(pixel(draw(QStyle::State_None), 9, 11), QColor(30, 30, 30));
    // Right to left: "Left", at the tab's other end, and the text left of it.
    const QImage mirrored = draw(QStyle::State_None, Qt::RightToLeft);
    EXPECT_EQ(pixel(mirrored, 199 - 17, 11), QColor(3, 3, 3));
    EXPECT_EQ(pixel(mirrored, 199 - 10, 18), QColor(3, 3, 3));
    EXPECT_FALSE(containsColor(mirrored, QRect(0, 0, 42, 30), QColor(3, 3, 3)));
    EXPECT_TRUE(containsInk(mirrored, QRect(0, 0, 158, 30), QColor(255, 255, 0)));
    EXPECT_FALSE(containsInk(mirrored, QRect(158, 0, 42, 30), QColor(255, 255, 0)));
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

TEST_F(KelStyleToolBarTest, TopToolBarPaintsLikeTheMenuBar)
{
    QToolBar bar;
    bar.resize(200, 40);
    const QStyleOptionToolBar top = option(Qt::TopToolBarArea, QRect(0, 0, 200, 40));
    const QImage image = draw(top, &bar, 200, 40);
    const QImage area = paint(200, 40, [&](QPainter* p) {
        style.drawControl(QStyle::CE_MenuBarEmptyArea, &top, p, &bar);
    });
    EXPECT_EQ(image, area);
    EXPECT_EQ(pixel(image, 100, 20), QColor(40, 40, 40));
}

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

TEST_F(KelStyleToolBarTest, LeftToolBarCentresItsContents)
{
    QToolBar bar;
    bar.resize(60, 200);
    auto* button = new QToolButton(&bar);
    button->setGeometry(3, 50, 20, 20);
    bar.layout()->setSpacing(2);
    draw(option(Qt::LeftToolBarArea, QRect(0, 0, 60, 200)), &bar, 60, 200);
    // 0.5 * (60 - 5) - 0.5 * 20 = 17.5, truncated.
    EXPECT_EQ(button->pos(), QPoint(17, 50));
    EXPECT_EQ(bar.layout()->spacing(), 6);
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

TEST_F(KelStyleSplitterTest, NestedSeparatorsRunAcrossTheHandle)
{
    QSplitter outer(Qt::Vertical);
    outer.setStyle(&style);
    outer.addWidget(new QWidget);
    auto* inner = new QSplitter(Qt::Horizontal);
    inner->addWidget(new QWidget);
    inner->addWidget(new QWidget);
    outer.addWidget(inner);
    outer.resize(200, 200);
    outer.show();
    inner->setSizes({80, 114});
    outer.setSizes({97, 97});

    const int innerHandle = inner->handleWidth();
    const int x = inner->sizes().at(0);
    ASSERT_EQ(inner->handle(1)->x(), x);
    ASSERT_GE(innerHandle, 3);
    const QImage image = outer.handle(1)->grab().toImage();
    // The handle's bottom border, which meets the inner splitter, opens where the inner handle
    // meets it, one pixel in from each side.
    const int bottom = image.height() - 1;
    EXPECT_EQ(pixel(image, x / 2, bottom), kSplitBorder);
    EXPECT_EQ(pixel(image, x, bottom), kSplitBorder);
    EXPECT_EQ(pixel(image, x + 1, bottom), kHorizontalSeparator);
    EXPECT_EQ(pixel(image, x + innerHandle - 2, bottom), kHorizontalSeparator);
    EXPECT_EQ(pixel(image, x + innerHandle - 1, bottom), kSplitBorder);
    EXPECT_EQ(pixel(image, x + 1, 0), kSplitBorder);
    EXPECT_EQ(pixel(image, x + 1, image.height() / 2), kSplitBack);
    outer.setStyle(nullptr);
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

TEST_F(KelStyleScrollBarTest, SliderFrameIsShorterAlongItsOrientation)
{
    // A line button's inside starts 1 pixel in; the slider's 3 pixels in along its length.
    QImage image = draw(QStyle::CE_ScrollBarAddLine, QStyle::State_Horizontal, QRect(0, 0, 40, 16));
    EXPECT_EQ(pixel(image, 1, 8), QColor(0, 0, 10));

    image = draw(QStyle::CE_ScrollBarSlider, QStyle::State_Horizontal, QRect(0, 0, 40, 16));
    EXPECT_EQ(pixel(image, 1, 8), QColor(110, 0, 0));
    EXPECT_EQ(pixel(image, 3, 8), QColor(0, 0, 110));
    EXPECT_EQ(pixel(image, 38, 8), QColor(110, 0, 0));
    EXPECT_EQ(pixel(image, 20, 1), QColor(0, 0, 110));

    image = draw(QStyle::CE_ScrollBarSlider, QStyle::State_None, QRect(0, 0, 16, 40));
    EXPECT_EQ(pixel(image, 8, 1), QColor(110, 0, 0));
    EXPECT_EQ(pixel(image, 8, 3), QColor(0, 0, 110));
    EXPECT_EQ(pixel(image, 1, 20), QColor(0, 0, 110));
}

TEST_F(KelStyleScrollBarTest, ArrowPixmapsByDirection)
{
    addPixmap(QStringLiteral("scrollbarArrowRight"), 4, 4, QColor(1, 1, 1));
    addPixmap(QStringLiteral("scrollbarArrowLeft"), 4, 4, QColor(2, 2, 2));
    addPixmap(QStringLiteral("scrollbarArrowUp"), 4, 4, QColor(3, 3, 3));
    addPixmap(QStringLiteral("scrollbarArrowDown"), 4, 4, QColor(4, 4, 4));
    const QRect rect(0, 0, 16, 16);
    const auto centre = [](const QImage& image) { return pixel(image, 8, 8); };
    const QStyle::State horizontal = QStyle::State_Horizontal;

    EXPECT_EQ(centre(draw(QStyle::CE_ScrollBarAddLine, horizontal, rect)), QColor(1, 1, 1));
    EXPECT_EQ(centre(draw(QStyle::CE_ScrollBarSubLine, horizontal, rect)), QColor(2, 2, 2));
    EXPECT_EQ(centre(draw(QStyle::CE_ScrollBarAddLine, horizontal, rect, Qt::RightToLeft)),
              QColor(2, 2, 2));
    EXPECT_EQ(centre(draw(QStyle::CE_ScrollBarSubLine, horizontal, rect, Qt::RightToLeft)),
              QColor(1, 1, 1));
    EXPECT_EQ(centre(draw(QStyle::CE_ScrollBarAddLine, QStyle::State_None, rect)), QColor(4, 4, 4));
    EXPECT_EQ(centre(draw(QStyle::CE_ScrollBarSubLine, QStyle::State_None, rect)), QColor(3, 3, 3));
    // Scaled into the whole button.
    EXPECT_EQ(pixel(draw(QStyle::CE_ScrollBarAddLine, QStyle::State_None, rect), 0, 0),
              QColor(4, 4, 4));
    // The slider has no arrow.
    EXPECT_EQ(centre(draw(QStyle::CE_ScrollBarSlider, QStyle::State_None, rect)), QColor(0, 0, 110));
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

TEST_F(KelStyleItemViewTest, SelectedIconTakesTheItemTextColour)
{
    addColor(QStringLiteral("ItemViewItem.textColor"), QColor(0, 255, 0));
    QListView list;
    list.setViewMode(QListView::IconMode);
    const QImage image = draw(item(QStyle::State_Selected, QRect(0, 0, 100, 40)), &list);
    EXPECT_TRUE(containsInk(image, image.rect(), QColor(0, 255, 0)));
    EXPECT_FALSE(containsInk(image, image.rect(), QColor(0, 0, 255)));
    ASSERT_FALSE(style.primitives.empty());
    EXPECT_TRUE(style.primitives.front().state & QStyle::State_Selected);

    // Unselected icons are the base's alone.
    style.primitives.clear();
    const QImage plain = draw(item(QStyle::State_None, QRect(0, 0, 100, 40)), &list);
    EXPECT_TRUE(containsInk(plain, plain.rect(), QColor(255, 0, 0)));
}

TEST_F(KelStyleItemViewTest, TreeRowsMoveDownAndBoldTheirSelectedFirstCell)
{
    QTreeView tree;
    const auto lastInkColumn = [](const QImage& image) {
        for (int x = image.width() - 1; x >= 0; --x)
            if (anyPainted(image, QRect(x, 0, 1, image.height())))
                return x;
        return -1;
    };
    QStyleOptionViewItem first = item(QStyle::State_Selected, QRect(0, 10, 200, 20));
    first.viewItemPosition = QStyleOptionViewItem::Beginning;
    QStyleOptionViewItem middle = first;
    middle.viewItemPosition = QStyleOptionViewItem::Middle;
    const int boldEnd = lastInkColumn(draw(first, &tree));
    const int plainEnd = lastInkColumn(draw(middle, &tree));
    EXPECT_GT(boldEnd, plainEnd);

    style.primitives.clear();
    draw(middle, &tree);
    ASSERT_FALSE(style.primitives.empty());
    EXPECT_EQ(style.primitives.front().rect.top(), 11);
}

} // namespace

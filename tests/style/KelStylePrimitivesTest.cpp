#include "style/KelStyle.h"

#include "KelStyleTestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTreeView>

using namespace KelStyleTest;

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);

// A stored gradient of one colour, as the style file gives gradients.
QVariant solidGradient(const QColor& color)
{
    QLinearGradient gradient;
    gradient.setColorAt(0.0, color);
    gradient.setColorAt(1.0, color);
    return QVariant::fromValue(gradient);
}

bool isClear(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
        }
    }
    return true;
}

class KelStylePrimitivesTest : public ::testing::Test
{
protected:
    void SetUp() override { store()->clear(); }
    void TearDown() override { store()->clear(); }

    // Paints one element on a fresh transparent image of the option's rectangle size.
    QImage paint(QStyle::PrimitiveElement element, const QStyleOption& option,
                 const QWidget* widget = nullptr, QColor pen = QColor())
    {
        QImage image(option.rect.right() + 1, option.rect.bottom() + 1, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        if (pen.isValid())
            painter.setPen(pen);
        style.drawPrimitive(element, &option, &painter, widget);
        lastOpacity = painter.opacity();
        return image;
    }

    static QStyleOption option(const QRect& rect, QStyle::State state = QStyle::State_Enabled)
    {
        QStyleOption o;
        o.rect = rect;
        o.state = state;
        return o;
    }

    KelStyle style;
    qreal lastOpacity = 1.0;
};

TEST_F(KelStylePrimitivesTest, DisabledElementsPaintAtHalfOpacityExceptInMenus)
{
    addPixmap(QStringLiteral("checkboxUncheckedDefault"), 13, 13, kRed);
    const QRect rect(0, 0, 21, 21);

    QImage enabled = paint(QStyle::PE_IndicatorCheckBox, option(rect));
    EXPECT_EQ(pixel(enabled, 10, 10), kRed);
    EXPECT_DOUBLE_EQ(lastOpacity, 1.0);

    QImage disabled = paint(QStyle::PE_IndicatorCheckBox, option(rect, QStyle::State_None));
    EXPECT_NEAR(qAlpha(disabled.pixel(10, 10)), 128, 2);
    // The opacity is left as set.
    EXPECT_DOUBLE_EQ(lastOpacity, 0.5);

    QMenu menu;
    QImage inMenu = paint(QStyle::PE_IndicatorCheckBox, option(rect, QStyle::State_None), &menu);
    EXPECT_EQ(pixel(inMenu, 10, 10), kRed);
}

TEST_F(KelStylePrimitivesTest, CheckBoxPixmapFollowsTheState)
{
    addPixmap(QStringLiteral("checkboxCheckedSelected"), 13, 13, kGreen);
    addPixmap(QStringLiteral("checkboxCheckedHover"), 13, 13, kBlue);
    addPixmap(QStringLiteral("checkboxCheckedDefault"), 13, 13, kRed);
    const QRect rect(0, 0, 21, 21);
    using S = QStyle;

    auto centre = [&](QStyle::State state) {
        const QColor c = pixel(paint(S::PE_IndicatorCheckBox, option(rect, state)), 10, 10);
        return QColor(c.red(), c.green(), c.blue());
    };
    EXPECT_EQ(centre(S::State_On | S::State_HasFocus | S::State_MouseOver | S::State_Enabled), kGreen);
    EXPECT_EQ(centre(S::State_On | S::State_MouseOver | S::State_Enabled), kBlue);
    EXPECT_EQ(centre(S::State_On | S::State_MouseOver), kRed);
    EXPECT_EQ(centre(S::State_On | S::State_Enabled), kRed);
    // No pixmap for the unchecked look: nothing drawn.
    EXPECT_TRUE(isClear(paint(S::PE_IndicatorCheckBox, option(rect, S::State_Off | S::State_Enabled))));
}

TEST_F(KelStylePrimitivesTest, RadioPixmapSitsLowerThanACheckBox)
{
    addPixmap(QStringLiteral("checkboxCheckedDefault"), 13, 13, kRed);
    addPixmap(QStringLiteral("radiobuttonCheckedDefault"), 13, 13, kRed);
    const QStyleOption o = option(QRect(0, 0, 21, 21), QStyle::State_On | QStyle::State_Enabled);

    const QImage check = paint(QStyle::PE_IndicatorCheckBox, o);
    EXPECT_EQ(qAlpha(check.pixel(2, 3)), 0);
    EXPECT_EQ(pixel(check, 3, 3), kRed);
    EXPECT_EQ(pixel(check, 15, 15), kRed);
    EXPECT_EQ(qAlpha(check.pixel(15, 16)), 0);

    const QImage radio = paint(QStyle::PE_IndicatorRadioButton, o);
    EXPECT_EQ(qAlpha(radio.pixel(3, 4)), 0);
    EXPECT_EQ(pixel(radio, 3, 5), kRed);
    EXPECT_EQ(pixel(radio, 3, 17), kRed);
    EXPECT_EQ(qAlpha(radio.pixel(3, 18)), 0);
}

TEST_F(KelStylePrimitivesTest, NoFocusRectangles)
{
    EXPECT_TRUE(isClear(paint(QStyle::PE_FrameFocusRect,
                              option(QRect(0, 0, 20, 20), QStyle::State_Enabled | QStyle::State_HasFocus),
                              nullptr, Qt::white)));
}

TEST_F(KelStylePrimitivesTest, BranchShowsPlusOrMinusOnlyWithChildren)
{
    const QRect rect(0, 0, 11, 11);
    using S = QStyle;
    const QImage plus = paint(S::PE_IndicatorBranch, option(rect, S::State_Enabled | S::State_Children),
                              nullptr, Qt::white);
    const QImage minus = paint(S::PE_IndicatorBranch,
                               option(rect, S::State_Enabled | S::State_Children | S::State_Open),
                               nullptr, Qt::white);
    const QImage none = paint(S::PE_IndicatorBranch, option(rect), nullptr, Qt::white);

    EXPECT_GT(qAlpha(plus.pixel(5, 3)), 0);
    EXPECT_GT(qAlpha(plus.pixel(3, 5)), 0);
    EXPECT_EQ(qAlpha(minus.pixel(5, 3)), 0);
    EXPECT_GT(qAlpha(minus.pixel(3, 5)), 0);
    EXPECT_EQ(qAlpha(minus.pixel(1, 5)), 0);
    EXPECT_TRUE(isClear(none));
}

TEST_F(KelStylePrimitivesTest, HeaderArrowIsABlackTriangle)
{
    QStyleOptionHeader header;
    header.rect = QRect(0, 0, 8, 4);
    header.state = QStyle::State_Enabled;

    header.sortIndicator = QStyleOptionHeader::None;
    EXPECT_TRUE(isClear(paint(QStyle::PE_IndicatorHeaderArrow, header)));

    header.sortIndicator = QStyleOptionHeader::SortUp;
    const QImage down = paint(QStyle::PE_IndicatorHeaderArrow, header);
    EXPECT_EQ(pixel(down, 0, 0), QColor(Qt::black));
    EXPECT_EQ(pixel(down, 7, 0), QColor(Qt::black));
    EXPECT_EQ(pixel(down, 3, 3), QColor(Qt::black));
    EXPECT_EQ(qAlpha(down.pixel(0, 3)), 0);

    header.sortIndicator = QStyleOptionHeader::SortDown;
    const QImage up = paint(QStyle::PE_IndicatorHeaderArrow, header);
    EXPECT_EQ(pixel(up, 0, 3), QColor(Qt::black));
    EXPECT_EQ(pixel(up, 7, 3), QColor(Qt::black));
    EXPECT_EQ(pixel(up, 4, 0), QColor(Qt::black));
    EXPECT_EQ(qAlpha(up.pixel(0, 0)), 0);
}

class LineEditPanel : public KelStylePrimitivesTest
{
protected:
    void SetUp() override
    {
        KelStylePrimitivesTest::SetUp();
        store()->add(QStringLiteral("PanelLineEdit.borderPen"), QPen(kRed));
        store()->add(QStringLiteral("PanelLineEdit.borderPen2"), QPen(kGreen));
        store()->add(QStringLiteral("PanelLineEdit.backgroundColor"), kBlue);
        store()->add(QStringLiteral("PanelLineEdit.hasFocus.borderPen"), QPen(kYellow));
    }
};

TEST_F(LineEditPanel, FrameWithOpenCornersAroundAnInnerOutline)
{
    QStyleOptionFrame frame;
    frame.rect = QRect(0, 0, 20, 16);
    frame.state = QStyle::State_Enabled;
    const QImage image = paint(QStyle::PE_PanelLineEdit, frame);

    EXPECT_EQ(pixel(image, 1, 2), kRed);
    EXPECT_EQ(pixel(image, 2, 1), kRed);
    EXPECT_EQ(pixel(image, 18, 7), kRed);
    EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0);
    EXPECT_EQ(pixel(image, 2, 7), kGreen);
    EXPECT_EQ(pixel(image, 17, 7), kGreen);
    EXPECT_EQ(pixel(image, 3, 3), kBlue);
    EXPECT_EQ(pixel(image, 16, 12), kBlue);
    // No focus ring without focus.
    EXPECT_EQ(qAlpha(image.pixel(0, 7)), 0);
}

TEST_F(LineEditPanel, FocusAddsARoundedRing)
{
    QStyleOptionFrame frame;
    frame.rect = QRect(0, 0, 20, 16);
    frame.state = QStyle::State_Enabled | QStyle::State_HasFocus;
    const QImage image = paint(QStyle::PE_PanelLineEdit, frame);
    const QColor ring = pixel(image, 0, 7);
    EXPECT_GT(ring.alpha(), 0);
    EXPECT_GT(ring.red(), 0);
    EXPECT_GT(ring.green(), 0);
    EXPECT_EQ(ring.blue(), 0);
}

TEST_F(LineEditPanel, SpinBoxAndComboBoxEditorsPaintNoPanel)
{
    QStyleOptionFrame frame;
    frame.rect = QRect(0, 0, 20, 16);
    frame.state = QStyle::State_Enabled;
    QSpinBox spin;
    EXPECT_TRUE(isClear(paint(QStyle::PE_PanelLineEdit, frame, spin.findChild<QLineEdit*>())));
    QComboBox combo;
    combo.setEditable(true);
    EXPECT_TRUE(isClear(paint(QStyle::PE_PanelLineEdit, frame, combo.lineEdit())));
}

TEST_F(LineEditPanel, StyledPanelFramesLookLikeLineEdits)
{
    QScrollArea area;
    QStyleOptionFrame frame;
    frame.rect = QRect(0, 0, 30, 20);
    frame.state = QStyle::State_Enabled;
    frame.frameShape = QFrame::StyledPanel;
    const QImage asFrame = paint(QStyle::PE_Frame, frame, &area);
    const QImage asLineEdit = paint(QStyle::PE_PanelLineEdit, frame, &area);
    EXPECT_EQ(asFrame, asLineEdit);
    EXPECT_FALSE(isClear(asFrame));
}

TEST_F(KelStylePrimitivesTest, ComboBoxPopupFrame)
{
    store()->add(QStringLiteral("Frame.backgroundColor"), kBlue);
    store()->add(QStringLiteral("Frame.borderPen"), QPen(kRed));
    QComboBox combo;
    combo.addItem(QStringLiteral("One"));
    QWidget* container = combo.view()->parentWidget();
    ASSERT_NE(container, nullptr);
    ASSERT_STREQ(container->metaObject()->className(), "QComboBoxPrivateContainer");

    QStyleOptionFrame frame;
    frame.rect = QRect(0, 0, 20, 20);
    frame.state = QStyle::State_Enabled;
    frame.frameShape = QFrame::StyledPanel;
    const QImage image = paint(QStyle::PE_Frame, frame, container);
    EXPECT_EQ(pixel(image, 10, 10), kBlue);
    EXPECT_EQ(pixel(image, 0, 10), kRed);
    EXPECT_EQ(pixel(image, 19, 10), kRed);
    // The outline sits a row above and below the rectangle: only the sides show.
    EXPECT_EQ(pixel(image, 10, 0), kBlue);
    EXPECT_EQ(pixel(image, 10, 19), kBlue);
}

TEST_F(KelStylePrimitivesTest, CheckedToolButtonUnderThePointerShowsTheHoverPanel)
{
    store()->add(QStringLiteral("PanelButtonTool.stateMouseOver.backgroundColor"), kRed);
    store()->add(QStringLiteral("PanelButtonTool.stateMouseOver.borderPen"), QPen(kGreen));
    store()->add(QStringLiteral("PanelButtonTool.stateOn.backgroundColor"), kBlue);
    store()->add(QStringLiteral("PanelButtonTool.stateOn.borderPen"), QPen(kYellow));
    const QRect rect(0, 0, 20, 20);
    using S = QStyle;

    const QImage hover = paint(S::PE_PanelButtonTool, option(rect, S::State_Enabled | S::State_On | S::State_MouseOver));
    EXPECT_EQ(pixel(hover, 5, 5), kRed);
    EXPECT_EQ(pixel(hover, 0, 5), kGreen);
    EXPECT_EQ(pixel(hover, 5, 19), kGreen);
    EXPECT_EQ(qAlpha(hover.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(hover.pixel(19, 19)), 0);

    const QImage on = paint(S::PE_PanelButtonTool, option(rect, S::State_Enabled | S::State_On));
    EXPECT_EQ(pixel(on, 5, 5), kBlue);
    EXPECT_EQ(pixel(on, 1, 5), kYellow);
    EXPECT_EQ(qAlpha(on.pixel(0, 5)), 0);
    EXPECT_EQ(qAlpha(on.pixel(1, 1)), 0);

    EXPECT_TRUE(isClear(paint(S::PE_PanelButtonTool, option(rect))));
}

TEST_F(KelStylePrimitivesTest, SimpleFillsAndLines)
{
    store()->add(QStringLiteral("PanelMenu.backgroundColor"), kRed);
    store()->add(QStringLiteral("FrameMenu.backgroundColor"), kGreen);
    store()->add(QStringLiteral("FrameTabBarBase.backgroundColor"), kBlue);
    store()->add(QStringLiteral("PanelStatusBar.borderTopPen"), QPen(kYellow));
    const QRect rect(0, 0, 10, 10);

    EXPECT_EQ(pixel(paint(QStyle::PE_PanelMenu, option(rect)), 9, 9), kRed);
    EXPECT_EQ(pixel(paint(QStyle::PE_FrameMenu, option(rect)), 0, 0), kGreen);

    const QImage base = paint(QStyle::PE_FrameTabBarBase, option(rect));
    EXPECT_EQ(pixel(base, 5, 7), kBlue);
    EXPECT_EQ(qAlpha(base.pixel(5, 8)), 0);

    const QImage status = paint(QStyle::PE_PanelStatusBar, option(rect));
    EXPECT_EQ(pixel(status, 0, 0), kYellow);
    EXPECT_EQ(pixel(status, 9, 0), kYellow);
    EXPECT_EQ(qAlpha(status.pixel(5, 1)), 0);
}

TEST_F(KelStylePrimitivesTest, ToolBarSeparatorIsTwoVerticalLines)
{
    store()->add(QStringLiteral("IndicatorToolBarSeparator.pen1"), QPen(kRed));
    store()->add(QStringLiteral("IndicatorToolBarSeparator.pen2"), QPen(kGreen));
    const QImage image = paint(QStyle::PE_IndicatorToolBarSeparator, option(QRect(0, 0, 10, 30)));
    EXPECT_EQ(pixel(image, 5, 7), kRed);
    EXPECT_EQ(pixel(image, 5, 21), kRed);
    EXPECT_EQ(qAlpha(image.pixel(5, 6)), 0);
    EXPECT_EQ(qAlpha(image.pixel(5, 22)), 0);
    EXPECT_EQ(pixel(image, 4, 14), kGreen);
    EXPECT_EQ(qAlpha(image.pixel(6, 14)), 0);
}

TEST_F(KelStylePrimitivesTest, TabWidgetFrame)
{
    store()->add(QStringLiteral("FrameTabWidget.backgroundColor"), QColor(1, 1, 1));
    store()->add(QStringLiteral("FrameTabWidget.borderLeftColor"), QColor(2, 2, 2));
    store()->add(QStringLiteral("FrameTabWidget.borderTopColor"), QColor(3, 3, 3));
    store()->add(QStringLiteral("FrameTabWidget.borderBottomColor"), QColor(4, 4, 4));
    store()->add(QStringLiteral("FrameTabWidget.borderRightColor"), QColor(5, 5, 5));
    store()->add(QStringLiteral("FrameTabWidget.topBackgroundColor"), QColor(6, 6, 6));
    store()->add(QStringLiteral("FrameTabWidget.borderTopColor2"), QColor(7, 7, 7));
    store()->add(QStringLiteral("FrameTabWidget.topBackgroundGradient"), solidGradient(QColor(8, 8, 8)));
    const QImage image = paint(QStyle::PE_FrameTabWidget, option(QRect(0, 0, 40, 30)));

    EXPECT_EQ(pixel(image, 0, 20), QColor(2, 2, 2));
    EXPECT_EQ(pixel(image, 20, 0), QColor(3, 3, 3));
    EXPECT_EQ(pixel(image, 20, 29), QColor(4, 4, 4));
    EXPECT_EQ(pixel(image, 39, 20), QColor(5, 5, 5));
    EXPECT_EQ(pixel(image, 20, 1), QColor(5, 5, 5));
    EXPECT_EQ(pixel(image, 1, 3), QColor(5, 5, 5));
    EXPECT_EQ(pixel(image, 20, 3), QColor(6, 6, 6));
    EXPECT_EQ(pixel(image, 20, 5), QColor(7, 7, 7));
    EXPECT_EQ(pixel(image, 20, 10), QColor(8, 8, 8));
    EXPECT_EQ(pixel(image, 20, 20), QColor(1, 1, 1));
}

TEST_F(KelStylePrimitivesTest, DockSeparatorShowsItsBorderAlongTheLongSides)
{
    store()->add(QStringLiteral("IndicatorDockWidgetResizeHandle.borderPen"), QPen(kRed));
    store()->add(QStringLiteral("IndicatorDockWidgetResizeHandle.backgroundColor"), kBlue);
    const QImage image = paint(QStyle::PE_IndicatorDockWidgetResizeHandle, option(QRect(0, 0, 40, 6)));
    EXPECT_EQ(pixel(image, 10, 0), kRed);
    EXPECT_EQ(pixel(image, 10, 5), kRed);
    EXPECT_EQ(pixel(image, 10, 3), kBlue);
    EXPECT_EQ(pixel(image, 0, 3), kBlue);
    EXPECT_EQ(pixel(image, 39, 3), kBlue);
}

class ItemViewPanel : public KelStylePrimitivesTest
{
protected:
    void SetUp() override
    {
        KelStylePrimitivesTest::SetUp();
        store()->add(QStringLiteral("PanelItemViewItem.notSelectedAndSorted.borderPen"), QPen(kRed));
        store()->add(QStringLiteral("PanelItemViewItem.notSelectedAndSorted.backgroundGradient"),
                     solidGradient(kBlue));
        store()->add(QStringLiteral("PanelItemViewItem.selectedAndSorted.borderPen"), QPen(kYellow));
        store()->add(QStringLiteral("PanelItemViewItem.selectedAndSorted.backgroundGradient"),
                     solidGradient(kGreen));
    }

    static QStyleOptionViewItem item(QStyleOptionViewItem::ViewItemPosition position,
                                     bool selected = false)
    {
        QStyleOptionViewItem o;
        o.rect = QRect(0, 0, 30, 20);
        o.state = QStyle::State_Enabled;
        if (selected)
            o.state |= QStyle::State_Selected;
        o.viewItemPosition = position;
        return o;
    }
};

TEST_F(ItemViewPanel, CellsJoinIntoOneBand)
{
    const QImage only = paint(QStyle::PE_PanelItemViewItem, item(QStyleOptionViewItem::OnlyOne));
    EXPECT_EQ(pixel(only, 15, 10), kBlue);
    EXPECT_EQ(pixel(only, 2, 10), kBlue);

    const QImage selected = paint(QStyle::PE_PanelItemViewItem, item(QStyleOptionViewItem::OnlyOne, true));
    EXPECT_EQ(pixel(selected, 15, 10), kGreen);

    // The joining lines show above and below the band, which covers them in between.
    const QImage beginning = paint(QStyle::PE_PanelItemViewItem, item(QStyleOptionViewItem::Beginning));
    EXPECT_EQ(pixel(beginning, 28, 1), kRed);
    EXPECT_EQ(pixel(beginning, 28, 10), kBlue);
    EXPECT_EQ(pixel(beginning, 2, 10), kBlue);
    EXPECT_EQ(qAlpha(beginning.pixel(1, 10)), 255);
    EXPECT_EQ(qAlpha(beginning.pixel(0, 10)), 0);

    QStyleOptionViewItem end = item(QStyleOptionViewItem::End);
    const QImage endImage = paint(QStyle::PE_PanelItemViewItem, end);
    EXPECT_EQ(pixel(endImage, 0, 1), kRed);
    EXPECT_EQ(pixel(endImage, 1, 1), kRed);
    EXPECT_EQ(pixel(endImage, 0, 10), kBlue);
    EXPECT_EQ(pixel(endImage, 27, 10), kBlue);
    EXPECT_EQ(qAlpha(endImage.pixel(29, 10)), 0);

    // Right to left, the beginning of a row sits at the right: it is painted as an end.
    QStyleOptionViewItem rtl = item(QStyleOptionViewItem::Beginning);
    rtl.direction = Qt::RightToLeft;
    EXPECT_EQ(paint(QStyle::PE_PanelItemViewItem, rtl), endImage);

    EXPECT_TRUE(isClear(paint(QStyle::PE_PanelItemViewItem, item(QStyleOptionViewItem::Invalid))
                            .copy(3, 3, 24, 14)));
}

TEST_F(ItemViewPanel, CellWithAnIndexWidgetGetsNoBackground)
{
    QStandardItemModel model(1, 1);
    QTreeView view;
    view.setModel(&model);
    const QModelIndex index = model.index(0, 0);
    view.setIndexWidget(index, new QLabel(QStringLiteral("widget")));

    QStyleOptionViewItem o = item(QStyleOptionViewItem::OnlyOne, true);
    o.index = index;
    EXPECT_TRUE(isClear(paint(QStyle::PE_PanelItemViewItem, o, &view)));
}

TEST_F(ItemViewPanel, IconModeBackgroundOnlyForSelectedItems)
{
    QListView list;
    list.setViewMode(QListView::IconMode);
    EXPECT_TRUE(isClear(paint(QStyle::PE_PanelItemViewItem, item(QStyleOptionViewItem::OnlyOne), &list)));
}

TEST_F(KelStylePrimitivesTest, TabCloseButtonLooksPressedOnlyUnderThePointer)
{
    addPixmap(QStringLiteral("titleBarButtonNormal"), 16, 16, kRed);
    addPixmap(QStringLiteral("titleBarButtonHover"), 16, 16, kGreen);
    addPixmap(QStringLiteral("titleBarButtonPressed"), 16, 16, kBlue);

    QTabBar tabBar;
    tabBar.setTabsClosable(true);
    tabBar.addTab(QStringLiteral("Tab"));
    QWidget* button = tabBar.tabButton(0, QTabBar::RightSide);
    ASSERT_NE(button, nullptr);
    button->setGeometry(0, 0, 14, 14);

    const QStyleOption pressed = option(QRect(0, 0, 14, 14),
                                        QStyle::State_Enabled | QStyle::State_Sunken | QStyle::State_Raised);
    QCursor::setPos(button->mapToGlobal(QPoint(7, 7)));
    EXPECT_EQ(pixel(paint(QStyle::PE_IndicatorTabClose, pressed, button), 7, 7), kBlue);

    QCursor::setPos(button->mapToGlobal(QPoint(40, 40)));
    EXPECT_EQ(pixel(paint(QStyle::PE_IndicatorTabClose, pressed, button), 7, 7), kRed);
    QCursor::setPos(QPoint(0, 0));
}

} // namespace

#include "style/KelStyle.h"
#include "style/KelToolBox.h"

#include "KelStyleTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QStyleFactory>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>

#include <memory>

using namespace KelStyleTest;

namespace {

class KelStyleMetricsTest : public ::testing::Test
{
protected:
    void SetUp() override { store()->clear(); }
    void TearDown() override { store()->clear(); }

    // The answers of the style KelStyle hands on to.
    QStyle* windows()
    {
        if (!m_windows)
            m_windows.reset(QStyleFactory::create(QStringLiteral("Windows")));
        return m_windows.get();
    }

    KelStyle style;

private:
    std::unique_ptr<QStyle> m_windows;
};

TEST_F(KelStyleMetricsTest, FixedMetrics)
{
    EXPECT_EQ(style.pixelMetric(QStyle::PM_ScrollBarExtent), 16);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_SliderControlThickness), 20);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_DockWidgetFrameWidth), 3);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_TabBarBaseOverlap), 2);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_SplitterWidth), 6);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_MenuPanelWidth), 1);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_MenuBarItemSpacing), 4);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_TabBarTabShiftHorizontal), 0);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_TabBarTabShiftVertical), -1);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_ToolBarItemMargin), 2);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_TabCloseIndicatorWidth), 14);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_TabCloseIndicatorHeight), 14);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_TabBarTabHSpace),
              windows()->pixelMetric(QStyle::PM_TabBarTabHSpace) + 31);
    // Not answered here: the base's value.
    EXPECT_EQ(style.pixelMetric(QStyle::PM_DefaultFrameWidth),
              windows()->pixelMetric(QStyle::PM_DefaultFrameWidth));
}

TEST_F(KelStyleMetricsTest, IndicatorAndSliderMetricsFollowTheirPixmaps)
{
    EXPECT_EQ(style.pixelMetric(QStyle::PM_IndicatorWidth), 2);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_IndicatorHeight), 0);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_ExclusiveIndicatorWidth), 2);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_ExclusiveIndicatorHeight), 0);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_SliderLength), 0);

    addPixmap(QStringLiteral("checkboxCheckedDefault"), 13, 12);
    addPixmap(QStringLiteral("radiobuttonCheckedDefault"), 11, 10);
    addPixmap(QStringLiteral("sliderHandleHorizontalNormal"), 17, 9);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_IndicatorWidth), 15);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_IndicatorHeight), 12);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_ExclusiveIndicatorWidth), 13);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_ExclusiveIndicatorHeight), 10);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_SliderLength), 17);
}

TEST_F(KelStyleMetricsTest, ScrollButtonsOfTabBarsDoNotShift)
{
    QTabBar tabBar;
    QToolButton scrollButton(&tabBar);
    QToolButton elsewhere;
    EXPECT_EQ(style.pixelMetric(QStyle::PM_ButtonShiftHorizontal, nullptr, &scrollButton), 0);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_ButtonShiftVertical, nullptr, &scrollButton), 0);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_ButtonShiftHorizontal, nullptr, &elsewhere),
              windows()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, nullptr, &elsewhere));
}

TEST_F(KelStyleMetricsTest, ToolBoxPagesGetATopMarginOf11)
{
    KelToolBox toolBox;
    auto* page = new QWidget;
    toolBox.addItem(page, QStringLiteral("Section"));
    QWidget loose;
    EXPECT_EQ(style.pixelMetric(QStyle::PM_LayoutTopMargin, nullptr, page), 11);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_LayoutTopMargin, nullptr, &loose),
              windows()->pixelMetric(QStyle::PM_LayoutTopMargin, nullptr, &loose));
}

TEST_F(KelStyleMetricsTest, MenuBarMarginsCentreItemsOnTheCornerPixmap)
{
    style.setCornerPixmap(solidPixmap(40, 30, Qt::blue));
    QMenuBar bar;
    bar.resize(300, 36);
    bar.addAction(QStringLiteral("File"));
    const int textHeight = QFontMetrics(bar.font()).size(Qt::TextShowMnemonic, QStringLiteral("File")).height();

    EXPECT_EQ(style.pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, &bar), 40 + (36 - 30));
    EXPECT_EQ(style.pixelMetric(QStyle::PM_MenuBarVMargin, nullptr, &bar), (30 + 4 - textHeight) / 2);

    // Without a menu bar the base answers.
    QWidget other;
    EXPECT_EQ(style.pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, &other),
              windows()->pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, &other));
    EXPECT_EQ(style.pixelMetric(QStyle::PM_MenuBarVMargin),
              windows()->pixelMetric(QStyle::PM_MenuBarVMargin));
}

TEST_F(KelStyleMetricsTest, MenuBarItemTallerThanTheCornerPixmapGivesANegativeMargin)
{
    style.setCornerPixmap(solidPixmap(4, 2, Qt::blue));
    QMenuBar bar;
    QFont font = bar.font();
    font.setPixelSize(30);
    bar.setFont(font);
    bar.addAction(QStringLiteral("Edit"));
    EXPECT_LT(style.pixelMetric(QStyle::PM_MenuBarVMargin, nullptr, &bar), 0);
}

TEST_F(KelStyleMetricsTest, MenuItemsAreWiderByTheCheckPixmap)
{
    QStyleOptionMenuItem item;
    item.text = QStringLiteral("Open");
    const QSize contents(60, 14);
    const QSize base = windows()->sizeFromContents(QStyle::CT_MenuItem, &item, contents, nullptr);
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_MenuItem, &item, contents, nullptr), base);

    addPixmap(QStringLiteral("checkboxCheckedDefault"), 13, 13);
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_MenuItem, &item, contents, nullptr),
              QSize(base.width() + 13, base.height()));
}

TEST_F(KelStyleMetricsTest, MenuBarAndPlainMenuBarItems)
{
    style.setCornerPixmap(solidPixmap(50, 30, Qt::blue));
    QStyleOption option;
    const QSize small = style.sizeFromContents(QStyle::CT_MenuBar, &option, QSize(10, 10), nullptr);
    EXPECT_EQ(small, QSize(70, 38));

    QMenuBar bar;
    bar.addAction(QStringLiteral("File"));
    bar.addSeparator();
    bar.addAction(QStringLiteral("Edit"));
    QStyleOptionMenuItem item;
    item.text = QStringLiteral("Edit");
    const QSize contents(30, 14);
    const QSize plain = style.sizeFromContents(QStyle::CT_MenuBarItem, &item, contents, &bar);
    EXPECT_GE(plain.height(), 24);
    item.text = QStringLiteral("File");
    const QSize separated = style.sizeFromContents(QStyle::CT_MenuBarItem, &item, contents, &bar);
    EXPECT_EQ(separated.width(), plain.width() + 6);
}

TEST_F(KelStyleMetricsTest, RollOutMenuBarItemIsAsWideAsItsWidestEntryPlus20)
{
    QMenuBar bar;
    QMenu* menu = bar.addMenu(QStringLiteral("{Effects}"));
    menu->addAction(QStringLiteral("Blur"));
    menu->addAction(QStringLiteral("A much longer entry"));

    QStyleOptionMenuItem item;
    item.text = QStringLiteral("{Effects}");
    item.fontMetrics = bar.fontMetrics();

    auto entryWidth = [&](const QString& text) {
        QStyleOptionMenuItem entry(item);
        entry.text = QStringLiteral("{%1}").arg(text);
        const QSize size = item.fontMetrics.size(Qt::TextShowMnemonic, text);
        return style.sizeFromContents(QStyle::CT_MenuBarItem, &entry,
                                      QSize(size.width() - 25, size.height()), nullptr)
            .width();
    };
    const int widest = qMax(entryWidth(QStringLiteral("Blur")),
                            entryWidth(QStringLiteral("A much longer entry")));
    EXPECT_GT(entryWidth(QStringLiteral("A much longer entry")), entryWidth(QStringLiteral("Blur")));

    const QSize size = style.sizeFromContents(QStyle::CT_MenuBarItem, &item, QSize(40, 14), &bar);
    EXPECT_EQ(size.width(), widest + 20);
    EXPECT_GE(size.height(), 24);

    // A roll-out tool button carrying the same menu measures the same way.
    QToolBar toolBar;
    auto* button = new QToolButton(&toolBar);
    button->setText(QStringLiteral("{Effects}"));
    button->setMenu(menu);
    QStyleOptionToolButton tool;
    tool.text = button->text();
    const QSize toolSize = style.sizeFromContents(QStyle::CT_ToolButton, &tool, QSize(65, 14), button);
    EXPECT_EQ(toolSize.width(), widest + 20);
}

TEST_F(KelStyleMetricsTest, AutoRaiseTextButtonsOutsideBarsAre47High)
{
    QStyleOptionToolButton option;
    option.state = QStyle::State_AutoRaise | QStyle::State_Enabled;
    option.text = QStringLiteral("Apply");
    const QSize contents(40, 14);

    QWidget panel;
    QToolButton loose(&panel);
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_ToolButton, &option, contents, &loose).height(), 47);

    QToolBar toolBar;
    QToolButton inBar(&toolBar);
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_ToolButton, &option, contents, &inBar),
              windows()->sizeFromContents(QStyle::CT_ToolButton, &option, contents, &inBar));
}

TEST_F(KelStyleMetricsTest, LastTabMakesRoomForTheAddButton)
{
    QWidget host;
    host.setProperty("addTabButtonVisible", true);
    QTabBar tabBar(&host);

    QStyleOptionTab tab;
    tab.text = QStringLiteral("Tab");
    tab.position = QStyleOptionTab::Middle;
    const QSize contents(40, 10);
    const QSize middle = style.sizeFromContents(QStyle::CT_TabBarTab, &tab, contents, &tabBar);
    tab.position = QStyleOptionTab::End;
    const QSize last = style.sizeFromContents(QStyle::CT_TabBarTab, &tab, contents, &tabBar);
    tab.position = QStyleOptionTab::OnlyOneTab;
    const QSize only = style.sizeFromContents(QStyle::CT_TabBarTab, &tab, contents, &tabBar);
    EXPECT_EQ(last.width(), middle.width() + 24);
    EXPECT_EQ(only.width(), middle.width() + 24);
    EXPECT_GE(middle.height(), 29);

    host.setProperty("addTabButtonVisible", false);
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_TabBarTab, &tab, contents, &tabBar).width(),
              middle.width());
}

TEST_F(KelStyleMetricsTest, MinimumHeightsOfSlidersHeadersAndRows)
{
    QStyleOptionSlider slider;
    slider.orientation = Qt::Horizontal;
    EXPECT_GE(style.sizeFromContents(QStyle::CT_Slider, &slider, QSize(100, 4), nullptr).height(), 20);
    slider.orientation = Qt::Vertical;
    EXPECT_GE(style.sizeFromContents(QStyle::CT_Slider, &slider, QSize(4, 100), nullptr).width(), 20);

    QStyleOptionHeader header;
    EXPECT_GE(style.sizeFromContents(QStyle::CT_HeaderSection, &header, QSize(30, 5), nullptr).height(), 23);
    QStyleOptionViewItem row;
    EXPECT_GE(style.sizeFromContents(QStyle::CT_ItemViewItem, &row, QSize(30, 5), nullptr).height(), 21);
}

TEST_F(KelStyleMetricsTest, HeaderSubElements)
{
    QStyleOptionHeader header;
    header.rect = QRect(10, 0, 100, 23);
    EXPECT_EQ(style.subElementRect(QStyle::SE_HeaderArrow, &header, nullptr),
              QRect(QPoint(55, 2), QPoint(62, 5)));
    EXPECT_EQ(style.subElementRect(QStyle::SE_HeaderLabel, &header, nullptr),
              windows()->subElementRect(QStyle::SE_HeaderLabel, &header, nullptr).adjusted(4, 0, 0, 0));
}

TEST_F(KelStyleMetricsTest, ListViewTextRectangles)
{
    QListView list;
    QStyleOptionViewItem item;
    item.rect = QRect(0, 0, 120, 40);
    item.features = QStyleOptionViewItem::HasDisplay;
    item.text = QStringLiteral("Name");
    item.fontMetrics = list.fontMetrics();
    const QRect base = windows()->subElementRect(QStyle::SE_ItemViewItemText, &item, &list);

    EXPECT_EQ(style.subElementRect(QStyle::SE_ItemViewItemText, &item, &list), base.adjusted(5, 0, 0, 0));
    item.direction = Qt::RightToLeft;
    const QRect rtlBase = windows()->subElementRect(QStyle::SE_ItemViewItemText, &item, &list);
    EXPECT_EQ(style.subElementRect(QStyle::SE_ItemViewItemText, &item, &list), rtlBase.adjusted(0, 0, -5, 0));

    item.direction = Qt::LeftToRight;
    list.setViewMode(QListView::IconMode);
    const QRect iconBase = windows()->subElementRect(QStyle::SE_ItemViewItemText, &item, &list);
    EXPECT_EQ(style.subElementRect(QStyle::SE_ItemViewItemText, &item, &list), iconBase.translated(0, -2));
}

TEST_F(KelStyleMetricsTest, TabCloseButtonIgnoresSelectionAndClearsTheAddButton)
{
    QWidget host;
    QTabBar tabBar(&host);
    QStyleOptionTab tab;
    tab.rect = QRect(0, 0, 120, 29);
    tab.text = QStringLiteral("Tab");
    tab.rightButtonSize = QSize(14, 14);
    tab.position = QStyleOptionTab::End;

    const QRect unselected = style.subElementRect(QStyle::SE_TabBarTabRightButton, &tab, &tabBar);
    tab.state |= QStyle::State_Selected;
    const QRect selected = style.subElementRect(QStyle::SE_TabBarTabRightButton, &tab, &tabBar);
    EXPECT_EQ(selected, unselected);
    EXPECT_EQ(unselected.size(), QSize(14, 14));
    EXPECT_EQ(unselected.right(), static_cast<int>(tab.rect.right() - 1.5 * unselected.top()));

    host.setProperty("addTabButtonVisible", true);
    const QRect withAdd = style.subElementRect(QStyle::SE_TabBarTabRightButton, &tab, &tabBar);
    EXPECT_EQ(withAdd, unselected.translated(-24, 0));
    tab.position = QStyleOptionTab::Middle;
    EXPECT_EQ(style.subElementRect(QStyle::SE_TabBarTabRightButton, &tab, &tabBar), unselected);
}

TEST_F(KelStyleMetricsTest, SubControlRectangles)
{
    QStyleOptionToolButton tool;
    tool.rect = QRect(0, 0, 80, 24);
    tool.subControls = QStyle::SC_ToolButton | QStyle::SC_ToolButtonMenu;
    tool.features = QStyleOptionToolButton::MenuButtonPopup;
    const QRect menuBase = windows()->subControlRect(QStyle::CC_ToolButton, &tool, QStyle::SC_ToolButtonMenu, nullptr);
    EXPECT_EQ(style.subControlRect(QStyle::CC_ToolButton, &tool, QStyle::SC_ToolButtonMenu, nullptr),
              menuBase.adjusted(2, 0, 0, 0));
    tool.text = QStringLiteral("{Roll}");
    EXPECT_EQ(style.subControlRect(QStyle::CC_ToolButton, &tool, QStyle::SC_ToolButtonMenu, nullptr), tool.rect);

    QStyleOptionComboBox combo;
    combo.rect = QRect(0, 0, 120, 22);
    combo.subControls = QStyle::SC_All;
    const QRect editBase = windows()->subControlRect(QStyle::CC_ComboBox, &combo, QStyle::SC_ComboBoxEditField, nullptr);
    EXPECT_EQ(style.subControlRect(QStyle::CC_ComboBox, &combo, QStyle::SC_ComboBoxEditField, nullptr),
              editBase.adjusted(2, 0, 0, 0));

    QStyleOptionGroupBox group;
    group.rect = QRect(0, 0, 200, 100);
    group.text = QStringLiteral("Group");
    group.fontMetrics = QFontMetrics(QFont());
    group.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect labelBase = windows()->subControlRect(QStyle::CC_GroupBox, &group, QStyle::SC_GroupBoxLabel, nullptr);
    EXPECT_EQ(style.subControlRect(QStyle::CC_GroupBox, &group, QStyle::SC_GroupBoxLabel, nullptr), labelBase);
    group.features = QStyleOptionFrame::Flat;
    const QRect flat = style.subControlRect(QStyle::CC_GroupBox, &group, QStyle::SC_GroupBoxLabel, nullptr);
    EXPECT_EQ(flat.left(), -3);
    EXPECT_EQ(flat.size(), windows()->subControlRect(QStyle::CC_GroupBox, &group, QStyle::SC_GroupBoxLabel, nullptr).size());
    group.subControls |= QStyle::SC_GroupBoxCheckBox;
    EXPECT_NE(style.subControlRect(QStyle::CC_GroupBox, &group, QStyle::SC_GroupBoxLabel, nullptr).left(), -3);
}

TEST_F(KelStyleMetricsTest, StyleHints)
{
    EXPECT_EQ(style.styleHint(QStyle::SH_Workspace_FillSpaceOnMaximize), 0);
    EXPECT_EQ(style.styleHint(QStyle::SH_ComboBox_Popup), 1);
    EXPECT_EQ(style.styleHint(QStyle::SH_TitleBar_ModifyNotification), 0);
    EXPECT_EQ(style.styleHint(QStyle::SH_DialogButtonLayout), int(QDialogButtonBox::MacLayout));
    EXPECT_EQ(style.styleHint(QStyle::SH_MessageBox_CenterButtons), 0);
    EXPECT_EQ(style.styleHint(QStyle::SH_Menu_FadeOutOnHide), 1);
    EXPECT_EQ(style.styleHint(QStyle::SH_FormLayoutLabelAlignment), int(Qt::AlignRight));

    // What the form layout and the tab widget rely on the base for.
    EXPECT_EQ(style.styleHint(QStyle::SH_FormLayoutWrapPolicy), int(QFormLayout::DontWrapRows));
    EXPECT_EQ(style.styleHint(QStyle::SH_FormLayoutFieldGrowthPolicy),
              int(QFormLayout::AllNonFixedFieldsGrow));
    EXPECT_EQ(style.styleHint(QStyle::SH_FormLayoutFormAlignment), int(Qt::AlignLeft | Qt::AlignTop));
    EXPECT_EQ(style.styleHint(QStyle::SH_TabBar_CloseButtonPosition), int(QTabBar::RightSide));
}

TEST_F(KelStyleMetricsTest, TableGridColourFollowsTheStyleKey)
{
    EXPECT_EQ(style.styleHint(QStyle::SH_Table_GridLineColor), static_cast<int>(QColor().rgb()));
    store()->add(QStringLiteral("Table.gridLineColor"), QColor(12, 34, 56));
    EXPECT_EQ(style.styleHint(QStyle::SH_Table_GridLineColor), static_cast<int>(qRgb(12, 34, 56)));
}

TEST_F(KelStyleMetricsTest, FormLayoutAdoptsTheHints)
{
    QWidget form;
    form.setStyle(&style);
    auto* layout = new QFormLayout(&form);
    EXPECT_EQ(layout->labelAlignment(), Qt::AlignRight);
    EXPECT_EQ(layout->rowWrapPolicy(), QFormLayout::DontWrapRows);
    EXPECT_EQ(layout->fieldGrowthPolicy(), QFormLayout::AllNonFixedFieldsGrow);
    EXPECT_EQ(layout->formAlignment(), Qt::AlignLeft | Qt::AlignTop);
}

} // namespace

#include "style/KelStyle.h"
#include "style/KelToolBox.h"

#include "KelStyleTestSupport.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMenuBar>
#include <QStyleFactory>
#include <QTabBar>

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

} // namespace

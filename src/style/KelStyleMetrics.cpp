#include "style/KelStyle.h"

#include "style/KelToolBox.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QListView>
#include <QMenu>
#include <QToolBar>

namespace {

const QString kCheckboxPixmap = QStringLiteral("checkboxCheckedDefault");
const QString kRadioPixmap = QStringLiteral("radiobuttonCheckedDefault");
const QString kSliderHandlePixmap = QStringLiteral("sliderHandleHorizontalNormal");

constexpr int kAddTabButtonWidth = 24;

} // namespace

int KelStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                          const QWidget* widget) const
{
    switch (metric) {
    case PM_ButtonShiftHorizontal:
    case PM_ButtonShiftVertical:
        // The tab bar's scroll buttons do not shift when pressed.
        if (qobject_cast<const QToolButton*>(widget) && qobject_cast<QTabBar*>(widget->parent()))
            return 0;
        break;
    case PM_ScrollBarExtent:
        return 16;
    case PM_SliderControlThickness:
        return 20;
    case PM_SliderLength:
        return stylePixmap(kSliderHandlePixmap).width();
    case PM_DockWidgetFrameWidth:
        return 3;
    case PM_TabBarTabHSpace:
        return QProxyStyle::pixelMetric(metric, option, widget) + 31;
    case PM_TabBarBaseOverlap:
        return 2;
    case PM_SplitterWidth:
        return 6;
    case PM_MenuPanelWidth:
        return 1;
    case PM_MenuBarItemSpacing:
        return 4;
    case PM_MenuBarVMargin:
        if (const auto* bar = qobject_cast<const QMenuBar*>(widget))
            return menuBarVerticalMargin(bar);
        break;
    case PM_MenuBarHMargin:
        if (qobject_cast<const QMenuBar*>(widget))
            return m_cornerPixmap.width() + (widget->height() - m_cornerPixmap.height());
        break;
    case PM_IndicatorWidth:
        return stylePixmap(kCheckboxPixmap).width() + 2;
    case PM_IndicatorHeight:
        return stylePixmap(kCheckboxPixmap).height();
    case PM_ExclusiveIndicatorWidth:
        return stylePixmap(kRadioPixmap).width() + 2;
    case PM_ExclusiveIndicatorHeight:
        return stylePixmap(kRadioPixmap).height();
    case PM_TabBarTabShiftHorizontal:
        return 0;
    case PM_TabBarTabShiftVertical:
        return -1;
    case PM_ToolBarItemMargin:
        return 2;
    case PM_LayoutTopMargin:
        if (widget && qobject_cast<KelToolBox*>(widget->parent()))
            return 11;
        break;
    case PM_TabCloseIndicatorWidth:
    case PM_TabCloseIndicatorHeight:
        return 14;
    default:
        break;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int KelStyle::menuBarVerticalMargin(const QMenuBar* menuBar) const
{
    // Centres the tallest item on the corner pixmap's height + 4; a taller item gives a
    // negative margin on purpose.
    int tallest = 0;
    const QFontMetrics metrics(menuBar->font());
    const QList<QAction*> actions = menuBar->actions();
    for (const QAction* action : actions) {
        int height;
        if (!action->icon().isNull())
            height = qMax(-1, proxy()->pixelMetric(PM_SmallIconSize, nullptr, menuBar));
        else if (!action->text().isEmpty())
            height = metrics.size(Qt::TextShowMnemonic, action->text()).height();
        else
            height = -1;
        tallest = qMax(tallest, height);
    }
    return (m_cornerPixmap.height() + 4 - tallest) / 2;
}

QSize KelStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                 const QSize& size, const QWidget* widget) const
{
    switch (type) {
    case CT_ToolButton:
        if (const auto* o = qstyleoption_cast<const QStyleOptionToolButton*>(option))
            return toolButtonSize(o, size, widget);
        break;
    case CT_MenuItem: {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        result.rwidth() += stylePixmap(kCheckboxPixmap).width();
        return result;
    }
    case CT_MenuBarItem:
        if (const auto* o = qstyleoption_cast<const QStyleOptionMenuItem*>(option))
            return menuBarItemSize(o, size, widget);
        break;
    case CT_MenuBar: {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        result.setWidth(qMax(result.width(), m_cornerPixmap.width() + 20));
        result.setHeight(qMax(result.height(), m_cornerPixmap.height() + 8));
        return result;
    }
    case CT_TabBarTab: {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (showsAddTabButton(widget) && isLastTab(option))
            result.rwidth() += kAddTabButtonWidth;
        result.setHeight(qMax(result.height(), 29));
        return result;
    }
    case CT_Slider: {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (slider && slider->orientation == Qt::Horizontal)
            result.setHeight(qMax(result.height(), 20));
        else
            result.setWidth(qMax(result.width(), 20));
        return result;
    }
    case CT_HeaderSection: {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        result.setHeight(qMax(result.height(), 23));
        return result;
    }
    case CT_ItemViewItem: {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        result.setHeight(qMax(result.height(), 21));
        return result;
    }
    default:
        break;
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

QSize KelStyle::toolButtonSize(const QStyleOptionToolButton* option, const QSize& size,
                               const QWidget* widget) const
{
    const QObject* parent = widget ? widget->parent() : nullptr;
    const bool inBar = qobject_cast<const QToolBar*>(parent) || qobject_cast<const QMenuBar*>(parent);
    if (widget && !inBar && option->icon.isNull() && (option->state & State_AutoRaise)) {
        QSize result = QProxyStyle::sizeFromContents(CT_ToolButton, option, size, widget);
        result.setHeight(47);
        return result;
    }
    if (isRollOutText(option->text)) {
        QStyleOptionMenuItem item;
        item.text = option->text;
        return menuBarItemSize(&item, QSize(size.width() - 25, size.height()), widget);
    }
    return QProxyStyle::sizeFromContents(CT_ToolButton, option, size, widget);
}

QSize KelStyle::menuBarItemSize(const QStyleOptionMenuItem* option, const QSize& size,
                                const QWidget* widget) const
{
    const QString& text = option->text;
    const auto* menuBar = qobject_cast<const QMenuBar*>(widget);
    const bool separated = menuBar && actionFollowedBySeparator(menuBar, text);

    if (!isRollOutText(text)) {
        QSize result = QProxyStyle::sizeFromContents(CT_MenuBarItem, option, size, widget);
        if (separated)
            result.rwidth() += 6;
        result.setHeight(qMax(result.height(), 24));
        return result;
    }

    const QMenu* menu = nullptr;
    if (const auto* button = qobject_cast<const QToolButton*>(widget)) {
        menu = button->menu();
        if (!menu && button->defaultAction())
            menu = button->defaultAction()->menu();
    } else if (menuBar) {
        const QList<QAction*> actions = menuBar->actions();
        for (const QAction* action : actions) {
            if (action->text() == text) {
                menu = action->menu();
                break;
            }
        }
    }

    int width;
    int height;
    if (!menu) {
        const QSize base = QProxyStyle::sizeFromContents(CT_MenuBarItem, option, size, widget);
        width = base.width();
        height = base.height();
    } else {
        // As wide as the widest entry measured as a roll-out of its own.
        width = -1;
        height = -1;
        const QList<QAction*> actions = menu->actions();
        for (const QAction* action : actions) {
            QStyleOptionMenuItem entry(*option);
            entry.text = QStringLiteral("{%1}").arg(action->text());
            const QSize textSize = option->fontMetrics.size(Qt::TextShowMnemonic, action->text());
            const QSize entrySize = menuBarItemSize(
                &entry, QSize(textSize.width() - 25, textSize.height()), nullptr);
            width = qMax(width, entrySize.width());
            height = qMax(height, entrySize.height());
        }
    }
    if (separated)
        width += 6;
    return QSize(width + 20, qMax(height, 24));
}

QRect KelStyle::subElementRect(SubElement element, const QStyleOption* option,
                               const QWidget* widget) const
{
    switch (element) {
    case SE_HeaderLabel:
        return QProxyStyle::subElementRect(element, option, widget).adjusted(4, 0, 0, 0);
    case SE_HeaderArrow:
        if (option) {
            const int cx = (option->rect.left() + option->rect.right()) / 2;
            return QRect(QPoint(cx - 4, 2), QPoint(cx + 3, 5));
        }
        break;
    case SE_TabWidgetTabContents:
        return QProxyStyle::subElementRect(element, option, widget).adjusted(0, 4, 0, 0);
    case SE_ItemViewItemDecoration: {
        QRect rect = QProxyStyle::subElementRect(element, option, widget);
        const auto* list = qobject_cast<const QListView*>(widget);
        if (list && list->viewMode() == QListView::IconMode)
            rect.adjust(0, 0, 0, -4);
        return rect;
    }
    case SE_ItemViewItemText: {
        QRect rect = QProxyStyle::subElementRect(element, option, widget);
        if (const auto* list = qobject_cast<const QListView*>(widget)) {
            if (list->viewMode() == QListView::IconMode)
                rect.translate(0, -2);
            else if (option && option->direction == Qt::RightToLeft)
                rect.adjust(0, 0, -5, 0);
            else
                rect.adjust(5, 0, 0, 0);
        }
        return rect;
    }
    case SE_TabBarTabRightButton:
        if (const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option))
            return tabCloseButtonRect(tab, widget);
        break;
    default:
        break;
    }
    return QProxyStyle::subElementRect(element, option, widget);
}

QRect KelStyle::tabCloseButtonRect(const QStyleOptionTab* option, const QWidget* widget) const
{
    // The button's place must not depend on the tab being selected.
    QStyleOptionTab copy(*option);
    copy.state &= ~State_Selected;
    QRect rect = QProxyStyle::subElementRect(SE_TabBarTabRightButton, &copy, widget);
    rect.moveRight(static_cast<int>(option->rect.right() - 1.5 * rect.top()));
    if (showsAddTabButton(widget) && isLastTab(option))
        rect.translate(-kAddTabButtonWidth, 0);
    return rect;
}

QRect KelStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                               SubControl subControl, const QWidget* widget) const
{
    if (control == CC_ComboBox && subControl == SC_ComboBoxEditField)
        return QProxyStyle::subControlRect(control, option, subControl, widget).adjusted(2, 0, 0, 0);

    if (control == CC_ToolButton && subControl == SC_ToolButtonMenu) {
        const auto* button = qstyleoption_cast<const QStyleOptionToolButton*>(option);
        if (button && isRollOutText(button->text))
            return option->rect;
        return QProxyStyle::subControlRect(control, option, subControl, widget).adjusted(2, 0, 0, 0);
    }

    if (control == CC_GroupBox && subControl == SC_GroupBoxLabel) {
        QRect rect = QProxyStyle::subControlRect(control, option, subControl, widget);
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (box && (box->features & QStyleOptionFrame::Flat)
            && !(box->subControls & SC_GroupBoxCheckBox))
            rect.moveLeft(-3);
        return rect;
    }

    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

int KelStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                        QStyleHintReturn* returnData) const
{
    switch (hint) {
    case SH_Workspace_FillSpaceOnMaximize:
        return 0;
    case SH_ComboBox_Popup:
        return 1;
    case SH_Table_GridLineColor:
        return static_cast<int>(styleColor(QStringLiteral("Table.gridLineColor")).rgb());
    case SH_TitleBar_ModifyNotification:
        return 0;
    case SH_DialogButtonLayout:
        return QDialogButtonBox::MacLayout;
    case SH_MessageBox_CenterButtons:
        return 0;
    case SH_Menu_FadeOutOnHide:
        return 1;
    case SH_FormLayoutLabelAlignment:
        return Qt::AlignRight;
    default:
        break;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

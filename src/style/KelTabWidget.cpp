#include "style/KelTabWidget.h"

#include "style/KelTitleBarButton.h"

#include <QCoreApplication>
#include <QResizeEvent>
#include <QStyle>
#include <QVariant>

namespace {

const char* const ADD_TAB_BUTTON_VISIBLE = "addTabButtonVisible";

} // namespace

KelTabWidget::KelTabWidget(QWidget* parent)
    : QTabWidget(parent)
{
}

bool KelTabWidget::isTabClosable(int index) const
{
    if (tabsClosable())
        return true;
    return m_closable.value(index, false);
}

QTabBar::ButtonPosition KelTabWidget::closeButtonSide() const
{
    return static_cast<QTabBar::ButtonPosition>(
        style()->styleHint(QStyle::SH_TabBar_CloseButtonPosition, nullptr, tabBar()));
}

void KelTabWidget::setTabClosable(int index, bool closable)
{
    m_closable.insert(index, closable);
    QTabBar* const bar = tabBar();
    // No tab, no button: one made here would belong to nobody.
    if (index < 0 || index >= bar->count())
        return;
    const QTabBar::ButtonPosition side = closeButtonSide();
    QWidget* const previous = bar->tabButton(index, side);
    if (!closable) {
        if (previous)
            previous->deleteLater();
        bar->setTabButton(index, side, nullptr);
        return;
    }
    auto* button = new KelTitleBarButton(QStringLiteral("titleBarClose"));
    connect(button, &QAbstractButton::clicked, this, &KelTabWidget::closeTab);
    button->resize(style()->pixelMetric(QStyle::PM_TabCloseIndicatorWidth, nullptr, button),
                   style()->pixelMetric(QStyle::PM_TabCloseIndicatorHeight, nullptr, button));
    bar->setTabButton(index, side, button);
    // The tab bar only hides a replaced button; a close button of ours is not needed any more.
    if (qobject_cast<KelTitleBarButton*>(previous))
        previous->deleteLater();
}

void KelTabWidget::closeTab()
{
    const QObject* const button = sender();
    if (!button)
        return;
    const QTabBar* const bar = tabBar();
    const QTabBar::ButtonPosition side = closeButtonSide();
    for (int index = 0; index < bar->count(); ++index) {
        if (bar->tabButton(index, side) != button)
            continue;
        if (isTabClosable(index))
            emit tabCloseRequested(index);
        return;
    }
}

bool KelTabWidget::isAddTabButtonVisible() const
{
    return property(ADD_TAB_BUTTON_VISIBLE).toBool();
}

void KelTabWidget::setAddTabButtonVisible(bool visible)
{
    if (visible == isAddTabButtonVisible())
        return;
    setProperty(ADD_TAB_BUTTON_VISIBLE, visible);
    // The style lays the bar out again with or without the button.
    QTabBar* const bar = tabBar();
    QResizeEvent event(bar->size(), bar->size());
    QCoreApplication::sendEvent(bar, &event);
}

#include "style/KelToolBoxButton.h"

#include "style/KelToolBox.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionToolBox>

namespace {

KelToolBox* toolBoxOf(const QWidget* button)
{
    return qobject_cast<KelToolBox*>(button->parentWidget());
}

int smallIconSize(const QWidget* button)
{
    return button->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, toolBoxOf(button));
}

} // namespace

KelToolBoxButton::KelToolBoxButton()
    : QAbstractButton(nullptr)
{
    setCheckable(true);
}

QSize KelToolBoxButton::sizeHint() const
{
    QSize iconSize(8, 8);
    if (!icon().isNull()) {
        const int s = smallIconSize(this);
        iconSize = QSize(s + 10, s + 8);
    }
    const QSize textSize = QFontMetrics(font()).size(Qt::TextShowMnemonic, text());
    // Qt 6 has no global strut; it counts as (0, 0).

    int pageWidth = 0;
    if (const KelToolBox* toolBox = toolBoxOf(this)) {
        if (const QWidget* page = toolBox->widget(toolBox->indexOf(this)))
            pageWidth = page->sizeHint().width();
    }

    const int w = qMax(iconSize.width() + textSize.width(), pageWidth);
    const int h = qMax(iconSize.height(), textSize.height() + 9);
    return QSize(w, h);
}

QSize KelToolBoxButton::minimumSizeHint() const
{
    if (icon().isNull())
        return QSize();
    const int s = smallIconSize(this);
    return QSize(s + 8, s + 8);
}

void KelToolBoxButton::initStyleOption(QStyleOptionToolBox* option) const
{
    if (!option)
        return;
    option->initFrom(this);
    if (isChecked())
        option->state |= QStyle::State_Selected;
    if (isDown())
        option->state |= QStyle::State_Sunken;
    option->text = text();
    option->icon = icon();

    const KelToolBox* toolBox = toolBoxOf(this);
    const int index = toolBox ? toolBox->indexOf(this) : -1;
    const int sections = toolBox ? toolBox->count() : 0;
    if (sections == 1)
        option->position = QStyleOptionToolBox::OnlyOneTab;
    else if (index == 0)
        option->position = QStyleOptionToolBox::Beginning;
    else if (index == sections - 1)
        option->position = QStyleOptionToolBox::End;
    else
        option->position = QStyleOptionToolBox::Middle;
    option->selectedPosition = QStyleOptionToolBox::NotAdjacent;
}

void KelToolBoxButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionToolBox option;
    initStyleOption(&option);
    style()->drawControl(QStyle::CE_ToolBoxTab, &option, &painter, parentWidget());
}

#include "style/KelStyle.h"

#include "style/TitleBarButtonRect.h"

#include <QAction>
#include <QComboBox>
#include <QFontMetrics>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>

namespace {

const QString placeholder()
{
    return QStringLiteral("[*]");
}

// The window-modified placeholder resolved as Qt resolves it for window titles: in a run of
// "[*]", an odd count turns its last one into "*" (or drops it), then pairs collapse.
QString resolvedWindowTitle(const QWidget* window)
{
    const QString title = window->windowTitle();
    const bool showModified =
        window->isWindowModified()
        && window->style()->styleHint(QStyle::SH_TitleBar_ModifyNotification, nullptr, window);

    QString result;
    qsizetype i = 0;
    while (i < title.size()) {
        if (title.mid(i, 3) != placeholder()) {
            result += title.at(i++);
            continue;
        }
        int count = 0;
        while (title.mid(i, 3) == placeholder()) {
            ++count;
            i += 3;
        }
        for (int n = 0; n < count - 1; ++n)
            result += placeholder();
        if (count % 2 == 0)
            result += placeholder();
        else if (showModified)
            result += QWidget::tr("*");
    }
    result.replace(QStringLiteral("[*][*]"), placeholder());
    return result;
}

struct TitleBarButton
{
    int hint;
    const char* glyph;
};

} // namespace

void KelStyle::drawMenuItem(const QStyleOptionMenuItem* option, QPainter* painter,
                            const QWidget* widget) const
{
    QStyleOptionMenuItem item(*option);

    if (qobject_cast<const QComboBox*>(widget)) {
        item.checkType = QStyleOptionMenuItem::NotCheckable;
        painter->fillRect(option->rect, styleColor(QStringLiteral("MenuItem.backgroundColor2")));
        if (item.icon.isNull())
            item.rect.setLeft(item.rect.left() - 16);
    }

    if (option->menuItemType == QStyleOptionMenuItem::Separator) {
        painter->setPen(stylePen(QStringLiteral("MenuItem.separator.borderPen")));
        const int y = item.rect.top() + item.rect.height() / 2 - 1;
        painter->drawLine(item.rect.left() + 2, y, item.rect.right() - 4, y);
        return;
    }

    painter->fillRect(option->rect, styleColor(option->state & State_Selected
                                                   ? QStringLiteral("MenuItem.selected.backgroundColor")
                                                   : QStringLiteral("MenuItem.backgroundColor")));

    const bool showsCheck =
        item.checkType != QStyleOptionMenuItem::NotCheckable && option->checked;
    if (item.menuHasCheckableItems)
        item.maxIconWidth = qMax(item.maxIconWidth, 20);
    // The check mark is our pixmap, painted after the base's label.
    item.checkType = QStyleOptionMenuItem::NotCheckable;

    static const struct
    {
        QPalette::ColorRole role;
        const char* key;
    } roles[] = {
        {QPalette::Highlight, "MenuItem.paletteHighlight"},
        {QPalette::Button, "MenuItem.paletteButton"},
        {QPalette::Dark, "MenuItem.paletteDark"},
        {QPalette::Light, "MenuItem.paletteLight"},
        {QPalette::Midlight, "MenuItem.paletteMidlight"},
        {QPalette::Shadow, "MenuItem.paletteShadow"},
        {QPalette::HighlightedText, "MenuItem.paletteHighlightedText"},
        {QPalette::ButtonText, "MenuItem.paletteButtonText"},
    };
    for (const auto& entry : roles)
        setPaletteRole(item.palette, entry.role, QLatin1String(entry.key));

    QProxyStyle::drawControl(CE_MenuItem, &item, painter, widget);

    if (!showsCheck)
        return;
    const QString key = QStringLiteral("checkbox%1%2")
                            .arg(option->checked ? QStringLiteral("Checked")
                                                 : QStringLiteral("Unchecked"),
                                 option->state & State_Selected ? QStringLiteral("Highlighted")
                                                                : QStringLiteral("Default"));
    const QPixmap check = stylePixmap(key);
    if (check.isNull())
        return;
    painter->drawPixmap(item.rect.left() + 5,
                        item.rect.top() + (item.rect.height() - check.height()) / 2, check);
}

void KelStyle::drawMenuBarItem(const QStyleOptionMenuItem* option, QPainter* painter,
                               const QWidget* widget) const
{
    const auto* menuBar = qobject_cast<const QMenuBar*>(widget);
    const QRect r = option->rect;
    const bool followed = actionFollowedBySeparator(menuBar, option->text);
    const bool rollOut = isRollOutText(option->text);

    QStyleOptionMenuItem item(*option);
    if (rollOut)
        item.text = option->text.mid(1, option->text.size() - 2);

    // The bar's whole background shows through the item, so items and empty area join up.
    painter->save();
    painter->setClipRect(r);
    if (menuBar) {
        QStyleOptionMenuItem area;
        area.rect = QRect(0, 0, menuBar->width(), menuBar->height());
        proxy()->drawControl(CE_MenuBarEmptyArea, &area, painter, menuBar);
    }
    if (followed) {
        painter->setClipping(false);
        painter->setPen(stylePen(QStringLiteral("MenuBarItem.followedByStepPen1")));
        painter->drawLine(r.right(), r.top(), r.right(), r.bottom());
        painter->setPen(stylePen(QStringLiteral("MenuBarItem.followedByStepPen2")));
        painter->drawLine(r.right() - 1, r.top(), r.right() - 1, r.bottom());
    }
    painter->restore();

    int labelRight = r.right();
    if (followed)
        labelRight -= 6;
    if (rollOut)
        labelRight -= 20;

    if (rollOut) {
        const int h = r.height();
        const int s = static_cast<int>(0.75 * h);
        const int boxWidth = static_cast<int>(0.9 * s);
        const int y0 = r.top() + (h - s) / 2 + 1;
        const int y1 = y0 + s - 1;
        const int x1 = labelRight + boxWidth - 1;

        painter->setPen(stylePen(QStringLiteral("MenuBarItem.rollout.borderPen")));
        painter->setBrush(styleGradient(option->state & State_Sunken
                                            ? QStringLiteral("MenuBarItem.rollout.pressed.backgroundGradient")
                                            : QStringLiteral("MenuBarItem.rollout.backgroundGradient"),
                                        QPointF(labelRight, y0), QPointF(labelRight, y1)));
        painter->drawRoundedRect(QRectF(labelRight, y0, boxWidth - 1, s - 1), 2, 2,
                                 Qt::AbsoluteSize);

        item.rect = QRect(QPoint(labelRight + 3, y0 + 3), QPoint(x1 - 3, y1 - 3));
        item.state |= State_Sunken;
        proxy()->drawPrimitive(PE_IndicatorArrowDown, &item, painter, nullptr);
    } else if (option->state & (State_Sunken | State_Selected)) {
        const bool sunken = option->state & State_Sunken;
        painter->setPen(stylePen(sunken ? QStringLiteral("MenuBarItem.pressed.borderPen")
                                        : QStringLiteral("MenuBarItem.selected.borderPen")));
        painter->setBrush(styleGradient(sunken ? QStringLiteral("MenuBarItem.pressed.backgroundGradient")
                                               : QStringLiteral("MenuBarItem.selected.backgroundGradient"),
                                        QPointF(r.left(), r.top()), QPointF(r.left(), r.bottom())));
        painter->drawRoundedRect(QRectF(r.left(), r.top(), labelRight - r.left(),
                                        r.bottom() - r.top()),
                                 2, 2, Qt::AbsoluteSize);
    }

    QStyleOptionMenuItem label(item);
    label.rect = QRect(QPoint(r.left(), r.top()), QPoint(labelRight, r.bottom()));
    label.state &= ~State_Selected;
    QProxyStyle::drawControl(CE_MenuBarItem, &label, painter, widget);
}

void KelStyle::drawMenuBarEmptyArea(const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const
{
    const QRect r = option->rect;
    painter->fillRect(r, styleGradient(QStringLiteral("MenuBarEmptyArea.backgroundGradient"),
                                       QPointF(0, 0), QPointF(0, r.bottom())));
    painter->setPen(stylePen(QStringLiteral("MenuBarEmptyArea.borderTopPen")));
    painter->drawLine(0, 0, r.right(), 0);
    painter->setPen(stylePen(QStringLiteral("MenuBarEmptyArea.borderBottomPen1")));
    painter->drawLine(0, r.bottom() - 1, r.right(), r.bottom() - 1);
    painter->setPen(stylePen(QStringLiteral("MenuBarEmptyArea.borderBottomPen2")));
    painter->drawLine(0, r.bottom(), r.right(), r.bottom());

    if (const auto* toolBar = qobject_cast<const QToolBar*>(widget); toolBar && toolBar->isMovable())
        return;
    if (!widget)
        return;

    const QPixmap& corner = m_cornerPixmap;
    const int off = (widget->height() - corner.height()) / 2;
    if (!corner.isNull()) {
        const QRect target = visualRect(option->direction, widget->rect(),
                                        QRect(r.left() + off, r.top() + off, corner.width(),
                                              corner.height()));
        painter->drawPixmap(target, corner);
    }

    const auto* menuBar = qobject_cast<const QMenuBar*>(widget);
    if (!menuBar)
        return;
    // The buttons and the title belong to the bar's window; a bar without a parent widget has
    // neither to show or act on.
    const QWidget* window = menuBar->parentWidget();
    if (!window)
        return;

    const QPoint cursor = cursorPosIn(widget);
    const int pressed = m_draggedMenuBar && m_draggedMenuBar.data() == menuBar
                            ? m_pressedTitleBarButton
                            : 0;
    const bool leftToRight = option->direction != Qt::RightToLeft;

    QRect title = r;
    title.setLeft(corner.width());
    const QList<QAction*> actions = menuBar->actions();
    for (QAction* action : actions) {
        const QRect geometry = menuBar->actionGeometry(action);
        if (leftToRight)
            title.setLeft(qMax(title.left(), geometry.right()));
        else
            title.setRight(qMin(title.right(), geometry.left()));
    }

    static const TitleBarButton buttons[] = {
        {Qt::WindowMinimizeButtonHint, "titleBarMinimize"},
        {Qt::WindowMaximizeButtonHint, "titleBarMaximize"},
        {Qt::WindowCloseButtonHint, "titleBarClose"},
    };
    for (const TitleBarButton& button : buttons) {
        const QRect b = titleBarButtonRect(menuBar, button.hint);
        if (b.isNull())
            continue;
        QString state = QStringLiteral("Normal");
        if (b.contains(cursor)) {
            if (pressed == 0)
                state = QStringLiteral("Hover");
            else if (pressed == button.hint)
                state = QStringLiteral("Pressed");
        }
        painter->drawPixmap(b, stylePixmap(QStringLiteral("titleBarButton") + state));
        painter->drawPixmap(b, stylePixmap(QLatin1String(button.glyph)));
        if (leftToRight)
            title.setRight(qMin(title.right(), b.left()));
        else
            title.setLeft(qMax(title.left(), b.right()));
    }
    title.adjust(off, off, -off, -off);

    QFont font = painter->font();
    font.setWeight(QFont::Bold);
    painter->setFont(font);
    const QString text =
        painter->fontMetrics().elidedText(resolvedWindowTitle(window), Qt::ElideRight,
                                          title.width());
    painter->setPen(styleColor(QStringLiteral("MenuBarEmptyArea.textColor")));
    painter->drawText(title, Qt::AlignLeft | Qt::AlignVCenter, text);
}

#include "style/KelStyle.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QRegion>
#include <QToolButton>

namespace {

// The add-tab button is painted as a tab of its own; this text keeps it from getting an add
// button (and a clipped label) in turn.
const QString addButtonText()
{
    return QStringLiteral("dontdrawmeimtheaddbutton");
}

// Twelve corners of a plus sign with arms two pixels thick.
QPolygon plusPolygon()
{
    QPolygon polygon;
    polygon << QPoint(4, 0) << QPoint(5, 0) << QPoint(5, 4) << QPoint(9, 4) << QPoint(9, 5)
            << QPoint(5, 5) << QPoint(5, 9) << QPoint(4, 9) << QPoint(4, 5) << QPoint(0, 5)
            << QPoint(0, 4) << QPoint(4, 4);
    return polygon;
}

} // namespace

void KelStyle::drawPushButtonBevel(const QStyleOptionButton* option, QPainter* painter,
                                   const QWidget* widget) const
{
    const QRect r = option->rect;
    const bool isDefault = option->features & QStyleOptionButton::DefaultButton;
    const bool sunken = option->state & State_Sunken;

    QString backgroundKey;
    if (sunken)
        backgroundKey = isDefault ? QStringLiteral("PushButtonBevel.pressed.defaultBackgroundGradient")
                                  : QStringLiteral("PushButtonBevel.pressed.backgroundGradient");
    else
        backgroundKey = isDefault ? QStringLiteral("PushButtonBevel.defaultBackgroundGradient")
                                  : QStringLiteral("PushButtonBevel.backgroundGradient");
    painter->fillRect(r.adjusted(2, 2, -2, -2),
                      styleGradient(backgroundKey, QPointF(r.left(), r.top() + 2),
                                    QPointF(r.left(), r.bottom() - 2)));

    if (option->state & State_HasFocus) {
        painter->setPen(stylePen(QStringLiteral("PushButtonBevel.focusBorderPen")));
        painter->drawRoundedRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1.5,
                                        r.height() - 1.5),
                                 2.5, 2.5, Qt::AbsoluteSize);
    }

    // Four separate edges: the corner pixels stay open, which reads as a rounded border.
    painter->setPen(stylePen(isDefault ? QStringLiteral("PushButtonBevel.defaultBorderPen")
                                       : QStringLiteral("PushButtonBevel.borderPen")));
    painter->drawLine(r.left() + 1, r.top() + 2, r.left() + 1, r.bottom() - 2);
    painter->drawLine(r.left() + 2, r.top() + 1, r.right() - 2, r.top() + 1);
    painter->drawLine(r.left() + 2, r.bottom() - 1, r.right() - 2, r.bottom() - 1);
    painter->drawLine(r.right() - 1, r.top() + 2, r.right() - 1, r.bottom() - 2);

    // The label is painted by the base from the palette of its own option, which Qt builds from
    // the widget's palette: the text colour has to live there.
    if (!widget)
        return;
    QPalette palette = widget->palette();
    const QBrush text(styleColor(isDefault ? QStringLiteral("PushButtonBevel.defaultTextColor")
                                           : QStringLiteral("PushButtonBevel.textColor")));
    palette.setBrush(QPalette::All, QPalette::ButtonText, text);
    // Setting an equal palette again would still post a change event and a repaint.
    if (palette != widget->palette()
        || palette.resolveMask() != widget->palette().resolveMask())
        const_cast<QWidget*>(widget)->setPalette(palette);
}

void KelStyle::drawToolButtonLabel(const QStyleOptionToolButton* option, QPainter* painter,
                                   const QWidget* widget) const
{
    const auto* button = qobject_cast<const QToolButton*>(widget);
    if (!button)
        return;
    if (!option->icon.isNull()) {
        QProxyStyle::drawControl(CE_ToolButtonLabel, option, painter, widget);
        return;
    }

    const QFontMetrics metrics(button->font());
    const QRect r = option->rect;
    if (r.width() > metrics.boundingRect(option->text).width()) {
        QProxyStyle::drawControl(CE_ToolButtonLabel, option, painter, widget);
        return;
    }

    // Too narrow for the text: elide it ourselves, in the pen the caller left set unless the
    // button is pressed or under the pointer.
    painter->save();
    if (option->state & (State_Sunken | State_MouseOver))
        painter->setPen(styleColor(QStringLiteral("ToolButton.stateOn.textColor")));
    const QString elided = metrics.elidedText(option->text, Qt::ElideRight, r.width());
    painter->drawText(QPoint(r.left(), r.height() - metrics.descent()), elided);
    painter->restore();
}

void KelStyle::drawTabShape(const QStyleOptionTab* option, QPainter* painter,
                            const QWidget* widget) const
{
    QRect r = option->rect.adjusted(0, 0, -2, 0);
    if (showsAddTabButton(widget) && isLastTab(option))
        r.adjust(0, 0, -24, 0);
    const QRect addButton = option->text == addButtonText() ? QRect() : addTabButtonRect(widget);
    const QPoint cursor = cursorPosIn(widget);

    painter->save();
    if (option->state & State_Selected) {
        painter->setClipRect(r.adjusted(0, 0, 0, -2));
        painter->setPen(stylePen(QStringLiteral("TabBarTabShape.selected.borderPen")));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(r.adjusted(0, 0, -1, 0));
        painter->restore();

        const QPointF start(0, r.top() + 2);
        const QPointF stop(0, r.bottom());
        painter->fillRect(r.adjusted(2, 2, -2, 0),
                          styleGradient(QStringLiteral("TabBarTabShape.selected.borderGradient"),
                                        start, stop));
        const QLinearGradient sides =
            styleGradient(QStringLiteral("TabBarTabShape.selected.backgroundGradient"), start,
                          stop);
        painter->fillRect(QRect(QPoint(r.right() - 1, r.top() + 2),
                                QPoint(r.right() - 1, r.bottom() + 1)),
                          sides);
        painter->fillRect(QRect(QPoint(r.left() + 1, r.top() + 2),
                                QPoint(r.left() + 1, r.bottom() + 1)),
                          sides);

        painter->setPen(stylePen(QStringLiteral("TabBarTabShape.selected.borderPen2")));
        painter->drawLine(r.left() + 2, r.top() + 1, r.right() - 2, r.top() + 1);

        const QColor corner = styleColor(QStringLiteral("TabBarTabShape.selected.cornerColor"));
        painter->fillRect(QRect(r.right() - 1, r.top() + 1, 1, 1), corner);
        painter->fillRect(QRect(r.left() + 1, r.top() + 1, 1, 1), corner);
    } else {
        painter->setClipRect(r.adjusted(0, 0, 0, -2));
        painter->setPen(stylePen(QStringLiteral("TabBarTabShape.borderPen")));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(r.adjusted(0, 0, -1, 0));

        // The tab bar's scroll arrows sit over the tabs: hovering them must not light a tab.
        const QWidget* under = widget ? widget->childAt(cursor) : nullptr;
        const auto* underButton = qobject_cast<const QToolButton*>(under);
        const bool overArrow = underButton && underButton->arrowType() != Qt::NoArrow;
        QString key = QStringLiteral("TabBarTabShape.backgroundGradient");
        if (option->state & State_Sunken)
            key = QStringLiteral("TabBarTabShape.pressed.backgroundGradient");
        else if ((option->state & State_Enabled) && r.contains(cursor)
                 && !addButton.contains(cursor) && !overArrow)
            key = QStringLiteral("TabBarTabShape.hovered.backgroundGradient");
        painter->fillRect(r.adjusted(1, 1, -1, 0),
                          styleGradient(key, QPointF(0, r.top() + 1), QPointF(0, r.bottom())));
        painter->restore();

        painter->setPen(stylePen(QStringLiteral("TabBarTabShape.borderPen2")));
        painter->drawLine(r.left(), r.bottom() - 1, r.right(), r.bottom() - 1);
        painter->setPen(stylePen(QStringLiteral("TabBarTabShape.borderPen3")));
        painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    }

    if (addButton.isNull())
        return;

    painter->fillRect(addButton.adjusted(-2, 0, 0, -2),
                      styleColor(QStringLiteral("TabBarTabShape.plusButton.regionColor")));

    QStyleOptionTab button(*option);
    button.rect = addButton;
    button.position = QStyleOptionTab::Beginning;
    button.state &= ~(State_Selected | State_Sunken);
    if (m_pressedAddTabBar && m_pressedAddTabBar.data() == widget && addButton.contains(cursor))
        button.state |= State_Sunken;
    button.text = addButtonText();
    proxy()->drawControl(CE_TabBarTabShape, &button, painter, widget);

    painter->setPen(stylePen(QStringLiteral("TabBarTabShape.plusButton.borderPen")));
    painter->setBrush(styleColor(QStringLiteral("TabBarTabShape.plusButton.backgroundColor")));
    painter->drawPolygon(plusPolygon().translated(addButton.left() + 6, addButton.top() + 8),
                         Qt::OddEvenFill);
}

void KelStyle::drawTabLabel(const QStyleOptionTab* option, QPainter* painter,
                            const QWidget* widget) const
{
    QStyleOptionTab label(*option);
    // The base draws its dotted focus rectangle around a focused tab's text itself, past this
    // style's empty focus-rectangle primitive.
    label.state &= ~State_HasFocus;
    label.palette.setBrush(QPalette::All, QPalette::WindowText,
                           QBrush(styleColor(option->state & State_Selected
                                                 ? QStringLiteral("TabBarTabLabel.selected.textColor")
                                                 : QStringLiteral("TabBarTabLabel.textColor"))));
    if (showsAddTabButton(widget) && isLastTab(option))
        label.rect.adjust(0, 0, -24, 0);

    QRect excluded;
    if (option->text != addButtonText()) {
        const QRect addButton = addTabButtonRect(widget);
        if (!addButton.isNull())
            excluded = addButton.adjusted(-2, 0, 0, 0);
    }

    painter->save();
    painter->setClipRegion(QRegion(label.rect).subtracted(QRegion(excluded)));
    QProxyStyle::drawControl(CE_TabBarTabLabel, &label, painter, widget);
    painter->restore();
}

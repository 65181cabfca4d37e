#include "style/KelStyle.h"

#include <QMenuBar>
#include <QPainter>
#include <QTabBar>
#include <QToolBar>

namespace {

// The frame shared by spin boxes and combo boxes: a focus ring, a line-edit border with its
// corners cut, and the given gradient inside.
void drawFieldFrame(const QStyleOptionComplex* option, QPainter* painter, const QPen& focusPen,
                    const QBrush& focusBrush, const QPen& borderPen,
                    const QLinearGradient& gradient)
{
    const QRect r = option->rect;
    if (option->state & QStyle::State_HasFocus) {
        painter->setPen(focusPen);
        painter->setBrush(focusBrush);
        painter->drawRoundedRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1.5,
                                        r.height() - 1.5),
                                 2.5, 2.5, Qt::AbsoluteSize);
    }
    painter->setPen(borderPen);
    painter->drawLine(r.left() + 1, r.top() + 2, r.left() + 1, r.bottom() - 2);
    painter->drawLine(r.left() + 2, r.top() + 1, r.right() - 2, r.top() + 1);
    painter->drawLine(r.left() + 2, r.bottom() - 1, r.right() - 2, r.bottom() - 1);
    painter->drawLine(r.right() - 1, r.top() + 2, r.right() - 1, r.bottom() - 2);

    painter->fillRect(QRect(QPoint(r.left() + 2, r.top() + 2), QPoint(r.right() - 2, r.bottom() - 2)),
                      gradient);
}

// An arrow of a spin box or combo box: a plain option whose palette carries the arrow colours.
QStyleOption arrowOption(const QStyleOptionComplex* option, const QRect& rect,
                         QStyle::State state, const QColor& color, const QColor& disabledColor)
{
    QStyleOption arrow;
    arrow.rect = rect;
    arrow.state = state;
    arrow.palette = option->palette;
    arrow.palette.setBrush(QPalette::All, QPalette::ButtonText, QBrush(color));
    arrow.palette.setBrush(QPalette::Disabled, QPalette::ButtonText, QBrush(disabledColor));
    return arrow;
}

// The state of a spin-box arrow: pressed only while its own button is held down.
QStyle::State spinArrowState(const QStyleOptionSpinBox* option, QStyle::SubControl button)
{
    if ((option->activeSubControls & button) && (option->state & QStyle::State_Sunken))
        return option->state | QStyle::State_On | QStyle::State_Sunken;
    return (option->state | QStyle::State_Raised) & ~(QStyle::State_On | QStyle::State_Sunken);
}

} // namespace

void KelStyle::drawComplexSpinBox(const QStyleOptionSpinBox* option, QPainter* painter,
                                  const QWidget* widget) const
{
    const QRect r = option->rect;
    drawFieldFrame(option, painter, stylePen(QStringLiteral("SpinBox.hasFocus.borderPen")),
                   QBrush(Qt::transparent), stylePen(QStringLiteral("SpinBox.borderPen")),
                   styleGradient(option->state & State_On
                                     ? QStringLiteral("SpinBox.stateOn.arrowsBackgroundGradient")
                                     : QStringLiteral("SpinBox.arrowsBackgroundGradient"),
                                 QPointF(r.left() + 2, r.top() + 2),
                                 QPointF(r.left() + 2, r.bottom() - 2)));

    const QColor background = styleColor(QStringLiteral("SpinBox.backgroundColor"));
    QRect up = proxy()->subControlRect(CC_SpinBox, option, SC_SpinBoxUp, widget);
    if (up.isNull()) {
        // No buttons: the whole field is text.
        painter->fillRect(QRect(QPoint(r.left() + 2, r.top() + 2), QPoint(r.right() - 2, r.bottom() - 2)),
                          background);
        return;
    }
    // The gradient stays only in the button column.
    painter->fillRect(QRect(QPoint(r.left() + 2, r.top() + 2), QPoint(up.left() + 1, r.bottom() - 2)),
                      background);
    painter->setPen(stylePen(QStringLiteral("SpinBox.borderPen2")));
    painter->drawLine(up.left() + 1, up.top() + 1, up.left() + 1, r.bottom() - up.top() - 1);

    if (option->subControls & SC_SpinBoxUp) {
        up = proxy()->subControlRect(CC_SpinBox, option, SC_SpinBoxUp, widget);
        const QStyleOption arrow =
            arrowOption(option, QRect(QPoint(up.left() + 4, up.top() + 3),
                                      QPoint(up.right() + 1, up.bottom() + 2)),
                        spinArrowState(option, SC_SpinBoxUp),
                        styleColor(QStringLiteral("SpinBox.arrowUpColor")),
                        styleColor(QStringLiteral("SpinBox.arrowUpDisabledColor")));
        proxy()->drawPrimitive(PE_IndicatorArrowUp, &arrow, painter, widget);
    }
    if (option->subControls & SC_SpinBoxDown) {
        const QRect down = proxy()->subControlRect(CC_SpinBox, option, SC_SpinBoxDown, widget);
        const QStyleOption arrow =
            arrowOption(option, QRect(QPoint(down.left() + 4, down.top()),
                                      QPoint(down.right() + 1, down.bottom() - 1)),
                        spinArrowState(option, SC_SpinBoxDown),
                        styleColor(QStringLiteral("SpinBox.arrowDownColor")),
                        styleColor(QStringLiteral("SpinBox.arrowDownDisabledColor")));
        proxy()->drawPrimitive(PE_IndicatorArrowDown, &arrow, painter, widget);
    }
}

void KelStyle::drawComplexComboBox(const QStyleOptionComboBox* option, QPainter* painter,
                                   const QWidget* widget) const
{
    const QRect r = option->rect;
    drawFieldFrame(option, painter, stylePen(QStringLiteral("ComboBox.hasFocus.borderPen")),
                   QBrush(styleColor(QStringLiteral("ComboBox.hasFocus.backgroundColor"))),
                   stylePen(QStringLiteral("ComboBox.borderPen")),
                   styleGradient(option->state & State_On
                                     ? QStringLiteral("ComboBox.stateOn.backgroundGradient")
                                     : QStringLiteral("ComboBox.backgroundGradient"),
                                 QPointF(r.left() + 2, r.top() + 2),
                                 QPointF(r.left() + 2, r.bottom() - 2)));

    const QRect arrowColumn = proxy()->subControlRect(CC_ComboBox, option, SC_ComboBoxArrow, widget);
    if (option->editable) {
        // The text field of an editable combo box is a fixed dark grey, not a style key.
        painter->fillRect(QRect(QPoint(r.left() + 2, r.top() + 2),
                                QPoint(arrowColumn.left() + 1, r.bottom() - 2)),
                          QColor(28, 28, 28, 255));
    } else {
        painter->setPen(stylePen(QStringLiteral("ComboBox.borderPen")));
        painter->drawLine(arrowColumn.left(), arrowColumn.top() + 1, arrowColumn.left(),
                          arrowColumn.bottom() - 1);
    }
    painter->setPen(stylePen(QStringLiteral("ComboBox.borderPen2")));
    painter->drawLine(arrowColumn.left() + 1, arrowColumn.top() + 1, arrowColumn.left() + 1,
                      arrowColumn.bottom() - 1);

    const QStyleOption arrow =
        arrowOption(option, QRect(QPoint(arrowColumn.left() + 4, arrowColumn.top() + 3),
                                  QPoint(arrowColumn.right(), arrowColumn.bottom() - 1)),
                    option->state & ~State_On, styleColor(QStringLiteral("ComboBox.arrowColor")),
                    styleColor(QStringLiteral("ComboBox.arrowDisabledColor")));
    proxy()->drawPrimitive(PE_IndicatorArrowDown, &arrow, painter, widget);

    // The label is painted next with this painter in its current pen.
    painter->setPen(styleColor(option->editable ? QStringLiteral("ComboBox.textColor")
                                                : QStringLiteral("ComboBox.notEditable.textColor")));
}

void KelStyle::drawComplexSlider(const QStyleOptionSlider* option, QPainter* painter,
                                 const QWidget* widget) const
{
    QStyleOptionSlider rest(*option);
    const bool horizontal = option->orientation == Qt::Horizontal;
    const QString prefix = option->state & (State_HasFocus | State_MouseOver)
                               ? QStringLiteral("Slider.hasFocus")
                               : QStringLiteral("Slider");

    if (option->subControls & SC_SliderGroove) {
        const int t2 = proxy()->pixelMetric(PM_SliderControlThickness, option, widget) / 2;
        const int l2 = proxy()->pixelMetric(PM_SliderLength, option, widget) / 2;
        const QRect g = proxy()->subControlRect(CC_Slider, option, SC_SliderGroove, widget);
        // Four parallel lines, the second one a pixel longer at the start.
        for (int i = 0; i < 4; ++i) {
            painter->setPen(styleColor(prefix + QStringLiteral(".color%1").arg(i + 1)));
            const int startInset = i == 1 ? l2 : l2 + 1;
            if (horizontal) {
                const int y = g.top() + t2 - 2 + i;
                painter->drawLine(g.left() + startInset, y, g.right() - l2, y);
            } else {
                const int x = g.left() + t2 - 3 + i;
                painter->drawLine(x, g.top() + startInset, x, g.bottom() - l2);
            }
        }
        rest.subControls &= ~SC_SliderGroove;
    }

    if (option->subControls & SC_SliderHandle) {
        const QRect h = proxy()->subControlRect(CC_Slider, option, SC_SliderHandle, widget);
        rest.subControls &= ~SC_SliderHandle;
        QString state = QStringLiteral("Normal");
        if (option->state & State_HasFocus)
            state = QStringLiteral("Selected");
        else if (option->state & State_MouseOver)
            state = QStringLiteral("Hover");
        const QPixmap handle =
            stylePixmap((horizontal ? QStringLiteral("sliderHandleHorizontal")
                                    : QStringLiteral("sliderHandleVertical"))
                        + state);
        if (!handle.isNull()) {
            if (horizontal)
                painter->drawPixmap(h.left() + (h.width() - handle.width()) / 2, h.top(), handle);
            else
                painter->drawPixmap(h.right() - handle.width(),
                                    h.top() + (h.height() - handle.height()) / 2, handle);
        }
    }

    // What is left (the tick marks) is the base's.
    QProxyStyle::drawComplexControl(CC_Slider, &rest, painter, widget);
}

void KelStyle::drawComplexToolButton(const QStyleOptionToolButton* option, QPainter* painter,
                                     const QWidget* widget) const
{
    const QRect r = option->rect;
    const QObject* parent = widget ? widget->parent() : nullptr;
    const bool inBar = qobject_cast<const QTabBar*>(parent) || qobject_cast<const QToolBar*>(parent)
                       || qobject_cast<const QMenuBar*>(parent);

    if (widget && !inBar && option->icon.isNull() && (option->state & State_AutoRaise)) {
        const bool pressed = option->state & (State_Sunken | State_On);
        painter->setPen(stylePen(pressed ? QStringLiteral("ToolButton.pressed.borderPen")
                                         : QStringLiteral("ToolButton.borderPen")));
        painter->setBrush(styleGradient(pressed ? QStringLiteral("ToolButton.pressed.backgroundGradient")
                                                : QStringLiteral("ToolButton.backgroundGradient"),
                                        QPointF(0, r.top() + 1), QPointF(0, r.bottom() - 1)));
        painter->drawRoundedRect(QRectF(r.left(), r.top(), r.right() - r.left(), r.bottom() - r.top()),
                                 2, 2, Qt::AbsoluteSize);
        // Fixed greys, lighter under the pointer; the label paints an elided text in this pen.
        painter->setPen(option->state & State_MouseOver ? QColor(148, 148, 148, 255)
                                                        : QColor(109, 109, 109, 255));
        proxy()->drawControl(CE_ToolButtonLabel, option, painter, widget);
        return;
    }

    if (isRollOutText(option->text)) {
        QStyleOptionMenuItem item;
        item.text = option->text;
        item.rect = r;
        item.state = option->state;
        item.palette = option->palette;
        item.palette.setBrush(QPalette::All, QPalette::Button, QBrush(Qt::transparent));
        proxy()->drawControl(CE_MenuBarItem, &item, painter, widget ? widget->parentWidget() : nullptr);
        return;
    }

    // A checked button looks hovered.
    QStyleOptionToolButton button(*option);
    if (button.state & State_On) {
        button.state |= State_MouseOver | State_Raised;
        button.state &= ~State_On;
    }
    if (button.state & State_MouseOver)
        setPaletteRole(button.palette, QPalette::ButtonText,
                       QStringLiteral("ToolButton.stateOn.textColor"));
    QProxyStyle::drawComplexControl(CC_ToolButton, &button, painter, widget);
}

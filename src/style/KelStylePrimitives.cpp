#include "style/KelStyle.h"

#include "params/Rounding.h"
#include "style/KelStyleConfig.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCursor>
#include <QLinearGradient>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QSplitter>
#include <QTabWidget>

namespace {

// The frame of a line edit, push button or spin box: four lines that leave the corners open.
void drawCutCornerFrame(QPainter* painter, int l, int t, int r, int b)
{
    painter->drawLine(l + 1, t + 2, l + 1, b - 2);
    painter->drawLine(l + 2, t + 1, r - 2, t + 1);
    painter->drawLine(l + 2, b - 1, r - 2, b - 1);
    painter->drawLine(r - 1, t + 2, r - 1, b - 2);
}

QRect cornerRect(int x1, int y1, int x2, int y2)
{
    return QRect(QPoint(x1, y1), QPoint(x2, y2));
}

} // namespace

void KelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                             QPainter* painter, const QWidget* widget) const
{
    applyEntryOpacity(option, painter, widget);
    if (!option || !painter)
        return;

    const QRect& r = option->rect;
    switch (element) {
    case PE_Frame:
        if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option))
            return drawFramePrimitive(frame, painter, widget);
        break;
    case PE_FrameFocusRect:
        return;
    case PE_FrameMenu:
        painter->fillRect(r, styleColor(QStringLiteral("FrameMenu.backgroundColor")));
        return;
    case PE_FrameTabWidget:
        return drawFrameTabWidget(option, painter);
    case PE_FrameTabBarBase:
        painter->fillRect(cornerRect(r.left(), r.top(), r.right(), r.bottom() - 2),
                          styleColor(QStringLiteral("FrameTabBarBase.backgroundColor")));
        return;
    case PE_PanelButtonTool:
        return drawPanelButtonTool(option, painter, widget);
    case PE_PanelLineEdit:
        return drawPanelLineEdit(option, painter, widget);
    case PE_IndicatorArrowDown:
    case PE_IndicatorArrowLeft:
    case PE_IndicatorArrowRight:
    case PE_IndicatorArrowUp: {
        QStyleOption plain;
        plain.rect = option->rect;
        plain.state = option->state;
        plain.palette = option->palette;
        QProxyStyle::drawPrimitive(element, &plain, painter, widget);
        return;
    }
    case PE_IndicatorBranch:
        return drawIndicatorBranch(option, painter);
    case PE_IndicatorCheckBox:
    case PE_IndicatorRadioButton:
        return drawIndicatorPixmap(element, option, painter);
    case PE_IndicatorDockWidgetResizeHandle:
        return drawDockWidgetResizeHandle(option, painter, widget);
    case PE_IndicatorHeaderArrow:
        if (const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option))
            return drawHeaderArrow(header, painter);
        return;
    case PE_IndicatorToolBarSeparator:
        return drawToolBarSeparator(option, painter);
    case PE_IndicatorTabTearLeft:
        if (const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option))
            return drawTabTear(tab, painter, widget);
        break;
    case PE_PanelItemViewItem:
        if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option))
            return drawPanelItemViewItem(item, painter, widget);
        return;
    case PE_PanelStatusBar:
        painter->setPen(stylePen(QStringLiteral("PanelStatusBar.borderTopPen")));
        painter->drawLine(r.left(), r.top(), r.right(), r.top());
        return;
    case PE_IndicatorTabClose:
        return drawTabCloseIndicator(option, painter, widget);
    case PE_PanelMenu:
        painter->fillRect(r, styleColor(QStringLiteral("PanelMenu.backgroundColor")));
        return;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void KelStyle::drawFramePrimitive(const QStyleOptionFrame* option, QPainter* painter,
                                  const QWidget* widget) const
{
    if (option->frameShape != QFrame::StyledPanel) {
        QProxyStyle::drawPrimitive(PE_Frame, option, painter, widget);
        return;
    }
    if (widget && qstrcmp(widget->metaObject()->className(), "QComboBoxPrivateContainer") == 0) {
        const QRect& r = option->rect;
        painter->setPen(stylePen(QStringLiteral("Frame.borderPen")));
        painter->fillRect(r, styleColor(QStringLiteral("Frame.backgroundColor")));
        painter->drawRect(cornerRect(r.left(), r.top() - 1, r.right() - 1, r.bottom()));
        return;
    }
    // Every other styled panel looks like a line edit.
    proxy()->drawPrimitive(PE_PanelLineEdit, option, painter, widget);
}

void KelStyle::drawFrameTabWidget(const QStyleOption* option, QPainter* painter) const
{
    const int l = option->rect.left();
    const int t = option->rect.top();
    const int r = option->rect.right();
    const int b = option->rect.bottom();

    painter->fillRect(option->rect, styleColor(QStringLiteral("FrameTabWidget.backgroundColor")));
    painter->setPen(styleColor(QStringLiteral("FrameTabWidget.borderLeftColor")));
    painter->drawLine(l, t, l, b);
    painter->setPen(styleColor(QStringLiteral("FrameTabWidget.borderTopColor")));
    painter->drawLine(l, t, r, t);
    painter->setPen(styleColor(QStringLiteral("FrameTabWidget.borderBottomColor")));
    painter->drawLine(l, b, r, b);
    painter->setPen(styleColor(QStringLiteral("FrameTabWidget.borderRightColor")));
    painter->drawLine(r, b, r, t + 7);
    painter->drawLine(l + 1, t + 1, r, t + 1);
    painter->fillRect(cornerRect(l + 1, t + 2, r, t + 4),
                      styleColor(QStringLiteral("FrameTabWidget.topBackgroundColor")));
    painter->drawLine(l + 1, t + 1, l + 1, t + 4);
    painter->setPen(styleColor(QStringLiteral("FrameTabWidget.borderTopColor2")));
    painter->drawLine(l + 1, t + 5, r - 1, t + 5);
    painter->fillRect(cornerRect(l + 1, t + 6, r - 1, t + 13),
                      QBrush(styleGradient(QStringLiteral("FrameTabWidget.topBackgroundGradient"),
                                           QPointF(0, t + 6), QPointF(0, t + 14))));
}

void KelStyle::drawPanelButtonTool(const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const
{
    const int l = option->rect.left();
    const int t = option->rect.top();
    const int r = option->rect.right();
    const int b = option->rect.bottom();
    const QObject* parent = widget ? widget->parent() : nullptr;

    if (qobject_cast<const QTabBar*>(parent) || qobject_cast<const QTabWidget*>(parent)) {
        // A tab bar's scroll button is painted as a tab.
        QStyleOptionTab tab;
        tab.rect = cornerRect(l, t, r + 2, b);
        tab.state = option->state;
        painter->fillRect(cornerRect(l, t, r + 2, b - 2),
                          styleColor(QStringLiteral("PanelButtonTool.backgroundColor")));
        const int arrow = widget->property("arrowType").toInt();
        if (arrow == Qt::LeftArrow && option->direction == Qt::LeftToRight)
            tab.rect.translate(1, 0);
        else if (arrow == Qt::RightArrow && option->direction == Qt::RightToLeft)
            tab.rect.translate(-1, 0);
        proxy()->drawControl(CE_TabBarTabShape, &tab, painter, widget);
        return;
    }

    if (option->state & State_MouseOver) {
        painter->fillRect(cornerRect(l + 1, t + 1, r - 1, b - 1),
                          styleColor(QStringLiteral("PanelButtonTool.stateMouseOver.backgroundColor")));
        painter->setPen(stylePen(QStringLiteral("PanelButtonTool.stateMouseOver.borderPen")));
        painter->drawLine(l, t + 1, l, b - 1);
        painter->drawLine(l + 1, t, r - 1, t);
        painter->drawLine(l + 1, b, r - 1, b);
        painter->drawLine(r, t + 1, r, b - 1);
        return;
    }

    if (option->state & State_On) {
        painter->fillRect(cornerRect(l + 2, t + 2, r - 2, b - 2),
                          styleColor(QStringLiteral("PanelButtonTool.stateOn.backgroundColor")));
        painter->setPen(stylePen(QStringLiteral("PanelButtonTool.stateOn.borderPen")));
        drawCutCornerFrame(painter, l, t, r, b);
    }
}

void KelStyle::drawPanelLineEdit(const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const
{
    // The frames of combo boxes and spin boxes belong to their complex control.
    const QObject* parent = widget ? widget->parent() : nullptr;
    if (qobject_cast<const QComboBox*>(parent) || qobject_cast<const QAbstractSpinBox*>(parent))
        return;

    const QRect& rect = option->rect;
    const int l = rect.left();
    const int t = rect.top();
    const int r = rect.right();
    const int b = rect.bottom();

    if (option->state & State_HasFocus) {
        painter->setPen(stylePen(QStringLiteral("PanelLineEdit.hasFocus.borderPen")));
        painter->setBrush(QBrush(Qt::transparent));
        painter->drawRoundedRect(QRectF(l + 0.5, t + 0.5, rect.width() - 1.5, rect.height() - 1.5),
                                 2.5, 2.5, Qt::AbsoluteSize);
    }
    painter->setPen(stylePen(QStringLiteral("PanelLineEdit.borderPen")));
    drawCutCornerFrame(painter, l, t, r, b);
    painter->setPen(stylePen(QStringLiteral("PanelLineEdit.borderPen2")));
    painter->drawRect(cornerRect(l + 2, t + 2, r - 3, b - 3));
    painter->fillRect(cornerRect(l + 3, t + 3, r - 3, b - 3),
                      styleColor(QStringLiteral("PanelLineEdit.backgroundColor")));
}

void KelStyle::drawIndicatorBranch(const QStyleOption* option, QPainter* painter) const
{
    QPen pen = painter->pen();
    pen.setWidth(2);
    painter->setPen(pen);
    if (!(option->state & State_Children))
        return;

    const int cx = (option->rect.left() + option->rect.right()) / 2;
    const int cy = (option->rect.top() + option->rect.bottom()) / 2;
    if (!(option->state & State_Open))
        painter->drawLine(cx, cy - 2, cx, cy + 2);
    painter->drawLine(cx - 2, cy, cx + 2, cy);
}

void KelStyle::drawIndicatorPixmap(PrimitiveElement element, const QStyleOption* option,
                                   QPainter* painter) const
{
    const State state = option->state;
    QString stateWord = QStringLiteral("Default");
    if (state & State_HasFocus)
        stateWord = QStringLiteral("Selected");
    else if ((state & State_MouseOver) && (state & State_Enabled))
        stateWord = QStringLiteral("Hover");
    const QString checkWord =
        (state & State_On) ? QStringLiteral("Checked") : QStringLiteral("Unchecked");

    const bool radio = element == PE_IndicatorRadioButton;
    const QString key = (radio ? QStringLiteral("radiobutton%1%2") : QStringLiteral("checkbox%1%2"))
                            .arg(checkWord, stateWord);
    const QPixmap pixmap = stylePixmap(key);

    const QRect& r = option->rect;
    const int x = (r.left() + r.right()) / 2 - KelUtils::roundHalfUpToInt(pixmap.width() / 2.0);
    // The radio pixmap sits a little lower than a check box of the same size.
    const int lift = radio ? pixmap.height() - 3 : pixmap.height();
    const int y = (r.top() + r.bottom()) / 2 - KelUtils::roundHalfUpToInt(lift / 2.0);
    painter->drawPixmap(x, y, pixmap);
}

void KelStyle::drawDockWidgetResizeHandle(const QStyleOption* option, QPainter* painter,
                                          const QWidget* widget) const
{
    const QRect& rect = option->rect;
    const int l = rect.left();
    const int t = rect.top();
    const int r = rect.right();
    const int b = rect.bottom();

    painter->save();
    painter->setClipRect(rect, Qt::ReplaceClip);
    painter->setPen(stylePen(QStringLiteral("IndicatorDockWidgetResizeHandle.borderPen")));
    painter->setBrush(QBrush(styleColor(QStringLiteral("IndicatorDockWidgetResizeHandle.backgroundColor"))));
    painter->drawRect(cornerRect(l, t, r - 1, b - 1));

    // The background covers the border on the short sides.
    const QRect middle = rect.width() > rect.height() ? cornerRect(l, t + 1, r, b - 1)
                                                      : cornerRect(l + 1, t - 2, r - 1, b + 1);
    painter->setPen(QColor(Qt::transparent));
    painter->drawRect(middle);

    // Where a splitter handle meets the separator, its border is interrupted so both read as
    // one continuous gap.
    if (widget) {
        const QList<QSplitter*> splitters = widget->findChildren<QSplitter*>();
        for (const QSplitter* splitter : splitters) {
            const int handle = splitter->handleWidth();
            int p = -handle;
            const QList<int> sizes = splitter->sizes();
            for (int size : sizes) {
                if (p >= 0) {
                    QRect gap;
                    if (splitter->orientation() == Qt::Horizontal)
                        gap = QRect(splitter->mapTo(widget, QPoint(p + 1, -1)),
                                    QSize(handle - 2, splitter->height() + 2));
                    else
                        gap = QRect(splitter->mapTo(widget, QPoint(-1, p + 1)),
                                    QSize(splitter->width() + 2, handle - 2));
                    painter->fillRect(gap, painter->brush());
                }
                p += size + handle;
            }
        }
    }
    painter->restore();
}

void KelStyle::drawHeaderArrow(const QStyleOptionHeader* option, QPainter* painter) const
{
    if (option->sortIndicator == QStyleOptionHeader::None)
        return;

    const QRect& rect = option->rect;
    const int w = rect.width();
    const int h = rect.height();
    if (w <= 0 || h <= 0)
        return;

    // Always black: the arrow takes no style key.
    QPixmap arrow(w, h);
    arrow.fill(Qt::transparent);
    {
        QPainter p(&arrow);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::black);
        p.setBrush(Qt::black);
        const QPoint points[4] = {QPoint(w / 2, h - 1), QPoint(w / 2 - 1, h - 1), QPoint(0, 0),
                                  QPoint(w - 1, 0)};
        p.drawPolygon(points, 4, Qt::OddEvenFill);
    }

    if (option->sortIndicator == QStyleOptionHeader::SortUp) {
        painter->drawPixmap(rect, arrow);
        return;
    }
    painter->translate(rect.right(), rect.bottom());
    painter->rotate(180);
    painter->drawPixmap(-1, -1, arrow);
    painter->rotate(-180);
    painter->translate(-rect.right(), -rect.bottom());
}

void KelStyle::drawToolBarSeparator(const QStyleOption* option, QPainter* painter) const
{
    const QRect& r = option->rect;
    const int cx = r.left() + r.width() / 2;
    painter->setPen(stylePen(QStringLiteral("IndicatorToolBarSeparator.pen1")));
    painter->drawLine(cx, r.top() + 7, cx, r.bottom() - 8);
    painter->setPen(stylePen(QStringLiteral("IndicatorToolBarSeparator.pen2")));
    painter->drawLine(cx - 1, r.top() + 7, cx - 1, r.bottom() - 8);
}

void KelStyle::drawTabTear(const QStyleOptionTab* option, QPainter* painter,
                           const QWidget* widget) const
{
    QStyleOptionTab copy(*option);
    const QString key = (option->state & State_Selected)
                            ? QStringLiteral("IndicatorTabTear.selectedColor")
                            : QStringLiteral("IndicatorTabTear.notSelectedColor");
    copy.palette.setBrush(QPalette::All, QPalette::Light, QBrush(styleColor(key)));
    copy.state |= State_Selected;
    QProxyStyle::drawPrimitive(PE_IndicatorTabTearLeft, &copy, painter, widget);
}

void KelStyle::drawPanelItemViewItem(const QStyleOptionViewItem* option, QPainter* painter,
                                     const QWidget* widget) const
{
    const QRect& rect = option->rect;
    const int l = rect.left();
    const int t = rect.top();
    const int r = rect.right();
    const int b = rect.bottom();
    const int w = rect.width();
    const int h = rect.height();
    const bool selected = option->state & State_Selected;

    const auto* list = qobject_cast<const QListView*>(widget);
    if (list && list->viewMode() == QListView::IconMode) {
        if (!selected)
            return;
        const QRect text = proxy()->subElementRect(SE_ItemViewItemText, option, widget);
        const int tt = text.top();
        const int tb = text.bottom();
        painter->setPen(stylePen(QStringLiteral("PanelItemViewItem.iconMode.textRoundedBorderPen")));
        painter->drawRoundedRect(QRectF(l + 1.2, tt + 0.2, w - 3.2, tb - tt - 1.2), 1.25, 1.25,
                                 Qt::AbsoluteSize);
        painter->fillRect(cornerRect(l + 2, tt + 1, r - 2, tb - 2),
                          QBrush(styleGradient(QStringLiteral("PanelItemViewItem.iconMode.backgroundGradient"),
                                               QPointF(0, tt + 1), QPointF(0, tb - 2))));

        const QRect decoration = proxy()->subElementRect(SE_ItemViewItemDecoration, option, widget);
        const int dt = decoration.top();
        const int db = decoration.bottom();
        painter->setPen(
            stylePen(QStringLiteral("PanelItemViewItem.iconMode.decorationRoundedBorderPen")));
        painter->drawRoundedRect(QRectF(l + 1.2, dt - 0.8, w - 3.2, db - dt + 1.8), 1.25, 1.25,
                                 Qt::AbsoluteSize);
        // This gradient keeps the start and final stop the style file gives it.
        const auto stored = KelStyleConfig::instance()->value<QLinearGradient>(
            QStringLiteral("PanelItemViewItem.iconMode.decorationBackgroundGradient"));
        painter->fillRect(cornerRect(l + 2, dt, r - 2, db), QBrush(stored));
        return;
    }

    const QString prefix = selected ? QStringLiteral("PanelItemViewItem.selectedAndSorted.")
                                    : QStringLiteral("PanelItemViewItem.notSelectedAndSorted.");
    const QBrush gradient(styleGradient(prefix + QStringLiteral("backgroundGradient"),
                                        QPointF(0, t + 2), QPointF(0, b - 2)));
    painter->setPen(stylePen(prefix + QStringLiteral("borderPen")));

    if (const auto* view = qobject_cast<const QAbstractItemView*>(widget)) {
        if (view->indexWidget(option->index))
            return;
    }

    painter->drawRoundedRect(QRectF(l + 1.2, t + 1.2, w - 3.2, h - 3.2), 1.25, 1.25,
                             Qt::AbsoluteSize);

    // Cells of one row join into one rounded band.
    QStyleOptionViewItem::ViewItemPosition position = option->viewItemPosition;
    if (option->direction == Qt::RightToLeft) {
        if (position == QStyleOptionViewItem::Beginning)
            position = QStyleOptionViewItem::End;
        else if (position == QStyleOptionViewItem::End)
            position = QStyleOptionViewItem::Beginning;
    }
    switch (position) {
    case QStyleOptionViewItem::Beginning:
        painter->drawLine(r - 1, t + 1, r - 1, b - 1);
        painter->fillRect(cornerRect(l + 2, t + 2, r - 1, b - 2), gradient);
        break;
    case QStyleOptionViewItem::Middle:
        painter->drawLine(r - 1, t + 1, r - 1, b - 1);
        painter->drawLine(l, t + 1, l, b - 1);
        painter->drawLine(l + 1, t + 1, l + 1, b - 1);
        painter->fillRect(cornerRect(l, t + 2, r - 1, b - 2), gradient);
        break;
    case QStyleOptionViewItem::End:
        painter->drawLine(l, t + 1, l, b - 1);
        painter->drawLine(l + 1, t + 1, l + 1, b - 1);
        painter->fillRect(cornerRect(l, t + 2, r - 2, b - 2), gradient);
        break;
    case QStyleOptionViewItem::OnlyOne:
        painter->fillRect(cornerRect(l + 2, t + 2, r - 2, b - 2), gradient);
        break;
    case QStyleOptionViewItem::Invalid:
        break;
    }
}

void KelStyle::drawTabCloseIndicator(const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const
{
    const QRect& rect = option->rect;
    const QWidget* tabBar = widget ? widget->parentWidget() : nullptr;
    const QRect addRect = addTabButtonRect(tabBar);

    painter->save();
    QRegion clip(rect);
    if (!addRect.isNull() && widget && tabBar) {
        // Keep clear of the add-tab button, which may overlap the last tab's close button.
        const QPoint topLeft = widget->mapFrom(tabBar, QPoint(addRect.left() - 2, addRect.top()));
        clip -= QRect(topLeft, QSize(addRect.width() + 2, addRect.height()));
    }
    painter->setClipRegion(clip, Qt::ReplaceClip);

    State state = option->state;
    if (!painter->clipRegion().contains(cursorPosIn(widget)))
        state &= ~(State_Raised | State_Sunken);

    QString face = QStringLiteral("titleBarButtonNormal");
    if (state & State_Sunken)
        face = QStringLiteral("titleBarButtonPressed");
    else if (state & State_Raised)
        face = QStringLiteral("titleBarButtonHover");

    const QSize size = rect.size();
    const QPixmap background = stylePixmap(face);
    if (!background.isNull())
        painter->drawPixmap(rect.topLeft(), background.scaled(size, Qt::IgnoreAspectRatio,
                                                              Qt::SmoothTransformation));
    const QPixmap glyph = stylePixmap(QStringLiteral("titleBarClose"));
    if (!glyph.isNull())
        painter->drawPixmap(rect.topLeft(),
                            glyph.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    painter->restore();
}

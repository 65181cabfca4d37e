#include "style/KelStyle.h"

#include <QLayout>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSplitter>
#include <QToolBar>
#include <QTreeView>

void KelStyle::drawHeaderSection(const QStyleOptionHeader* option, QPainter* painter,
                                 const QWidget* widget) const
{
    // Header sections never fade, whatever the entry decided.
    painter->setOpacity(1.0);

    const QRect r = option->rect;
    QLinearGradient gradient =
        styleGradient(option->sortIndicator == QStyleOptionHeader::None
                          ? QStringLiteral("HeaderSection.backgroundGradient")
                          : QStringLiteral("HeaderSection.backgroundGradient2"),
                      QPointF(0, 2), QPointF(0, r.height() - 3));
    const QPen border = stylePen(QStringLiteral("HeaderSection.borderPen"));
    painter->setBrush(gradient);
    painter->setPen(border);
    // Later sections overlap their left neighbour's last column, so neighbours share one line.
    const bool overlapsLeft = option->position == QStyleOptionHeader::Middle
                              || option->position == QStyleOptionHeader::End;
    painter->drawRect(QRect(QPoint(overlapsLeft ? r.left() - 1 : r.left(), r.top()),
                            QPoint(r.right() - 1, r.bottom() - 1)));

    // The drop-down area of the column menu, revealed under the pointer.
    if (!widget || option->orientation != Qt::Horizontal)
        return;
    if (option->section <= 0 && option->text.isEmpty())
        return;
    const QMenu* menu = widget->findChild<QMenu*>();
    const bool openHere =
        menu && menu->pos() == widget->mapToGlobal(QPoint(r.right() - 19, widget->height()));
    if (menu && !openHere)
        return;
    if (!r.contains(cursorPosIn(widget)))
        return;
    if (!(option->state & State_Active) || !(option->state & State_Enabled))
        return;

    if (openHere) {
        const QGradientStops stops = gradient.stops();
        if (stops.size() >= 2) {
            gradient.setColorAt(0, stops.at(1).second);
            gradient.setColorAt(1, stops.at(0).second);
        }
        painter->setBrush(gradient);
        painter->drawRect(QRect(QPoint(r.right() - 19, r.top()),
                                QPoint(r.right() - 1, r.bottom() - 1)));
    }
    painter->setPen(stylePen(QStringLiteral("HeaderSection.borderLeftPen")));
    painter->drawLine(r.right() - 19, 1, r.right() - 19, r.bottom() - 1);

    QStyleOptionHeader arrow;
    arrow.sortIndicator = QStyleOptionHeader::SortUp;
    arrow.rect = QRect(QPoint(r.right() - 13, 10), QPoint(r.right() - 6, 13));
    proxy()->drawPrimitive(PE_IndicatorHeaderArrow, &arrow, painter, widget);
}

void KelStyle::drawToolBoxTab(const QStyleOptionToolBox* option, QPainter* painter,
                              const QWidget* /*widget*/) const
{
    const QRect r = option->rect;
    const bool hover = option->state & State_MouseOver;

    painter->setPen(stylePen(hover ? QStringLiteral("ToolBoxTab.mouseOver.borderPen")
                                   : QStringLiteral("ToolBoxTab.borderPen")));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(r);
    painter->setPen(stylePen(hover ? QStringLiteral("ToolBoxTab.mouseOver.borderBottomPen")
                                   : QStringLiteral("ToolBoxTab.borderBottomPen")));
    painter->drawLine(r.left() + 1, r.bottom(), r.right(), r.bottom());
    painter->setPen(stylePen(QStringLiteral("ToolBoxTab.borderRightPen")));
    painter->drawLine(r.right(), r.top() + 1, r.right(), r.bottom() - 1);
    painter->fillRect(r.adjusted(1, 1, -1, -1),
                      styleGradient(hover ? QStringLiteral("ToolBoxTab.mouseOver.backgroundGradient")
                                          : QStringLiteral("ToolBoxTab.backgroundGradient"),
                                    QPointF(0, r.top() + 1), QPointF(0, r.bottom() - 1)));

    QString direction;
    if (option->state & State_Selected)
        direction = QStringLiteral("Down");
    else
        direction = option->direction == Qt::RightToLeft ? QStringLiteral("Left")
                                                         : QStringLiteral("Right");
    const QPixmap arrow = stylePixmap(QStringLiteral("arrow%1").arg(direction));

    // Right to left, arrow and text swap ends within the tab: mirrored within the text area
    // alone, the arrow would land beyond the tab's right edge.
    const QRect text = visualRect(option->direction, r,
                                  QRect(QPoint(r.left() + 42, r.top()), QPoint(r.right(), r.bottom())));
    painter->setPen(styleColor(hover ? QStringLiteral("ToolBoxTab.mouseOver.textColor")
                                     : QStringLiteral("ToolBoxTab.textColor")));
    if (!arrow.isNull()) {
        const QRect target(r.left() + 10, (r.height() - arrow.height()) / 2, arrow.width(),
                           arrow.height());
        painter->drawPixmap(visualRect(option->direction, r, target), arrow);
    }
    painter->drawText(text, Qt::AlignVCenter | visualAlignment(option->direction, Qt::AlignLeft),
                      option->fontMetrics.elidedText(option->text, Qt::ElideRight, text.width()));
}

void KelStyle::drawToolBar(const QStyleOptionToolBar* option, QPainter* painter,
                           const QWidget* widget) const
{
    if (option->toolBarArea != Qt::LeftToolBarArea) {
        proxy()->drawControl(CE_MenuBarEmptyArea, option, painter, widget);
        return;
    }
    if (!widget)
        return;

    const QRect r = option->rect;
    QWidget* window = widget->window();
    const QWidget* above = window->childAt(widget->mapTo(window, QPoint(0, -4)));
    const int adj = qobject_cast<const QToolBar*>(above) || qobject_cast<const QMenuBar*>(above)
                        ? -1
                        : -6;

    // Header strip over the bar's top, joining whatever sits above it.
    const QRect header(QPoint(r.left() - 1, r.top() + adj), QPoint(r.right() - 6, r.top() + adj + 20));
    painter->fillRect(header, styleColor(QStringLiteral("ToolBar.backgroundColor")));
    painter->setPen(stylePen(QStringLiteral("ToolBar.borderPen")));
    painter->drawLine(header.left(), header.bottom() - 1, header.right() - 1, header.bottom() - 1);
    painter->setPen(stylePen(QStringLiteral("ToolBar.borderPen2")));
    painter->drawLine(header.left(), header.bottom(), header.right() - 1, header.bottom());
    painter->fillRect(QRect(QPoint(header.left() + 1, header.top() + 1),
                            QPoint(header.right() - 1, header.bottom() - 2)),
                      styleGradient(QStringLiteral("ToolBar.backgroundGradient"), QPointF(0, 1),
                                    QPointF(0, header.bottom() - 2)));

    // Resize handle along the right edge, painted in the window's coordinates so that it meets
    // the window's splitters.
    QStyleOption handle;
    handle.rect = r.translated(widget->pos());
    handle.rect.setLeft(handle.rect.right() - 5);
    painter->translate(-widget->pos());
    proxy()->drawPrimitive(PE_IndicatorDockWidgetResizeHandle, &handle, painter, window);
    painter->translate(widget->pos());

    // Body. A middle stop lands 2 pixels before the right end; while the bar is still being
    // laid out (w <= 2) that position would leave the range, and the stored stop stays.
    const double w = double(r.width()) + widget->x() - 6;
    QLinearGradient body =
        styleGradient(QStringLiteral("ToolBar.backgroundGradient2"), QPointF(0, 22), QPointF(w, 22));
    QGradientStops stops = body.stops();
    if (stops.size() == 3 && w > 2) {
        stops[1].first = 1 - 2 / w;
        body.setStops(stops);
    }
    painter->fillRect(QRect(QPoint(r.left(), r.top() + 22), QPoint(r.right() - 6, r.bottom())), body);

    const auto* toolBar = qobject_cast<const QToolBar*>(widget);
    if (!toolBar)
        return;
    // Centre the contents in the width left of the handle.
    const QList<QWidget*> children = toolBar->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const int x = static_cast<int>(0.5 * (toolBar->width() - 5) - 0.5 * child->width());
        if (child->x() != x)
            child->move(x, child->y());
    }
    if (QLayout* layout = toolBar->layout(); layout && layout->spacing() != 6)
        layout->setSpacing(6);
}

void KelStyle::drawSplitter(const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const
{
    const QRect r = option->rect;
    const bool horizontal = option->state & State_Horizontal;
    const QColor background = styleColor(QStringLiteral("Splitter.backgroundColor"));

    painter->save();
    painter->setPen(stylePen(QStringLiteral("Splitter.borderPen")));
    painter->setBrush(background);
    if (horizontal)
        painter->drawRect(QRect(QPoint(r.left(), r.top() - 1), QPoint(r.right() - 1, r.bottom())));
    else
        painter->drawRect(QRect(QPoint(r.left() - 1, r.top()), QPoint(r.right(), r.bottom() - 1)));
    // Covers the border on the short sides: only the long sides keep their lines.
    painter->setPen(QColor(Qt::transparent));
    if (horizontal)
        painter->drawRect(QRect(QPoint(r.left() + 1, r.top() - 2), QPoint(r.right() - 1, r.bottom() + 2)));
    else
        painter->drawRect(QRect(QPoint(r.left() - 1, r.top() + 1), QPoint(r.right() + 1, r.bottom() - 1)));

    // Separators of nested splitters of the other orientation run on across this handle.
    const auto* splitter = qobject_cast<const QSplitter*>(widget);
    const auto* handle = dynamic_cast<const QWidget*>(painter->device());
    if (splitter && handle) {
        const QList<int> sizes = splitter->sizes();
        int p = 0;
        for (int i = 0; i < splitter->count() && i < sizes.size(); ++i) {
            const auto* inner = qobject_cast<const QSplitter*>(splitter->widget(i));
            if (inner && inner->orientation() != splitter->orientation()) {
                const QList<int> innerSizes = inner->sizes();
                const int innerHandle = inner->handleWidth();
                int a = 0;
                for (qsizetype j = 0; j + 1 < innerSizes.size(); ++j) {
                    a += innerSizes.at(j);
                    if (inner->orientation() == Qt::Horizontal) {
                        const QPoint q = handle->mapFromParent(QPoint(a, p));
                        painter->fillRect(QRect(QPoint(q.x() + 1, q.y() - 1),
                                                QPoint(q.x() + innerHandle - 2, q.y() + sizes.at(i))),
                                          styleColor(QStringLiteral("Splitter.horizontalSeparator")));
                    } else {
                        const QPoint q = handle->mapFromParent(QPoint(p, a));
                        painter->fillRect(QRect(QPoint(q.x() - 1, q.y() + 1),
                                                QPoint(q.x() + sizes.at(i), q.y() + innerHandle - 2)),
                                          styleColor(QStringLiteral("Splitter.verticalSeparator")));
                    }
                    a += innerHandle;
                }
            }
            p += sizes.at(i) + splitter->handleWidth();
        }
    }
    painter->restore();
}

void KelStyle::drawScrollBarPart(ControlElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* /*widget*/) const
{
    QString prefix;
    switch (element) {
    case CE_ScrollBarAddLine:
        prefix = QStringLiteral("ScrollBarAddLine");
        break;
    case CE_ScrollBarSubLine:
        prefix = QStringLiteral("ScrollBarSubLine");
        break;
    default:
        prefix = QStringLiteral("ScrollBarSlider");
        break;
    }
    const bool horizontal = option->state & State_Horizontal;

    painter->fillRect(option->rect, styleColor(prefix + QStringLiteral(".backgroundColor")));

    int l = option->rect.left();
    int t = option->rect.top();
    int r = option->rect.right();
    int b = option->rect.bottom();
    if (element == CE_ScrollBarSlider) {
        if (horizontal) {
            l += 2;
            r -= 2;
        } else {
            t += 2;
            b -= 2;
        }
    }
    painter->setPen(stylePen(prefix + QStringLiteral(".borderPen")));
    painter->setBrush(QBrush(Qt::transparent));
    painter->drawRoundedRect(QRectF(l + 0.5, t + 0.5, r - l - 0.5, b - t - 0.5), 1.5, 1.5,
                             Qt::AbsoluteSize);

    QString inside = prefix + QStringLiteral(".backgroundColor2");
    if (option->state & State_Sunken)
        inside = prefix + QStringLiteral(".pressed.backgroundColor2");
    else if (option->state & State_MouseOver)
        inside = prefix + QStringLiteral(".mouseOver.backgroundColor2");
    painter->fillRect(QRect(QPoint(l + 1, t + 1), QPoint(r - 1, b - 1)), styleColor(inside));

    if (element == CE_ScrollBarSlider)
        return;
    const bool add = element == CE_ScrollBarAddLine;
    QString key;
    if (horizontal) {
        // The add line points the way the content scrolls on: right, or left when mirrored.
        const bool pointsRight = add == (option->direction != Qt::RightToLeft);
        key = QStringLiteral("scrollbarArrow%1")
                  .arg(pointsRight ? QStringLiteral("Right") : QStringLiteral("Left"));
    } else {
        key = add ? QStringLiteral("scrollbarArrowDown") : QStringLiteral("scrollbarArrowUp");
    }
    const QPixmap arrow = stylePixmap(key);
    if (!arrow.isNull())
        painter->drawPixmap(option->rect, arrow);
}

void KelStyle::drawScrollBarPage(ControlElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* /*widget*/) const
{
    painter->fillRect(option->rect,
                      styleColor(element == CE_ScrollBarAddPage
                                     ? QStringLiteral("ScrollBarAddPage.backgroundColor")
                                     : QStringLiteral("ScrollBarSubPage.backgroundColor")));
}

void KelStyle::drawItemViewItem(const QStyleOptionViewItem* option, QPainter* painter,
                                const QWidget* widget) const
{
    QStyleOptionViewItem item(*option);

    if (qobject_cast<const QTreeView*>(widget)) {
        if ((option->state & State_Selected)
            && (option->viewItemPosition == QStyleOptionViewItem::Beginning
                || option->viewItemPosition == QStyleOptionViewItem::OnlyOne))
            item.font.setWeight(QFont::Bold);
        item.rect.setTop(item.rect.top() + 1);
        QProxyStyle::drawControl(CE_ItemViewItem, &item, painter, widget);
        return;
    }

    if (const auto* list = qobject_cast<const QListView*>(widget)) {
        if (list->viewMode() == QListView::IconMode && (option->state & State_Selected)) {
            proxy()->drawPrimitive(PE_PanelItemViewItem, option, painter, widget);
            setPaletteRole(item.palette, QPalette::Text, QStringLiteral("ItemViewItem.textColor"));
            item.state &= ~State_Selected;
            QProxyStyle::drawControl(CE_ItemViewItem, &item, painter, widget);
            return;
        }
        if (list->viewMode() == QListView::ListMode) {
            painter->fillRect(item.rect.adjusted(2, 2, -2, -2), item.backgroundBrush);
            item.state &= ~State_Selected;
            QProxyStyle::drawControl(CE_ItemViewItem, &item, painter, widget);
            // The selection band goes over the label.
            proxy()->drawPrimitive(PE_PanelItemViewItem, option, painter, widget);
            return;
        }
    }

    QProxyStyle::drawControl(CE_ItemViewItem, &item, painter, widget);
}

#include "style/KelStyle.h"

#include "style/DockWidgetTitleBar.h"
#include "style/KelStyleConfig.h"
#include "style/KelToolBox.h"
#include "style/TitleBarButtonRect.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QDialog>
#include <QDockWidget>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QListView>
#include <QMainWindow>
#include <QMenuBar>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextDocument>
#include <QToolTip>
#include <QWindow>

#include <array>

namespace {

QRect screenGeometryAt(const QPoint& point)
{
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

} // namespace

bool KelStyle::eventFilter(QObject* obj, QEvent* e)
{
    // QObject's eventFilter is public; the base style's own override is what we reach.
    QObject* base = baseStyle();
    const QEvent::Type type = e->type();

    if (type == QEvent::ChildAdded)
        return base->eventFilter(obj, e);

    // Watched only for its title, which its menu bar paints (the window's own title bar).
    if (auto* window = qobject_cast<QMainWindow*>(obj)) {
        if (type == QEvent::WindowTitleChange || type == QEvent::ModifiedChange) {
            for (QMenuBar* bar : window->findChildren<QMenuBar*>(Qt::FindDirectChildrenOnly))
                bar->update();
        }
        return false;
    }

    if (type == QEvent::Show) {
        if (auto* menu = qobject_cast<QMenu*>(obj)) {
            const auto* menuBar = qobject_cast<QMenuBar*>(menu->parent());
            if (m_pressedRollOutButton || (menuBar && isRollOutText(menu->title())))
                placeRollOutMenu(menu);
        }
    }

    if (type == QEvent::MouseButtonPress) {
        auto* header = obj->parent() ? qobject_cast<QHeaderView*>(obj->parent()) : nullptr;
        if (header && header->orientation() == Qt::Horizontal
            && openColumnMenu(header, static_cast<QMouseEvent*>(e)))
            return true;
    }

    if (type == QEvent::Paint) {
        auto* list = obj->parent() ? qobject_cast<QListView*>(obj->parent()) : nullptr;
        if (list && list->viewMode() == QListView::IconMode && obj == list->viewport())
            paintIconModeBackground(list->viewport(), list);

        auto* page = qobject_cast<QWidget*>(obj);
        auto* toolBox = page ? qobject_cast<KelToolBox*>(page->parent()) : nullptr;
        if (toolBox && toolBox->widget(toolBox->indexOf(page)) == page)
            paintToolBoxPage(page);
    }

    if (type == QEvent::MouseButtonDblClick || type == QEvent::MouseButtonPress
        || type == QEvent::MouseButtonRelease) {
        auto* tabBar = qobject_cast<QTabBar*>(obj);
        if (!tabBar && obj->parent())
            tabBar = qobject_cast<QTabBar*>(obj->parent());
        if (tabBar && handleAddTabEvent(tabBar, e))
            return true;
    }

    if (auto* dialog = qobject_cast<QDialog*>(obj))
        handleDialogEvent(dialog, e);

    if (auto* dock = qobject_cast<QDockWidget*>(obj))
        handleDockWidgetEvent(dock, e);

    if (auto* button = qobject_cast<QToolButton*>(obj)) {
        if (handleRollOutButtonEvent(button, e))
            return true;
    }

    if (auto* widget = qobject_cast<QWidget*>(obj))
        handleHoverRepaint(widget, e);

    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease
        || type == QEvent::MouseMove) {
        if (auto* bar = qobject_cast<QMenuBar*>(obj)) {
            if (handleMenuBarEvent(bar, static_cast<QMouseEvent*>(e)))
                return true;
        }
    }

    return base->eventFilter(obj, e);
}

void KelStyle::placeRollOutMenu(QMenu* menu) const
{
    auto* menuBar = qobject_cast<QMenuBar*>(menu->parent());
    QWidget* anchor = menuBar;
    if (!anchor && m_pressedRollOutButton)
        anchor = m_pressedRollOutButton->parentWidget();
    if (!anchor)
        return;

    QRect rect;
    if (m_pressedRollOutButton)
        rect = m_pressedRollOutButton->geometry().adjusted(0, 0, 6, 0);
    else
        rect = menuBar->actionGeometry(menu->menuAction());

    // Under the right end of the item, 25 pixels in from it.
    const QSize size = menu->sizeHint();
    QPoint pos = anchor->mapToGlobal(QPoint(rect.right() - 25, rect.bottom()));
    const bool rtl = anchor->layoutDirection() == Qt::RightToLeft;

    const QRect screen = screenGeometryAt(QPoint(pos.x() + 12, pos.y()));
    pos.setX(qMax(pos.x(), screen.left()));
    pos.setY(qMax(pos.y(), screen.top()));

    const int top = anchor->mapToGlobal(QPoint(rect.right() - 25, rect.top())).y();
    const bool fitsAbove = top >= size.height();
    const bool fitsBelow = pos.y() + size.height() <= screen.bottom();

    if (!fitsAbove && !fitsBelow) {
        if (rtl) {
            if (size.width() > pos.x())
                pos.rx() += size.width() + 25;
        } else if (pos.x() + size.width() + 25 <= screen.right()) {
            pos.rx() += 25;
        } else {
            pos.rx() -= size.width();
        }
    } else if (rtl) {
        pos.rx() += 25;
    }

    pos.setX(qMin(pos.x() + size.width(), screen.right()) - size.width());

    if ((menuBar && menuBar->isDefaultUp()) || (fitsAbove && !fitsBelow))
        pos.setY(qMax(screen.top(),
                      anchor->mapToGlobal(QPoint(0, rect.top() - size.height())).y()));

    menu->move(pos);
}

bool KelStyle::openColumnMenu(QHeaderView* header, QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    const int index = header->logicalIndexAt(x);
    // A press beyond the last section belongs to no column.
    if (index < 0 || header->cursor().shape() != Qt::ArrowCursor || header->count() < 2)
        return false;
    if (x + header->offset() - header->sectionPosition(index) <= header->sectionSize(index) - 20)
        return false;

    QAbstractItemModel* model = header->model();
    QPointer<QHeaderView> guard(header);
    QPointer<QMenu> menu = new QMenu(header);
    // Column 0 is never listed, so it cannot be hidden from here.
    const int columns = model ? model->columnCount() : 0;
    for (int i = 1; i < columns; ++i) {
        QAction* action =
            menu->addAction(model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString());
        action->setData(i);
        action->setCheckable(true);
        action->setChecked(!header->isSectionHidden(i));
        menu->addSeparator();
    }

    header->update();
    const QPoint at(header->sectionPosition(index) + header->sectionSize(index) - 20
                        - header->offset(),
                    header->height());
    QAction* chosen = menu->exec(header->mapToGlobal(at));

    // The header (and the menu with it) may have gone while the menu ran.
    if (guard && menu && chosen)
        guard->setSectionHidden(chosen->data().toInt(), !chosen->isChecked());
    delete menu.data();
    return true;
}

void KelStyle::paintIconModeBackground(QWidget* viewport, const QListView* list) const
{
    const int bottom = list->iconSize().height() + 2;
    QPainter painter(viewport);
    painter.fillRect(QRect(QPoint(0, 5), QPoint(viewport->width() - 1, bottom)),
                     QBrush(styleGradient(QStringLiteral("ListView.backgroundGradient"),
                                          QPointF(0, 5), QPointF(0, bottom))));
}

void KelStyle::paintToolBoxPage(QWidget* page) const
{
    const int width = page->width();
    QPainter painter(page);
    painter.setPen(stylePen(QStringLiteral("ToolBox.borderPen")));
    painter.drawLine(0, 0, width, 0);
    painter.setPen(stylePen(QStringLiteral("ToolBox.borderPen2")));
    painter.drawLine(0, 1, width, 1);
    painter.fillRect(QRect(0, 2, width, 8),
                     QBrush(styleGradient(QStringLiteral("ToolBox.backgroundGradient"),
                                          QPointF(0, 2), QPointF(0, 10))));
}

bool KelStyle::handleAddTabEvent(QTabBar* tabBar, QEvent* event)
{
    if (!showsAddTabButton(tabBar))
        return false;
    if (!addTabButtonRect(tabBar).contains(cursorPosIn(tabBar)))
        return false;

    const auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton)
            m_pressedAddTabBar = tabBar;
        tabBar->update();
        return true;
    case QEvent::MouseButtonRelease:
        if (m_pressedAddTabBar && mouse->button() == Qt::LeftButton) {
            QObject* target = m_pressedAddTabBar->parent();
            m_pressedAddTabBar = nullptr;
            if (target)
                QMetaObject::invokeMethod(target, "addTabRequested");
        }
        tabBar->update();
        return true;
    default:
        return false;
    }
}

void KelStyle::handleDialogEvent(QDialog* dialog, QEvent* event) const
{
    if (event->type() == QEvent::Resize) {
        if (auto* titleBar = dialog->findChild<DockWidgetTitleBar*>())
            titleBar->setGeometry(QRect(QPoint(3, 3), QPoint(dialog->width() - 4, 27)));
    } else if (event->type() == QEvent::Paint) {
        const QRect rect = dialog->rect();
        QPainter painter(dialog);
        painter.fillRect(rect, styleColor(QStringLiteral("Dialog.borderColor")));
        painter.fillRect(rect.adjusted(1, 1, -1, -1), styleColor(QStringLiteral("Dialog.borderColor2")));
        painter.fillRect(QRect(QPoint(3, 28), QPoint(rect.width() - 4, rect.height() - 4)),
                         dialog->palette().color(QPalette::Window));
    }
}

void KelStyle::handleDockWidgetEvent(QDockWidget* dock, QEvent* event) const
{
    QWidget* titleBar = dock->titleBarWidget();
    if (event->type() == QEvent::DynamicPropertyChange) {
        if (titleBar)
            titleBar->update();
        return;
    }
    if (event->type() != QEvent::Paint)
        return;

    const QRect rect = dock->rect();
    const int titleHeight = titleBar ? titleBar->height() : 0;
    QPainter painter(dock);
    if (dock->isWindow()) {
        painter.fillRect(rect, styleColor(QStringLiteral("DockWidget.floating.borderColor")));
        painter.fillRect(rect.adjusted(1, 1, -1, -1),
                         styleColor(QStringLiteral("DockWidget.floating.borderColor2")));
        painter.fillRect(QRect(QPoint(3, titleHeight + 3),
                               QPoint(rect.width() - 4, rect.height() - 4)),
                         dock->palette().color(QPalette::Window));
    } else {
        painter.fillRect(rect, styleColor(QStringLiteral("DockWidget.borderColor")));
        painter.fillRect(QRect(0, titleHeight, rect.width(), 8),
                         QBrush(styleGradient(QStringLiteral("DockWidget.backgroundGradient"),
                                              QPointF(0, titleHeight),
                                              QPointF(0, titleHeight + 8))));
    }
}

bool KelStyle::handleRollOutButtonEvent(QToolButton* button, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_pressedRollOutButton = isRollOutText(button->text()) ? button : nullptr;
        return false;
    case QEvent::ToolTip: {
        const QString text = button->text();
        if (!isRollOutText(text))
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(text.mid(1, text.size() - 2)), button);
        return true;
    }
    default:
        return false;
    }
}

void KelStyle::handleHoverRepaint(QWidget* widget, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
        m_pressedAddTabBar = nullptr;
        m_pressedRollOutButton = nullptr;
        widget->update();
        break;
    case QEvent::MouseMove:
        if (QWidget* parent = widget->parentWidget())
            parent->update();
        widget->update();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::Enter:
    case QEvent::Leave:
        widget->update();
        break;
    default:
        break;
    }
}

bool KelStyle::handleMenuBarEvent(QMenuBar* bar, QMouseEvent* event)
{
    // Without a parent window there are no title-bar buttons and nothing to drag.
    QWidget* window = bar->parentWidget();
    const QPoint pos = event->position().toPoint();

    int hit = 0;
    if (window) {
        const std::array<int, 3> hints = {Qt::WindowMinimizeButtonHint,
                                          Qt::WindowMaximizeButtonHint,
                                          Qt::WindowCloseButtonHint};
        for (int hint : hints) {
            if (titleBarButtonRect(bar, hint).contains(pos)) {
                hit = hint;
                break;
            }
        }
    }

    switch (event->type()) {
    case QEvent::MouseButtonPress:
        bar->update();
        if (event->button() == Qt::LeftButton && window) {
            if (hit != 0) {
                m_pressedTitleBarButton = hit;
                m_draggedMenuBar = bar;
            } else if (!bar->actionAt(pos)) {
                m_draggedMenuBar = bar;
                m_dragStartPos = pos;
            }
        }
        return false;

    case QEvent::MouseButtonRelease:
        bar->update();
        if (event->button() != Qt::LeftButton)
            return false;
        m_draggedMenuBar = nullptr;
        if (m_pressedTitleBarButton != hit) {
            m_pressedTitleBarButton = 0;
            return false;
        }
        m_pressedTitleBarButton = 0;
        switch (hit) {
        case Qt::WindowMinimizeButtonHint:
            window->showMinimized();
            return true;
        case Qt::WindowMaximizeButtonHint:
            window->setWindowState(window->isMaximized() ? Qt::WindowNoState : Qt::WindowMaximized);
            return true;
        case Qt::WindowCloseButtonHint:
            window->close();
            return true;
        default:
            return false;
        }

    case QEvent::MouseMove:
        bar->update();
        if (!window || m_draggedMenuBar != bar || m_pressedTitleBarButton != 0)
            return false;
        if (event->buttons() & Qt::LeftButton) {
            QWindow* handle = window->isWindow() ? window->windowHandle() : nullptr;
            if (handle && QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
                // The compositor ignores client moves; it runs the drag itself.
                handle->startSystemMove();
                m_draggedMenuBar = nullptr;
            } else {
                window->move(event->globalPosition().toPoint() - m_dragStartPos);
            }
        }
        return true;

    default:
        return false;
    }
}

#pragma once

#include "style/TitleBarButtonRect.h"

#include <QPoint>
#include <QWidget>

class KelTitleBarButton;

// A title bar for a QDockWidget or a top-level window: paints the title from the style keys
// "DockWidgetTitleBar.*", carries close, restore, minimise and help buttons, drags a window by
// its title and offers a window menu. Without a parent widget it shows no buttons, paints no
// title and drags nothing.
class DockWidgetTitleBar : public QWidget
{
    Q_OBJECT

public:
    explicit DockWidgetTitleBar(QWidget* parent = nullptr);

    KelTitleBarButton* buttonClose() const;
    KelTitleBarButton* buttonRestore() const;
    KelTitleBarButton* buttonMinimize() const;
    KelTitleBarButton* buttonHelp() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private slots:
    void closeDockWidget();
    void toggleDockWidget();
    void whatsThis();

private:
    // Floating dock widget or window (drawn with its buttons), as opposed to docked or in a
    // tool bar.
    bool showsWindowLook() const;
    // A tool bar or menu bar right above the bar.
    bool underBar() const;
    void placeButtons();
    void paintWindowLook(QPainter& painter);
    void paintDockedLook(QPainter& painter);

    QPoint m_pressPosition;
    KelTitleBarButton* m_buttonClose;
    KelTitleBarButton* m_buttonRestore;
    KelTitleBarButton* m_buttonMinimize;
    KelTitleBarButton* m_buttonHelp;
};

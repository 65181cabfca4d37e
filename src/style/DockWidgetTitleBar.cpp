#include "style/DockWidgetTitleBar.h"

#include "style/KelStyleConfig.h"
#include "style/KelTitleBarButton.h"

#include <QContextMenuEvent>
#include <QDockWidget>
#include <QFontMetrics>
#include <QKeySequence>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolBar>
#include <QWhatsThis>

namespace {

QColor titleBarColor(const char* key)
{
    return KelStyleConfig::instance()->value<QColor>(QLatin1String(key));
}

QLinearGradient titleBarGradient(const char* key)
{
    return KelStyleConfig::instance()->value<QLinearGradient>(QLatin1String(key));
}

} // namespace

DockWidgetTitleBar::DockWidgetTitleBar(QWidget* parent)
    : QWidget(parent)
    , m_buttonClose(new KelTitleBarButton(QStringLiteral("titleBarClose"), this))
    , m_buttonRestore(new KelTitleBarButton(QStringLiteral("titleBarMaximize"), this))
    , m_buttonMinimize(new KelTitleBarButton(QStringLiteral("titleBarMinimize"), this))
    , m_buttonHelp(new KelTitleBarButton(QStringLiteral("titleBarHelp"), this))
{
    connect(m_buttonClose, &QAbstractButton::clicked, this, &DockWidgetTitleBar::closeDockWidget);
    connect(m_buttonRestore, &QAbstractButton::clicked, this, &DockWidgetTitleBar::toggleDockWidget);
    if (parent)
        connect(m_buttonMinimize, &QAbstractButton::clicked, parent, &QWidget::showMinimized);
    connect(m_buttonHelp, &QAbstractButton::clicked, this, &DockWidgetTitleBar::whatsThis);
    // Right from the start, not only at the first resize: a bar without parent has no buttons.
    placeButtons();
}

KelTitleBarButton* DockWidgetTitleBar::buttonClose() const
{
    return m_buttonClose;
}

KelTitleBarButton* DockWidgetTitleBar::buttonRestore() const
{
    return m_buttonRestore;
}

KelTitleBarButton* DockWidgetTitleBar::buttonMinimize() const
{
    return m_buttonMinimize;
}

KelTitleBarButton* DockWidgetTitleBar::buttonHelp() const
{
    return m_buttonHelp;
}

bool DockWidgetTitleBar::showsWindowLook() const
{
    const QWidget* parent = parentWidget();
    const auto* dock = qobject_cast<const QDockWidget*>(parent);
    return (!dock || dock->isFloating()) && !qobject_cast<const QToolBar*>(parent);
}

bool DockWidgetTitleBar::underBar() const
{
    const QWidget* top = window();
    const QWidget* above = top->childAt(mapTo(top, QPoint(0, -4)));
    return qobject_cast<const QToolBar*>(above) || qobject_cast<const QMenuBar*>(above);
}

QSize DockWidgetTitleBar::sizeHint() const
{
    const int h = underBar() ? 24 : 25;
    const auto* dock = qobject_cast<const QDockWidget*>(parentWidget());
    const bool vertical = dock && dock->features().testFlag(QDockWidget::DockWidgetVerticalTitleBar);
    if (showsWindowLook())
        return vertical ? QSize(h, 75) : QSize(75, h);
    return vertical ? QSize(20, 75) : QSize(75, 20);
}

QSize DockWidgetTitleBar::minimumSizeHint() const
{
    return sizeHint();
}

void DockWidgetTitleBar::mousePressEvent(QMouseEvent* event)
{
    QWidget* parent = parentWidget();
    if (parent && !qobject_cast<QDockWidget*>(parent) && event->button() == Qt::LeftButton) {
        m_pressPosition = event->position().toPoint();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void DockWidgetTitleBar::mouseMoveEvent(QMouseEvent* event)
{
    QWidget* parent = parentWidget();
    if (parent && !qobject_cast<QDockWidget*>(parent) && !m_pressPosition.isNull()
        && (event->buttons() & Qt::LeftButton)) {
        parent->move(event->globalPosition().toPoint() - m_pressPosition);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void DockWidgetTitleBar::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget* parent = parentWidget();
    if (parent && !qobject_cast<QDockWidget*>(parent) && event->button() == Qt::LeftButton
        && !m_pressPosition.isNull()) {
        m_pressPosition = QPoint();
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void DockWidgetTitleBar::placeButtons()
{
    if (!parentWidget()) {
        // No window to act on: no buttons at all.
        for (KelTitleBarButton* button :
             {m_buttonClose, m_buttonRestore, m_buttonMinimize, m_buttonHelp})
            button->hide();
        return;
    }
    const bool visible = showsWindowLook();
    m_buttonClose->setVisible(visible);
    m_buttonRestore->setVisible(visible);
}

void DockWidgetTitleBar::resizeEvent(QResizeEvent*)
{
    placeButtons();
    if (!parentWidget())
        return;
    m_buttonClose->setGeometry(titleBarButtonRect(this, Qt::WindowCloseButtonHint));
    m_buttonRestore->setGeometry(titleBarButtonRect(this, Qt::WindowMaximizeButtonHint));
    m_buttonMinimize->setGeometry(titleBarButtonRect(this, Qt::WindowMinimizeButtonHint));
    m_buttonHelp->setGeometry(titleBarButtonRect(this, Qt::WindowContextHelpButtonHint));
}

void DockWidgetTitleBar::paintEvent(QPaintEvent*)
{
    placeButtons();
    QPainter painter(this);
    if (showsWindowLook())
        paintWindowLook(painter);
    else
        paintDockedLook(painter);
}

void DockWidgetTitleBar::paintWindowLook(QPainter& painter)
{
    const int w = width();
    const int h = height();
    const QRect r(0, 0, w, h - 1);
    QLinearGradient gradient = titleBarGradient("DockWidgetTitleBar.floating.backgroundGradient");
    gradient.setStart(0, 0);
    gradient.setFinalStop(0, h - 2);
    painter.fillRect(r, QBrush(gradient));

    const QWidget* parent = parentWidget();
    if (!parent)
        return;
    painter.setPen(titleBarColor("DockWidgetTitleBar.floating.fontColor"));
    const QString title = fontMetrics().elidedText(parent->windowTitle(), Qt::ElideRight, w - 50);
    painter.drawText(r.adjusted(25, 0, -25, 0), Qt::AlignVCenter | Qt::AlignLeft, title);
}

void DockWidgetTitleBar::paintDockedLook(QPainter& painter)
{
    const int w = width();
    const int h = height();
    const int top = underBar() ? -1 : 0;
    const QRect r(QPoint(0, top), QPoint(w - 1, h - 1));

    painter.fillRect(r, titleBarColor("DockWidgetTitleBar.backgroundColor"));
    painter.setPen(titleBarColor("DockWidgetTitleBar.bottomBorderColor"));
    painter.drawLine(0, h - 2, w - 2, h - 2);
    painter.setPen(titleBarColor("DockWidgetTitleBar.bottomBorderColor2"));
    painter.drawLine(0, h - 1, w - 2, h - 1);

    QLinearGradient gradient = titleBarGradient("DockWidgetTitleBar.backgroundGradient");
    gradient.setStart(0, 1);
    gradient.setFinalStop(0, h - 3);
    painter.fillRect(QRect(QPoint(1, top + 1), QPoint(w - 2, h - 3)), QBrush(gradient));

    painter.setPen(titleBarColor("DockWidgetTitleBar.fontColor"));
    auto* dock = qobject_cast<QDockWidget*>(parentWidget());
    if (!dock)
        return; // in a tool bar: no arrow, no title

    Qt::LayoutDirection direction = layoutDirection();
    if (dock->property("doubleArrowOnRightSide").toBool())
        direction = direction == Qt::LeftToRight ? Qt::RightToLeft : Qt::LeftToRight;
    const bool leftToRight = direction == Qt::LeftToRight;

    const QPixmap arrow = KelStyleConfig::instance()->value<QPixmap>(
        QStringLiteral("doubleArrow%1").arg(leftToRight ? QStringLiteral("Right") : QStringLiteral("Left")));
    const QRect arrowRect((26 - arrow.width()) / 2, (r.height() - arrow.height()) / 2 - 1,
                          arrow.width(), arrow.height());
    if (!arrow.isNull())
        painter.drawPixmap(QStyle::visualRect(direction, r, arrowRect), arrow);

    const QRect titleRect(QPoint(leftToRight ? 26 : 8, r.top()),
                          QPoint(leftToRight ? w - 1 - 8 : w - 1 - 26, r.bottom()));
    const QString title =
        fontMetrics().elidedText(dock->windowTitle(), Qt::ElideRight, titleRect.width());
    painter.drawText(titleRect, Qt::AlignVCenter | Qt::AlignLeft, title);
}

void DockWidgetTitleBar::contextMenuEvent(QContextMenuEvent* event)
{
    QWidget* parent = parentWidget();
    if (!parent || qobject_cast<QDockWidget*>(parent)) {
        event->ignore();
        return;
    }

    const bool hasClose = !titleBarButtonRect(this, Qt::WindowCloseButtonHint).isNull();
    const bool hasMaximize = !titleBarButtonRect(this, Qt::WindowMaximizeButtonHint).isNull();
    const bool hasMinimize = !titleBarButtonRect(this, Qt::WindowMinimizeButtonHint).isNull();

    QMenu menu(this);
    // Restoring undoes a maximise, so it is offered wherever minimising or maximising is.
    if (hasMinimize || hasMaximize) {
        QAction* restore = menu.addAction(tr("Restore"), this, &DockWidgetTitleBar::toggleDockWidget);
        restore->setEnabled(parent->isMaximized());
    }
    if (hasMinimize) {
        QAction* minimize = menu.addAction(tr("Minimize"), parent, &QWidget::showMinimized);
        minimize->setEnabled(!parent->isMinimized());
    }
    if (hasMaximize) {
        QAction* maximize = menu.addAction(tr("Maximize"), parent, &QWidget::showMaximized);
        maximize->setEnabled(!parent->isMaximized());
    }
    menu.addSeparator();
    if (hasClose) {
        QAction* close = menu.addAction(tr("Close"), parent, &QWidget::close);
        close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    }
    menu.exec(event->globalPos());
    event->accept();
}

void DockWidgetTitleBar::closeDockWidget()
{
    if (QWidget* parent = parentWidget())
        parent->close();
}

void DockWidgetTitleBar::toggleDockWidget()
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    if (auto* dock = qobject_cast<QDockWidget*>(parent))
        dock->setFloating(!dock->isFloating());
    else
        parent->setWindowState(parent->windowState() ^ Qt::WindowMaximized);
}

void DockWidgetTitleBar::whatsThis()
{
    QWhatsThis::enterWhatsThisMode();
}

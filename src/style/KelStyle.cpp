#include "style/KelStyle.h"

#include "style/DockWidgetTitleBar.h"
#include "style/KelStyleConfig.h"
#include "style/KelToolBox.h"
#include "style/KelToolBoxButton.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCursor>
#include <QDockWidget>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QSplashScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyleFactory>
#include <QToolBar>
#include <QToolTip>

KelStyle::KelStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows")))
    , m_cornerPixmap(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("drummetMenubar")))
{
}

KelStyle::~KelStyle() = default;

QPixmap KelStyle::cornerPixmap() const
{
    return m_cornerPixmap;
}

void KelStyle::setCornerPixmap(const QPixmap& pixmap)
{
    m_cornerPixmap = pixmap;
}

// ---------------------------------------------------------------------------------------------
// Shared helpers

QColor KelStyle::styleColor(const QString& key)
{
    return KelStyleConfig::instance()->value<QColor>(key);
}

QPen KelStyle::stylePen(const QString& key)
{
    return KelStyleConfig::instance()->value<QPen>(key);
}

QPixmap KelStyle::stylePixmap(const QString& key)
{
    return KelStyleConfig::instance()->value<QPixmap>(key);
}

QLinearGradient KelStyle::styleGradient(const QString& key, const QPointF& start,
                                        const QPointF& finalStop)
{
    QLinearGradient gradient = KelStyleConfig::instance()->value<QLinearGradient>(key);
    gradient.setStart(start);
    gradient.setFinalStop(finalStop);
    return gradient;
}

bool KelStyle::isRollOutText(const QString& text)
{
    return text.startsWith(QLatin1Char('{')) && text.endsWith(QLatin1Char('}'));
}

bool KelStyle::showsAddTabButton(const QWidget* tabBar)
{
    if (!tabBar || !tabBar->parent())
        return false;
    return tabBar->parent()->property("addTabButtonVisible").toBool();
}

bool KelStyle::isLastTab(const QStyleOption* option)
{
    const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
    return tab
        && (tab->position == QStyleOptionTab::End
            || tab->position == QStyleOptionTab::OnlyOneTab);
}

void KelStyle::applyEntryOpacity(const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget)
{
    if (!painter)
        return;
    const bool enabled = option && (option->state & State_Enabled);
    const bool inMenu = qobject_cast<const QMenu*>(widget) != nullptr;
    painter->setOpacity(enabled || inMenu ? 1.0 : 0.5);
}

QPoint KelStyle::cursorPosIn(const QWidget* widget)
{
    const QPoint global = QCursor::pos();
    return widget ? widget->mapFromGlobal(global) : global;
}

void KelStyle::setPaletteRole(QPalette& palette, QPalette::ColorRole role, const QString& key,
                              QPalette::ColorGroup group)
{
    palette.setBrush(group, role, QBrush(styleColor(key)));
}

// ---------------------------------------------------------------------------------------------
// Free functions

bool actionFollowedBySeparator(const QMenuBar* menuBar, const QString& text)
{
    if (!menuBar)
        return false;
    const QList<QAction*> actions = menuBar->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (actions.at(i)->text() != text)
            continue;
        return i + 1 < actions.size() && actions.at(i + 1)->isSeparator();
    }
    return false;
}

QRect addTabButtonRect(const QWidget* widget)
{
    const auto* tabBar = qobject_cast<const QTabBar*>(widget);
    if (!tabBar || !tabBar->parent()
        || !tabBar->parent()->property("addTabButtonVisible").toBool()
        || tabBar->count() == 0)
        return QRect();

    const QRect last = tabBar->tabRect(tabBar->count() - 1);
    const QPoint centre((2 * last.right() - 23) / 2, (last.top() + last.bottom()) / 2);
    if (!tabBar->childAt(centre) && last.right() <= tabBar->width())
        return QRect(QPoint(last.right() - 23, last.top()), QPoint(last.right(), last.bottom()));

    // A scroll button covers the strip, or the last tab runs past the visible width: end the
    // strip at the leftmost scroll button. Hidden scroll buttons keep stale geometry and
    // cover nothing.
    int right = last.right() + 2;
    const QList<QToolButton*> buttons = tabBar->findChildren<QToolButton*>();
    for (const QToolButton* button : buttons) {
        if (button->arrowType() != Qt::NoArrow && !button->isHidden())
            right = qMin(right, button->x());
    }
    return QRect(QPoint(right - 23, last.top()), QPoint(right, last.bottom()));
}

// ---------------------------------------------------------------------------------------------
// Polish

void KelStyle::polish(QWidget* w)
{
    if (!w) {
        QProxyStyle::polish(w);
        return;
    }

    QPalette tipPalette = QToolTip::palette();
    setPaletteRole(tipPalette, QPalette::ToolTipText, QStringLiteral("AppPalette.ToolTip.textColor"));
    QToolTip::setPalette(tipPalette);

    QObject* parent = w->parent();

    QPalette palette = w->palette();
    palette.setCurrentColorGroup(QPalette::Active);
    setPaletteRole(palette, QPalette::Dark, QStringLiteral("AppPalette.active.darkColor"));
    setPaletteRole(palette, QPalette::Light, QStringLiteral("AppPalette.active.lightColor"));
    if (!qobject_cast<QSplashScreen*>(w))
        setPaletteRole(palette, QPalette::Window, QStringLiteral("AppPalette.active.windowColor"));
    if (parent && parent->objectName() == QLatin1String("qt_scrollarea_viewport"))
        setPaletteRole(palette, QPalette::Window,
                       QStringLiteral("AppPalette.scrollareaChild.windowColor"));
    setPaletteRole(palette, QPalette::Highlight, QStringLiteral("AppPalette.active.highlightedColor"));
    setPaletteRole(palette, QPalette::HighlightedText,
                   QStringLiteral("AppPalette.active.highlightedTextColor"));
    setPaletteRole(palette, QPalette::ButtonText, QStringLiteral("AppPalette.active.buttonTextColor"));
    setPaletteRole(palette, QPalette::WindowText, QStringLiteral("AppPalette.active.windowTextColor"));
    setPaletteRole(palette, QPalette::WindowText,
                   QStringLiteral("AppPalette.disabled.windowTextColor"), QPalette::Disabled);
    w->setPalette(palette);

    QFont font(QStringLiteral("Geneva"));
    font.setPixelSize(11);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.33);
    font.setWeight(QFont::Normal);

    if (auto* toolBox = qobject_cast<KelToolBox*>(parent)) {
        font.setWeight(QFont::Bold);
        if (toolBox->widget(toolBox->indexOf(w)) == w)
            w->installEventFilter(this);
    }
    if (qobject_cast<KelToolBoxButton*>(w))
        font.setPixelSize(12);

    if (qobject_cast<QMenuBar*>(w)) {
        w->setAttribute(Qt::WA_NoSystemBackground, true);
        w->installEventFilter(this);
        font.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
        font.setPixelSize(12);
        setPaletteRole(palette, QPalette::ButtonText,
                       QStringLiteral("AppPalette.MenuBar.buttonTextColor"));
        setPaletteRole(palette, QPalette::Button, QStringLiteral("AppPalette.MenuBar.buttonColor"));
        w->setPalette(palette);
        w->setAttribute(Qt::WA_MouseTracking, true);
    } else if (qobject_cast<QMenu*>(w)) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
        w->installEventFilter(this);
    } else if (qobject_cast<DockWidgetTitleBar*>(w)) {
        font.setPixelSize(12);
        font.setWeight(QFont::Bold);
    } else if (auto* dock = qobject_cast<QDockWidget*>(w)) {
        dock->setTitleBarWidget(new QWidget);
    } else if (auto* header = qobject_cast<QHeaderView*>(w)) {
        font.setWeight(QFont::Bold);
        setPaletteRole(palette, QPalette::WindowText,
                       QStringLiteral("AppPalette.HeaderView.windowTextColor"));
        setPaletteRole(palette, QPalette::ButtonText,
                       QStringLiteral("AppPalette.HeaderView.buttonTextColor"));
        w->setPalette(palette);
        w->setAttribute(Qt::WA_MouseTracking, true);
        header->installEventFilter(this);
        header->viewport()->installEventFilter(this);
    } else if (qobject_cast<QAbstractSlider*>(w)) {
        w->setAttribute(Qt::WA_MouseTracking, true);
        w->installEventFilter(this);
    } else if (qobject_cast<QTabBar*>(w)) {
        font.setPixelSize(12);
        font.setWeight(QFont::Bold);
        w->setAttribute(Qt::WA_MouseTracking, true);
        w->installEventFilter(this);
    } else if (qobject_cast<QToolButton*>(w)) {
        w->setAttribute(Qt::WA_MouseTracking, true);
        w->installEventFilter(this);
        if (qobject_cast<QToolBar*>(parent)) {
            setPaletteRole(palette, QPalette::ButtonText,
                           QStringLiteral("AppPalette.ToolBarButton.buttonTextColor"));
            setPaletteRole(palette, QPalette::WindowText,
                           QStringLiteral("AppPalette.ToolBarButton.windowTextColor"));
        } else {
            setPaletteRole(palette, QPalette::ButtonText,
                           QStringLiteral("AppPalette.ToolButton.buttonTextColor"));
            setPaletteRole(palette, QPalette::WindowText,
                           QStringLiteral("AppPalette.ToolButton.windowTextColor"));
        }
        w->setPalette(palette);
    } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        setPaletteRole(palette, QPalette::Base, QStringLiteral("AppPalette.ItemView.baseColor"));
        setPaletteRole(palette, QPalette::Text, QStringLiteral("AppPalette.ItemView.textColor"));
        setPaletteRole(palette, QPalette::HighlightedText,
                       QStringLiteral("AppPalette.ItemView.highlightedTextColor"));
        w->setPalette(palette);
    } else if (qobject_cast<QAbstractSpinBox*>(w)) {
        setPaletteRole(palette, QPalette::Text, QStringLiteral("AppPalette.SpinBox.textColor"));
        w->setPalette(palette);
    } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractScrollArea*>(w)) {
        // A spin box's own line edit keeps the spin box's colours.
        if (!qobject_cast<QAbstractSpinBox*>(parent)) {
            setPaletteRole(palette, QPalette::Base, QStringLiteral("AppPalette.ScrollArea.baseColor"));
            setPaletteRole(palette, QPalette::Text, QStringLiteral("AppPalette.ScrollArea.textColor"));
            w->setPalette(palette);
        }
    } else if (qobject_cast<QAbstractButton*>(w)) {
        w->setAttribute(Qt::WA_MouseTracking, true);
        w->installEventFilter(this);
        w->setPalette(palette);
    } else if (auto* window = qobject_cast<QMainWindow*>(w)) {
        setUpMainWindow(window);
        window->installEventFilter(this);
    } else if (auto* splitter = qobject_cast<QSplitter*>(w)) {
        connect(splitter, &QSplitter::splitterMoved, this, &KelStyle::updateParentWidget,
                Qt::UniqueConnection);
    } else if (qobject_cast<QStatusBar*>(w)) {
        setPaletteRole(palette, QPalette::WindowText,
                       QStringLiteral("AppPalette.StatusBar.windowTextColor"));
        setPaletteRole(palette, QPalette::WindowText,
                       QStringLiteral("AppPalette.StatusBar.disabled.windowTextColor"),
                       QPalette::Disabled);
        w->setPalette(palette);
    } else if (qobject_cast<QLabel*>(w)) {
        setPaletteRole(palette, QPalette::WindowText, QStringLiteral("AppPalette.Label.windowTextColor"));
        setPaletteRole(palette, QPalette::WindowText,
                       QStringLiteral("AppPalette.Label.disabled.windowTextColor"),
                       QPalette::Disabled);
        w->setPalette(palette);
    } else if (qobject_cast<QFrame*>(w)) {
        setPaletteRole(palette, QPalette::WindowText, QStringLiteral("AppPalette.Frame.windowTextColor"));
        w->setPalette(palette);
    } else if (auto* toolBar = qobject_cast<QToolBar*>(w)) {
        setUpLeftToolBar(toolBar);
    }

    w->setFont(font);
    QProxyStyle::polish(w);
}

void KelStyle::setUpMainWindow(QMainWindow* window)
{
    window->setUnifiedTitleAndToolBarOnMac(false);

    QToolBar* top = nullptr;
    const QList<QToolBar*> toolBars = window->findChildren<QToolBar*>();
    for (QToolBar* toolBar : toolBars) {
        if (window->toolBarArea(toolBar) == Qt::TopToolBarArea) {
            top = toolBar;
            break;
        }
    }
    if (!top) {
        top = new QToolBar;
        window->addToolBar(Qt::TopToolBarArea, top);
    }

    // Room for the corner pixmap, which the menu bar paints over the tool bar's left end.
    auto* spacer = new QWidget;
    spacer->setMinimumSize(m_cornerPixmap.width() + 10, m_cornerPixmap.height() + 10);
    const QList<QAction*> actions = top->actions();
    if (actions.isEmpty())
        top->addWidget(spacer);
    else
        top->insertWidget(actions.first(), spacer);

    top->setToolButtonStyle(Qt::ToolButtonIconOnly);
    top->setMovable(false);
    top->setFixedHeight(44);
}

void KelStyle::setUpLeftToolBar(QToolBar* toolBar)
{
    auto* window = qobject_cast<QMainWindow*>(toolBar->window());
    if (!window || window->toolBarArea(toolBar) != Qt::LeftToolBarArea)
        return;
    if (toolBar->layout())
        toolBar->layout()->setContentsMargins(9, 9, 9, 9);
    auto* spacer = new QWidget;
    spacer->setMinimumSize(10, 22);
    const QList<QAction*> actions = toolBar->actions();
    if (actions.isEmpty())
        toolBar->addWidget(spacer);
    else
        toolBar->insertWidget(actions.first(), spacer);
}

void KelStyle::updateParentWidget()
{
    auto* widget = qobject_cast<QWidget*>(sender());
    if (!widget)
        return;
    if (auto* parent = qobject_cast<QWidget*>(widget->parent()))
        parent->update();
    widget->window()->update();
}

// ---------------------------------------------------------------------------------------------
// Painting entries

void KelStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                           const QWidget* widget) const
{
    applyEntryOpacity(option, painter, widget);

    switch (element) {
    case CE_PushButtonBevel:
        if (const auto* o = qstyleoption_cast<const QStyleOptionButton*>(option))
            return drawPushButtonBevel(o, painter, widget);
        break;
    case CE_TabBarTabShape:
        if (const auto* o = qstyleoption_cast<const QStyleOptionTab*>(option))
            return drawTabShape(o, painter, widget);
        break;
    case CE_TabBarTabLabel:
        if (const auto* o = qstyleoption_cast<const QStyleOptionTab*>(option))
            return drawTabLabel(o, painter, widget);
        break;
    case CE_MenuItem:
        if (const auto* o = qstyleoption_cast<const QStyleOptionMenuItem*>(option))
            return drawMenuItem(o, painter, widget);
        break;
    case CE_MenuBarItem:
        if (const auto* o = qstyleoption_cast<const QStyleOptionMenuItem*>(option))
            return drawMenuBarItem(o, painter, widget);
        break;
    case CE_MenuBarEmptyArea:
        if (option)
            return drawMenuBarEmptyArea(option, painter, widget);
        break;
    case CE_ToolButtonLabel:
        if (const auto* o = qstyleoption_cast<const QStyleOptionToolButton*>(option))
            return drawToolButtonLabel(o, painter, widget);
        break;
    case CE_ComboBoxLabel:
        if (const auto* o = qstyleoption_cast<const QStyleOptionComboBox*>(option)) {
            // The base paints the label of a combo box that is not editable in the palette's
            // Text role rather than in the pen its frame painting leaves set: give the role the
            // same colour.
            const QString key = o->editable ? QStringLiteral("ComboBox.textColor")
                                            : QStringLiteral("ComboBox.notEditable.textColor");
            QStyleOptionComboBox label(*o);
            label.palette.setBrush(QPalette::All, QPalette::Text, QBrush(styleColor(key)));
            return QProxyStyle::drawControl(element, &label, painter, widget);
        }
        break;
    case CE_HeaderSection:
        if (const auto* o = qstyleoption_cast<const QStyleOptionHeader*>(option))
            return drawHeaderSection(o, painter, widget);
        break;
    case CE_ToolBoxTab:
        if (const auto* o = qstyleoption_cast<const QStyleOptionToolBox*>(option))
            return drawToolBoxTab(o, painter, widget);
        break;
    case CE_Splitter:
        if (option)
            return drawSplitter(option, painter, widget);
        break;
    case CE_ScrollBarAddLine:
    case CE_ScrollBarSubLine:
    case CE_ScrollBarSlider:
        if (option)
            return drawScrollBarPart(element, option, painter, widget);
        break;
    case CE_ScrollBarAddPage:
    case CE_ScrollBarSubPage:
        if (option)
            return drawScrollBarPage(element, option, painter, widget);
        break;
    case CE_FocusFrame:
        return;
    case CE_ToolBar:
        if (const auto* o = qstyleoption_cast<const QStyleOptionToolBar*>(option))
            return drawToolBar(o, painter, widget);
        break;
    case CE_ItemViewItem:
        if (const auto* o = qstyleoption_cast<const QStyleOptionViewItem*>(option))
            return drawItemViewItem(o, painter, widget);
        break;
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void KelStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                  QPainter* painter, const QWidget* widget) const
{
    applyEntryOpacity(option, painter, widget);

    switch (control) {
    case CC_SpinBox:
        if (const auto* o = qstyleoption_cast<const QStyleOptionSpinBox*>(option))
            return drawComplexSpinBox(o, painter, widget);
        break;
    case CC_ComboBox:
        if (const auto* o = qstyleoption_cast<const QStyleOptionComboBox*>(option))
            return drawComplexComboBox(o, painter, widget);
        break;
    case CC_Slider:
        if (const auto* o = qstyleoption_cast<const QStyleOptionSlider*>(option))
            return drawComplexSlider(o, painter, widget);
        break;
    case CC_ToolButton:
        if (const auto* o = qstyleoption_cast<const QStyleOptionToolButton*>(option))
            return drawComplexToolButton(o, painter, widget);
        break;
    default:
        break;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

#pragma once

// The application style: a proxy over Qt's "Windows" style that paints every standard widget
// from keys of the style store (KelStyleConfig), read at the moment of use.
//
// Where each part lives (all files in src/style/):
//   KelStyle.cpp            construction, corner pixmap, polish, updateParentWidget, the entry
//                           of drawControl and drawComplexControl (opacity rule and dispatch),
//                           the shared static helpers and the two free functions below
//   KelStyleMetrics.cpp     pixelMetric, sizeFromContents, subElementRect, subControlRect,
//                           styleHint and their helpers
//   KelStyleEventFilter.cpp eventFilter and its per-widget handlers
//   KelStylePrimitives.cpp  drawPrimitive and its elements
//   KelStyleButtons.cpp     drawPushButtonBevel, drawToolButtonLabel, drawTabShape, drawTabLabel
//   KelStyleMenus.cpp       drawMenuItem, drawMenuBarItem, drawMenuBarEmptyArea
//   KelStyleViews.cpp       drawHeaderSection, drawToolBoxTab, drawToolBar, drawSplitter,
//                           drawScrollBarPart, drawScrollBarPage, drawItemViewItem
//   KelStyleComplex.cpp     drawComplexSpinBox, drawComplexComboBox, drawComplexSlider,
//                           drawComplexToolButton
//
// Contract between the entry points and the element painters:
// - drawControl / drawComplexControl set the painter's opacity (1.0 when the option is enabled
//   or the widget is a QMenu, else 0.5; never restored) before calling a painter below; the
//   painters do not apply that rule again.
// - The entry casts the option to the type named in each painter's signature; an option of
//   another type never reaches the painter, it goes to the base style instead.
// - CE_FocusFrame paints nothing and is handled by the entry itself.
// - Anything handed on goes to the base style through QProxyStyle (for example
//   QProxyStyle::drawControl); nested elements go through proxy()->... so they take this
//   style's look (and its opacity rule) again.
// - CE_ToolBar's body gradient: with w = option width + widget x - 6, computed in double, the
//   middle of three stops moves to 1 - 2 / w only when w > 2 (a tool bar still being laid out
//   otherwise keeps the stored stop).

#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>

#include <QMenuBar>
#include <QTabBar>
#include <QToolButton>

class QDialog;
class QDockWidget;
class QHeaderView;
class QLinearGradient;
class QListView;
class QMainWindow;
class QMenu;
class QMouseEvent;
class QToolBar;

class KelStyle : public QProxyStyle
{
    Q_OBJECT
    Q_PROPERTY(QPixmap cornerPixmap READ cornerPixmap WRITE setCornerPixmap)

public:
    // Over a fresh "Windows" style, which this style owns; the corner pixmap comes from the
    // style key "drummetMenubar".
    KelStyle();
    ~KelStyle() override;

    QPixmap cornerPixmap() const;
    // Widgets polished before keep the sizes computed from the old pixmap.
    void setCornerPixmap(const QPixmap& pixmap);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // The other polish and unpolish operations are QProxyStyle's, which hand on to the base.
    using QProxyStyle::polish;
    void polish(QWidget* widget) override;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

private slots:
    // Repaints the sending widget's parent and its window (splitter moves).
    void updateParentWidget();

private:
    // --- shared helpers (KelStyle.cpp); every lookup goes to the store each time ---
    static QColor styleColor(const QString& key);
    static QPen stylePen(const QString& key);
    static QPixmap stylePixmap(const QString& key);
    // The stored gradient's colour stops between the given start and final stop.
    static QLinearGradient styleGradient(const QString& key, const QPointF& start,
                                         const QPointF& finalStop);
    // Text that begins with "{" and ends with "}".
    static bool isRollOutText(const QString& text);
    // The widget's parent carries "addTabButtonVisible" with a true value.
    static bool showsAddTabButton(const QWidget* tabBar);
    // A tab option in position End or OnlyOneTab; false for any other option.
    static bool isLastTab(const QStyleOption* option);
    // Opacity 1.0 for an enabled option or a widget that is a QMenu, else 0.5.
    static void applyEntryOpacity(const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget);
    // The pointer position in the widget's coordinates (global without a widget).
    static QPoint cursorPosIn(const QWidget* widget);
    static void setPaletteRole(QPalette& palette, QPalette::ColorRole role, const QString& key,
                               QPalette::ColorGroup group = QPalette::All);

    // --- polish (KelStyle.cpp) ---
    void setUpMainWindow(QMainWindow* window);
    void setUpLeftToolBar(QToolBar* toolBar);

    // --- metrics (KelStyleMetrics.cpp) ---
    int menuBarVerticalMargin(const QMenuBar* menuBar) const;
    QSize menuBarItemSize(const QStyleOptionMenuItem* option, const QSize& size,
                          const QWidget* widget) const;
    QSize toolButtonSize(const QStyleOptionToolButton* option, const QSize& size,
                         const QWidget* widget) const;
    QRect tabCloseButtonRect(const QStyleOptionTab* option, const QWidget* widget) const;

    // --- event filter (KelStyleEventFilter.cpp) ---
    void placeRollOutMenu(QMenu* menu) const;
    bool openColumnMenu(QHeaderView* header, QMouseEvent* event);
    void paintIconModeBackground(QWidget* viewport, const QListView* list) const;
    void paintToolBoxPage(QWidget* page) const;
    bool handleAddTabEvent(QTabBar* tabBar, QEvent* event);
    void handleDialogEvent(QDialog* dialog, QEvent* event) const;
    void handleDockWidgetEvent(QDockWidget* dock, QEvent* event) const;
    bool handleRollOutButtonEvent(QToolButton* button, QEvent* event);
    void handleHoverRepaint(QWidget* widget, QEvent* event);
    bool handleMenuBarEvent(QMenuBar* bar, QMouseEvent* event);

    // --- primitives (KelStylePrimitives.cpp) ---
    void drawFramePrimitive(const QStyleOptionFrame* option, QPainter* painter,
                            const QWidget* widget) const;
    void drawFrameTabWidget(const QStyleOption* option, QPainter* painter) const;
    void drawPanelButtonTool(const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const;
    void drawPanelLineEdit(const QStyleOption* option, QPainter* painter,
                           const QWidget* widget) const;
    void drawIndicatorBranch(const QStyleOption* option, QPainter* painter) const;
    void drawIndicatorPixmap(PrimitiveElement element, const QStyleOption* option,
                             QPainter* painter) const;
    void drawDockWidgetResizeHandle(const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const;
    void drawHeaderArrow(const QStyleOptionHeader* option, QPainter* painter) const;
    void drawToolBarSeparator(const QStyleOption* option, QPainter* painter) const;
    void drawTabTear(const QStyleOptionTab* option, QPainter* painter,
                     const QWidget* widget) const;
    void drawPanelItemViewItem(const QStyleOptionViewItem* option, QPainter* painter,
                               const QWidget* widget) const;
    void drawTabCloseIndicator(const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const;

    // --- buttons and tabs (KelStyleButtons.cpp) ---
    void drawPushButtonBevel(const QStyleOptionButton* option, QPainter* painter,
                             const QWidget* widget) const;
    void drawToolButtonLabel(const QStyleOptionToolButton* option, QPainter* painter,
                             const QWidget* widget) const;
    void drawTabShape(const QStyleOptionTab* option, QPainter* painter,
                      const QWidget* widget) const;
    void drawTabLabel(const QStyleOptionTab* option, QPainter* painter,
                      const QWidget* widget) const;

    // --- menus and menu bar (KelStyleMenus.cpp) ---
    void drawMenuItem(const QStyleOptionMenuItem* option, QPainter* painter,
                      const QWidget* widget) const;
    void drawMenuBarItem(const QStyleOptionMenuItem* option, QPainter* painter,
                         const QWidget* widget) const;
    // Also reached with a tool-bar option (tool bars not docked at the left).
    void drawMenuBarEmptyArea(const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const;

    // --- headers, tool boxes, tool bars, splitters, scroll bars, item views (KelStyleViews.cpp) ---
    void drawHeaderSection(const QStyleOptionHeader* option, QPainter* painter,
                           const QWidget* widget) const;
    void drawToolBoxTab(const QStyleOptionToolBox* option, QPainter* painter,
                        const QWidget* widget) const;
    void drawToolBar(const QStyleOptionToolBar* option, QPainter* painter,
                     const QWidget* widget) const;
    void drawSplitter(const QStyleOption* option, QPainter* painter,
                      const QWidget* widget) const;
    // CE_ScrollBarAddLine, CE_ScrollBarSubLine and CE_ScrollBarSlider.
    void drawScrollBarPart(ControlElement element, const QStyleOption* option,
                           QPainter* painter, const QWidget* widget) const;
    // CE_ScrollBarAddPage and CE_ScrollBarSubPage.
    void drawScrollBarPage(ControlElement element, const QStyleOption* option,
                           QPainter* painter, const QWidget* widget) const;
    void drawItemViewItem(const QStyleOptionViewItem* option, QPainter* painter,
                          const QWidget* widget) const;

    // --- complex controls (KelStyleComplex.cpp) ---
    void drawComplexSpinBox(const QStyleOptionSpinBox* option, QPainter* painter,
                            const QWidget* widget) const;
    void drawComplexComboBox(const QStyleOptionComboBox* option, QPainter* painter,
                             const QWidget* widget) const;
    void drawComplexSlider(const QStyleOptionSlider* option, QPainter* painter,
                           const QWidget* widget) const;
    void drawComplexToolButton(const QStyleOptionToolButton* option, QPainter* painter,
                               const QWidget* widget) const;

    // Interaction state, written by the event filter and read by painting. Guarded pointers:
    // a widget destroyed mid-gesture simply ends it.
    QPointer<QTabBar> m_pressedAddTabBar;
    QPointer<QMenuBar> m_draggedMenuBar;
    QPoint m_dragStartPos;
    // Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint, Qt::WindowCloseButtonHint or 0.
    int m_pressedTitleBarButton = 0;
    QPointer<QToolButton> m_pressedRollOutButton;
    QPixmap m_cornerPixmap;
};

// Whether the first action of the menu bar with exactly this text is followed by a separator;
// false for a null menu bar, an absent text or the last action.
bool actionFollowedBySeparator(const QMenuBar* menuBar, const QString& text);

// The add-tab button's rectangle in tab-bar coordinates: a 24-pixel strip at the right end of
// the last tab, kept clear of visible scroll buttons; null unless the widget is a tab bar whose
// parent shows the button.
QRect addTabButtonRect(const QWidget* widget);

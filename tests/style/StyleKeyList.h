#pragma once

// Every style key the program reads, with the kind of value it reads it as, and the pixel size
// its picture must have where the layout depends on it. "styles.xml" must define all of them.

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

namespace StyleKeyList {

enum class Kind { Color, Pen, Gradient, Font, Size, Pixmap, Bool };

struct Entry
{
    QString key;
    Kind kind;
    QSize pixmapSize = QSize(); // invalid: any size
};

namespace detail {

inline void add(QList<Entry>& list, Kind kind, QStringList const& keys, QSize size = QSize())
{
    for (QString const& key : keys)
        list.append({key, kind, size});
}

// "prefix" + each role.
inline QStringList join(QString const& prefix, QStringList const& roles)
{
    QStringList keys;
    for (QString const& role : roles)
        keys.append(prefix + role);
    return keys;
}

inline void applicationStyle(QList<Entry>& l)
{
    add(l, Kind::Color,
        join(QStringLiteral("AppPalette."),
             {"ToolTip.textColor", "active.darkColor", "active.lightColor", "active.windowColor",
              "scrollareaChild.windowColor", "active.highlightedColor", "active.highlightedTextColor",
              "active.buttonTextColor", "active.windowTextColor", "disabled.windowTextColor",
              "MenuBar.buttonTextColor", "MenuBar.buttonColor", "HeaderView.windowTextColor",
              "HeaderView.buttonTextColor", "ToolBarButton.buttonTextColor", "ToolBarButton.windowTextColor",
              "ToolButton.buttonTextColor", "ToolButton.windowTextColor", "ItemView.baseColor",
              "ItemView.textColor", "ItemView.highlightedTextColor", "SpinBox.textColor",
              "ScrollArea.baseColor", "ScrollArea.textColor", "StatusBar.windowTextColor",
              "StatusBar.disabled.windowTextColor", "Label.windowTextColor", "Label.disabled.windowTextColor",
              "Frame.windowTextColor"}));
    add(l, Kind::Color, {"Table.gridLineColor"});

    // Buttons and tabs.
    add(l, Kind::Gradient,
        {"PushButtonBevel.backgroundGradient", "PushButtonBevel.defaultBackgroundGradient",
         "PushButtonBevel.pressed.backgroundGradient", "PushButtonBevel.pressed.defaultBackgroundGradient"});
    add(l, Kind::Pen, {"PushButtonBevel.focusBorderPen", "PushButtonBevel.borderPen", "PushButtonBevel.defaultBorderPen"});
    add(l, Kind::Color, {"PushButtonBevel.textColor", "PushButtonBevel.defaultTextColor", "ToolButton.stateOn.textColor"});
    add(l, Kind::Pen, {"TabBarTabShape.borderPen", "TabBarTabShape.borderPen2", "TabBarTabShape.borderPen3",
                       "TabBarTabShape.selected.borderPen", "TabBarTabShape.selected.borderPen2",
                       "TabBarTabShape.plusButton.borderPen"});
    add(l, Kind::Gradient,
        {"TabBarTabShape.backgroundGradient", "TabBarTabShape.hovered.backgroundGradient",
         "TabBarTabShape.pressed.backgroundGradient", "TabBarTabShape.selected.borderGradient",
         "TabBarTabShape.selected.backgroundGradient"});
    add(l, Kind::Color, {"TabBarTabShape.selected.cornerColor", "TabBarTabShape.plusButton.regionColor",
                         "TabBarTabShape.plusButton.backgroundColor", "TabBarTabLabel.textColor",
                         "TabBarTabLabel.selected.textColor"});

    // Menus and menu bar.
    add(l, Kind::Color,
        join(QStringLiteral("MenuItem."),
             {"backgroundColor2", "backgroundColor", "selected.backgroundColor", "paletteHighlight", "paletteButton",
              "paletteDark", "paletteLight", "paletteMidlight", "paletteShadow", "paletteHighlightedText",
              "paletteButtonText"}));
    add(l, Kind::Pen, {"MenuItem.separator.borderPen", "MenuBarItem.followedByStepPen1", "MenuBarItem.followedByStepPen2",
                       "MenuBarItem.rollout.borderPen", "MenuBarItem.pressed.borderPen", "MenuBarItem.selected.borderPen",
                       "MenuBarEmptyArea.borderTopPen", "MenuBarEmptyArea.borderBottomPen1",
                       "MenuBarEmptyArea.borderBottomPen2"});
    add(l, Kind::Gradient,
        {"MenuBarItem.rollout.backgroundGradient", "MenuBarItem.rollout.pressed.backgroundGradient",
         "MenuBarItem.pressed.backgroundGradient", "MenuBarItem.selected.backgroundGradient",
         "MenuBarEmptyArea.backgroundGradient"});
    add(l, Kind::Color, {"MenuBarEmptyArea.textColor"});

    // Headers, tool boxes, tool bars, splitters, scroll bars, item views.
    add(l, Kind::Gradient, {"HeaderSection.backgroundGradient", "HeaderSection.backgroundGradient2"});
    add(l, Kind::Pen, {"HeaderSection.borderPen", "HeaderSection.borderLeftPen"});
    add(l, Kind::Pen, {"ToolBoxTab.borderPen", "ToolBoxTab.mouseOver.borderPen", "ToolBoxTab.borderBottomPen",
                       "ToolBoxTab.mouseOver.borderBottomPen", "ToolBoxTab.borderRightPen"});
    add(l, Kind::Gradient, {"ToolBoxTab.backgroundGradient", "ToolBoxTab.mouseOver.backgroundGradient"});
    add(l, Kind::Color, {"ToolBoxTab.textColor", "ToolBoxTab.mouseOver.textColor"});
    add(l, Kind::Color, {"ToolBar.backgroundColor"});
    add(l, Kind::Gradient, {"ToolBar.backgroundGradient", "ToolBar.backgroundGradient2"});
    add(l, Kind::Pen, {"ToolBar.borderPen", "ToolBar.borderPen2"});
    add(l, Kind::Pen, {"Splitter.borderPen"});
    add(l, Kind::Color, {"Splitter.backgroundColor", "Splitter.horizontalSeparator", "Splitter.verticalSeparator"});
    for (QString const& part : {QStringLiteral("ScrollBarAddLine"), QStringLiteral("ScrollBarSubLine"),
                                QStringLiteral("ScrollBarSlider")}) {
        add(l, Kind::Color,
            join(part + QLatin1Char('.'),
                 {"backgroundColor", "backgroundColor2", "mouseOver.backgroundColor2", "pressed.backgroundColor2"}));
        add(l, Kind::Pen, {part + QStringLiteral(".borderPen")});
    }
    add(l, Kind::Color, {"ScrollBarAddPage.backgroundColor", "ScrollBarSubPage.backgroundColor", "ItemViewItem.textColor"});
    add(l, Kind::Gradient, {"ListView.backgroundGradient"});
    add(l, Kind::Pen, {"ToolBox.borderPen", "ToolBox.borderPen2"});
    add(l, Kind::Gradient, {"ToolBox.backgroundGradient"});

    // Frames of dialogs and docks.
    add(l, Kind::Color, {"Dialog.borderColor", "Dialog.borderColor2", "DockWidget.floating.borderColor",
                         "DockWidget.floating.borderColor2", "DockWidget.borderColor"});
    add(l, Kind::Gradient, {"DockWidget.backgroundGradient"});

    // Primitives.
    add(l, Kind::Color,
        {"FrameMenu.backgroundColor", "FrameTabBarBase.backgroundColor", "PanelMenu.backgroundColor",
         "Frame.backgroundColor", "FrameTabWidget.backgroundColor", "FrameTabWidget.borderLeftColor",
         "FrameTabWidget.borderTopColor", "FrameTabWidget.borderBottomColor", "FrameTabWidget.borderRightColor",
         "FrameTabWidget.topBackgroundColor", "FrameTabWidget.borderTopColor2", "PanelButtonTool.backgroundColor",
         "PanelButtonTool.stateMouseOver.backgroundColor", "PanelButtonTool.stateOn.backgroundColor",
         "PanelLineEdit.backgroundColor", "IndicatorDockWidgetResizeHandle.backgroundColor",
         "IndicatorTabTear.selectedColor", "IndicatorTabTear.notSelectedColor"});
    add(l, Kind::Gradient,
        {"FrameTabWidget.topBackgroundGradient", "PanelItemViewItem.iconMode.backgroundGradient",
         "PanelItemViewItem.iconMode.decorationBackgroundGradient",
         "PanelItemViewItem.selectedAndSorted.backgroundGradient",
         "PanelItemViewItem.notSelectedAndSorted.backgroundGradient"});
    add(l, Kind::Pen,
        {"Frame.borderPen", "PanelButtonTool.stateMouseOver.borderPen", "PanelButtonTool.stateOn.borderPen",
         "PanelLineEdit.hasFocus.borderPen", "PanelLineEdit.borderPen", "PanelLineEdit.borderPen2",
         "IndicatorDockWidgetResizeHandle.borderPen", "IndicatorToolBarSeparator.pen1",
         "IndicatorToolBarSeparator.pen2", "PanelStatusBar.borderTopPen",
         "PanelItemViewItem.iconMode.textRoundedBorderPen", "PanelItemViewItem.iconMode.decorationRoundedBorderPen",
         "PanelItemViewItem.selectedAndSorted.borderPen", "PanelItemViewItem.notSelectedAndSorted.borderPen"});

    // Complex controls.
    add(l, Kind::Pen, {"SpinBox.hasFocus.borderPen", "SpinBox.borderPen", "SpinBox.borderPen2",
                       "ComboBox.hasFocus.borderPen", "ComboBox.borderPen", "ComboBox.borderPen2",
                       "ToolButton.pressed.borderPen", "ToolButton.borderPen"});
    add(l, Kind::Gradient,
        {"SpinBox.stateOn.arrowsBackgroundGradient", "SpinBox.arrowsBackgroundGradient",
         "ComboBox.stateOn.backgroundGradient", "ComboBox.backgroundGradient",
         "ToolButton.pressed.backgroundGradient", "ToolButton.backgroundGradient"});
    add(l, Kind::Color,
        {"SpinBox.backgroundColor", "SpinBox.arrowUpColor", "SpinBox.arrowUpDisabledColor", "SpinBox.arrowDownColor",
         "SpinBox.arrowDownDisabledColor", "ComboBox.hasFocus.backgroundColor", "ComboBox.arrowColor",
         "ComboBox.arrowDisabledColor", "ComboBox.notEditable.textColor", "ComboBox.textColor"});
    for (QString const& prefix : {QStringLiteral("Slider."), QStringLiteral("Slider.hasFocus.")})
        add(l, Kind::Color, join(prefix, {"color1", "color2", "color3", "color4"}));
}

inline void applicationStylePictures(QList<Entry>& l)
{
    const QSize indicator(13, 13);
    for (QString const& check : {QStringLiteral("Checked"), QStringLiteral("Unchecked")}) {
        // Menus add "Highlighted"; the indicators "Hover" and "Selected".
        for (QString const& state : {QStringLiteral("Default"), QStringLiteral("Hover"), QStringLiteral("Selected"),
                                     QStringLiteral("Highlighted")})
            add(l, Kind::Pixmap, {QStringLiteral("checkbox") + check + state}, indicator);
        for (QString const& state : {QStringLiteral("Default"), QStringLiteral("Hover"), QStringLiteral("Selected")})
            add(l, Kind::Pixmap, {QStringLiteral("radiobutton") + check + state}, indicator);
    }
    for (QString const& state : {QStringLiteral("Normal"), QStringLiteral("Hover"), QStringLiteral("Selected")}) {
        add(l, Kind::Pixmap, {QStringLiteral("sliderHandleHorizontal") + state}, QSize(11, 18));
        add(l, Kind::Pixmap, {QStringLiteral("sliderHandleVertical") + state}, QSize(18, 11));
    }
    add(l, Kind::Pixmap, {"arrowDown", "arrowRight", "arrowLeft"}, QSize(9, 9));
    add(l, Kind::Pixmap, {"scrollbarArrowRight", "scrollbarArrowLeft", "scrollbarArrowDown", "scrollbarArrowUp"},
        QSize(16, 16));
    add(l, Kind::Pixmap,
        {"titleBarButtonNormal", "titleBarButtonHover", "titleBarButtonPressed", "titleBarMinimize",
         "titleBarMaximize", "titleBarClose", "titleBarHelp"},
        QSize(16, 16));
    add(l, Kind::Pixmap, {"doubleArrowRight", "doubleArrowLeft"}, QSize(9, 9));
    add(l, Kind::Pixmap, {"cursorSizeAll"});
    // The corner logo: the style's own, replaced at start-up by the application's.
    add(l, Kind::Pixmap, {"drummetMenubar", "ApplicationLogo"}, QSize(30, 24));
}

inline void toolkit(QList<Entry>& l)
{
    add(l, Kind::Size, {"KelColorField.sizeHint", "KelDocumentEditor.sizeHint", "KelDocumentEditor.minimumSizeHint",
                        "KelDocumentEditorTitleBar.sizeHint", "KelTitleBar.sizeHint", "KelMaterialBrowser.iconSize"});
    add(l, Kind::Pen, {"KelColorField.colorHasFocus", "KelColorField.colorEnabled", "KelColorField.colorDisabled",
                       "KelDocumentEditor.borderPen", "KelDocumentEditor.borderPen2",
                       "KelDocumentEditorTitleBar.borderTopPen", "KelDocumentEditorTitleBar.borderBottomPen",
                       "KelTitleBar.borderTopPen", "KelTitleBar.borderBottomPen", "KelToolBox.borderPen",
                       "KelParamTitle.borderColor2"});
    add(l, Kind::Gradient, {"KelDocumentEditorTitleBar.backgroundGradient", "KelTitleBar.backgroundGradient",
                            "DockWidgetTitleBar.floating.backgroundGradient", "DockWidgetTitleBar.backgroundGradient",
                            "TwPseudoDockWidget.backgroundGradient", "KelParamTitle.backgroundGradient"});
    add(l, Kind::Color,
        {"KelToolBox.backgroundColor", "KelScriptEditor.lineHighlightColor", "KelScriptEditor.windowColor",
         "KelScriptEditor.textColor", "KelScriptEditor.highlightedTextColor", "DockWidgetTitleBar.floating.fontColor",
         "DockWidgetTitleBar.backgroundColor", "DockWidgetTitleBar.bottomBorderColor",
         "DockWidgetTitleBar.bottomBorderColor2", "DockWidgetTitleBar.fontColor", "TwPseudoDockWidget.backgroundColor",
         "TwPseudoDockWidget.bottomBorderColor", "TwPseudoDockWidget.bottomBorderColor2", "TwPseudoDockWidget.fontColor",
         "KelParamTitle.borderColor", "KelParamTitle.fontColor"});
}

inline void nodeEditor(QList<Entry>& l)
{
    add(l, Kind::Bool, {"ConnectingLineAntialiasingFlag"});
    add(l, Kind::Color, {"KelNodeGraphView.backgroundColor", "KelNode.backgroundColor", "KelNode.titleColor",
                         "KelNode.terminals.backgroundColor", "KelNode.terminals.textColor"});
    add(l, Kind::Pen, {"KelNodeGraphView.gridPen", "KelNodeConnection.connectionPen", "KelNode.borderPen",
                       "KelNode.borderPen2"});
    add(l, Kind::Pen,
        join(QStringLiteral("KelNode.terminals."),
             {"borderLeftPen", "borderLeftPen2", "borderTopPen", "borderTopPen2", "borderRightPen2", "borderBottomPen",
              "borderBottomPen2"}));
    add(l, Kind::Pen,
        join(QStringLiteral("KelNode.preview."),
             {"borderLeftPen", "borderRightPen", "borderBottomPen", "innerBorderPen", "innerBorderPen2"}));
    add(l, Kind::Gradient, {"KelNode.preview.backgroundGradient"});
    add(l, Kind::Font, {"KelNode.nameFont", "KelTimeline.timelineFont"});
    add(l, Kind::Pixmap, {"nodeTerminalsNotExpanded", "nodePreviewNotExpanded"}, QSize(7, 10));
    add(l, Kind::Pixmap, {"nodeTerminalsExpanded"}, QSize(10, 7));
    add(l, Kind::Pixmap,
        {"nodeTerminalNotConnected", "nodeTerminalTempConnected", "nodeTerminalConnected",
         "nodeConnectionIndicatorOff", "nodeConnectionIndicatorOn"},
        QSize(10, 10));

    add(l, Kind::Color, {"KelTimeline.fillColor", "KelTimeline.keyMarkerColor", "KelTimeline.currentFrameColor",
                         "KelTimeline.markerBackgroundColor", "KelTimeline.currentFrameHiddenBorderColor"});
    add(l, Kind::Pen, {"KelTimeline.borderPen", "KelTimeline.borderPen2", "KelTimeline.frameLinePen",
                       "KelTimeline.textPen", "KelTimeline.textMovebarPen"});
    // Icons of the 21 x 21 timeline buttons.
    add(l, Kind::Pixmap,
        {"timelineAutoAnimation", "timelineAddKeyframe", "timelineRemoveKeyframe", "timelineDuration",
         "timelineGotoStart", "timelineGotoPrevKey", "timelinePlayBackward", "timelineStop", "timelinePlayForward",
         "timelineGotoNextKey", "timelineGotoEnd", "timelinePlayLoop", "timelinePlayPingPong", "timelinePlayOnce"},
        QSize(16, 16));
    // The move bar: the caps and the middle share one height, which fits inside the track.
    add(l, Kind::Pixmap, {"timelineMovebarBackground"}, QSize(8, 12));
    add(l, Kind::Pixmap, {"timelineLeftScalebar", "timelineRightScalebar"}, QSize(6, 10));
    add(l, Kind::Pixmap, {"timelineMovebar"}, QSize(8, 10));
}

inline void application(QList<Entry>& l)
{
    // Start-up, splash, template icons, About and Welcome screens.
    add(l, Kind::Pixmap, {"splash"});
    add(l, Kind::Pixmap, {"preview"}, QSize(150, 100));
    add(l, Kind::Pixmap, {"icon"}, QSize(256, 256));
    add(l, Kind::Pixmap, {"welcome_screen"}, QSize(604, 200));
    // Main window tool bar, icon size 28 x 28.
    add(l, Kind::Pixmap,
        {"undo", "redo", "open", "save", "saveas", "preferences", "showbrowser", "saveImage", "saveSequence"},
        QSize(28, 28));
    // Template editor and template list.
    add(l, Kind::Pixmap, {"temp_save", "upload", "temp_add", "templatesaved", "templatenotsaved"}, QSize(24, 24));
    // Project browser (icon size 20 x 20) and node panel.
    add(l, Kind::Pixmap, {"visible", "invisible", "add", "delete", "download"}, QSize(20, 20));
    add(l, Kind::Pixmap, {"nodeColorClose", "nodeColor1", "nodeColor2", "nodeColor3", "nodeColor4", "nodeColor5"},
        QSize(16, 16));
    // Image browser, places (icon size 20 x 20) and help viewer.
    add(l, Kind::Pixmap,
        {"forward_arrow", "back_arrow", "up_arrow", "mode_list_view", "mode_thumb_view", "home_folder_icon",
         "folder_icon", "desktop_icon", "documents_icon", "usb_stick_icon", "dvd_disk_icon", "backward", "forward"},
        QSize(20, 20));
    add(l, Kind::Pixmap, {"folder_vyx"});
}

} // namespace detail

inline QList<Entry> entries()
{
    QList<Entry> list;
    detail::applicationStyle(list);
    detail::applicationStylePictures(list);
    detail::toolkit(list);
    detail::nodeEditor(list);
    detail::application(list);
    return list;
}

inline QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Color: return QStringLiteral("colour");
    case Kind::Pen: return QStringLiteral("pen");
    case Kind::Gradient: return QStringLiteral("gradient");
    case Kind::Font: return QStringLiteral("font");
    case Kind::Size: return QStringLiteral("size");
    case Kind::Pixmap: return QStringLiteral("pixmap");
    case Kind::Bool: return QStringLiteral("flag");
    }
    return QString();
}

} // namespace StyleKeyList

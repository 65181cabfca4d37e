// The theme of "styles.xml": readable text, neutral large areas, one accent, gentle gradients.

#include "RealStyleFile.h"
#include "StyleKeyList.h"

#include "style/KelStyleConfig.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPalette>
#include <QPen>
#include <QPixmap>
#include <QToolTip>

#include <cmath>

namespace {

using StyleKeyList::Entry;
using StyleKeyList::Kind;

// Relative luminance of an sRGB colour.
double luminance(QColor const& c)
{
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

double contrast(QColor const& a, QColor const& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colours a key paints with: a colour, a pen's colour, or every stop of a gradient. A text
// starting with "#" is a fixed colour of the painting code rather than a key.
QList<QColor> coloursOf(QString const& key)
{
    if (key.startsWith(QLatin1Char('#')))
        return {QColor(key)};
    const QVariant value = RealStyleFile::raw(key);
    if (value.metaType() == QMetaType::fromType<QColor>())
        return {value.value<QColor>()};
    if (value.metaType() == QMetaType::fromType<QPen>())
        return {value.value<QPen>().color()};
    if (value.metaType() == KelStyleConfig::gradientMetaType()) {
        QList<QColor> colours;
        for (QGradientStop const& stop : KelStyleConfig::instance()->value<QLinearGradient>(key).stops())
            colours.append(stop.second);
        return colours;
    }
    return {};
}

bool isNeutral(QColor const& c)
{
    return c.red() == c.green() && c.green() == c.blue();
}

QString describe(QColor const& c)
{
    return c.name(QColor::HexArgb);
}

struct TextPair
{
    const char* text;
    QStringList backgrounds;
};

// Each text colour with every background it is painted on.
QList<TextPair> textPairs()
{
    const QStringList window = {"AppPalette.active.windowColor", "AppPalette.scrollareaChild.windowColor"};
    const QStringList menuBar = {"MenuBarEmptyArea.backgroundGradient", "MenuBarItem.selected.backgroundGradient",
                                 "MenuBarItem.pressed.backgroundGradient", "MenuBarItem.rollout.backgroundGradient",
                                 "MenuBarItem.rollout.pressed.backgroundGradient"};
    const QStringList toolBar = menuBar
        + QStringList{"ToolBar.backgroundGradient2", "PanelButtonTool.stateOn.backgroundColor"};
    const QStringList toolButton = {"AppPalette.active.windowColor", "ToolButton.backgroundGradient",
                                    "ToolButton.pressed.backgroundGradient", "PanelButtonTool.stateOn.backgroundColor",
                                    "KelTitleBar.backgroundGradient"};
    const QStringList header = {"HeaderSection.backgroundGradient", "HeaderSection.backgroundGradient2"};
    return {
        {"AppPalette.active.windowTextColor", window},
        {"AppPalette.disabled.windowTextColor", window},
        {"AppPalette.active.buttonTextColor", {"AppPalette.active.windowColor", "PushButtonBevel.backgroundGradient"}},
        {"AppPalette.active.highlightedTextColor", {"AppPalette.active.highlightedColor"}},
        {"AppPalette.MenuBar.buttonTextColor", menuBar},
        {"MenuBarEmptyArea.textColor", {"MenuBarEmptyArea.backgroundGradient"}},
        {"AppPalette.HeaderView.windowTextColor", header},
        {"AppPalette.HeaderView.buttonTextColor", header},
        {"AppPalette.ToolBarButton.buttonTextColor", toolBar},
        {"AppPalette.ToolBarButton.windowTextColor", toolBar},
        {"AppPalette.ToolButton.buttonTextColor", toolButton},
        {"AppPalette.ToolButton.windowTextColor", toolButton},
        {"ToolButton.stateOn.textColor",
         {"PanelButtonTool.stateMouseOver.backgroundColor", "PanelButtonTool.stateOn.backgroundColor",
          "ToolButton.backgroundGradient", "ToolButton.pressed.backgroundGradient"}},
        {"AppPalette.ItemView.textColor",
         {"AppPalette.ItemView.baseColor", "PanelItemViewItem.notSelectedAndSorted.backgroundGradient"}},
        {"AppPalette.ItemView.highlightedTextColor",
         {"PanelItemViewItem.selectedAndSorted.backgroundGradient", "AppPalette.active.highlightedColor"}},
        {"ItemViewItem.textColor", {"PanelItemViewItem.iconMode.backgroundGradient"}},
        {"AppPalette.SpinBox.textColor", {"SpinBox.backgroundColor"}},
        {"AppPalette.ScrollArea.textColor",
         {"AppPalette.ScrollArea.baseColor", "PanelLineEdit.backgroundColor", "KelScriptEditor.lineHighlightColor"}},
        {"AppPalette.StatusBar.windowTextColor", window},
        {"AppPalette.StatusBar.disabled.windowTextColor", window},
        {"AppPalette.Label.windowTextColor", window},
        {"AppPalette.Label.disabled.windowTextColor", window},
        {"AppPalette.Frame.windowTextColor", window},
        {"ComboBox.notEditable.textColor", {"ComboBox.backgroundGradient", "ComboBox.stateOn.backgroundGradient"}},
        // The editable field is always (28, 28, 28).
        {"ComboBox.textColor", {"#1c1c1c"}},
        {"MenuItem.paletteButtonText",
         {"MenuItem.backgroundColor", "MenuItem.paletteButton", "MenuItem.backgroundColor2", "PanelMenu.backgroundColor"}},
        {"MenuItem.paletteHighlightedText", {"MenuItem.selected.backgroundColor", "MenuItem.paletteHighlight"}},
        {"TabBarTabLabel.textColor",
         {"TabBarTabShape.backgroundGradient", "TabBarTabShape.hovered.backgroundGradient",
          "TabBarTabShape.pressed.backgroundGradient"}},
        {"TabBarTabLabel.selected.textColor", {"TabBarTabShape.selected.borderGradient"}},
        {"PushButtonBevel.textColor", {"PushButtonBevel.backgroundGradient", "PushButtonBevel.pressed.backgroundGradient"}},
        {"PushButtonBevel.defaultTextColor",
         {"PushButtonBevel.defaultBackgroundGradient", "PushButtonBevel.pressed.defaultBackgroundGradient"}},
        {"ToolBoxTab.textColor", {"ToolBoxTab.backgroundGradient"}},
        {"ToolBoxTab.mouseOver.textColor", {"ToolBoxTab.mouseOver.backgroundGradient"}},
        {"KelNode.titleColor", {"KelNode.backgroundColor"}},
        {"KelNode.terminals.textColor", {"KelNode.terminals.backgroundColor"}},
        {"KelTimeline.textPen", {"KelTimeline.fillColor"}},
        {"KelTimeline.currentFrameColor", {"KelTimeline.markerBackgroundColor"}},
        {"KelTimeline.keyMarkerColor", {"KelTimeline.markerBackgroundColor"}},
        {"KelScriptEditor.textColor", {"KelScriptEditor.windowColor"}},
        {"KelScriptEditor.highlightedTextColor", {"KelScriptEditor.windowColor"}},
        {"DockWidgetTitleBar.fontColor", {"DockWidgetTitleBar.backgroundGradient", "DockWidgetTitleBar.backgroundColor"}},
        {"DockWidgetTitleBar.floating.fontColor", {"DockWidgetTitleBar.floating.backgroundGradient"}},
        {"TwPseudoDockWidget.fontColor", {"TwPseudoDockWidget.backgroundGradient", "TwPseudoDockWidget.backgroundColor"}},
        {"KelParamTitle.fontColor", {"KelParamTitle.backgroundGradient", "KelParamTitle.borderColor"}},
    };
}

// Keys that fill large areas: windows, views, panels, bars and their gradients.
QStringList largeAreas()
{
    return {
        "AppPalette.active.windowColor", "AppPalette.scrollareaChild.windowColor", "AppPalette.active.darkColor",
        "AppPalette.active.lightColor", "AppPalette.ItemView.baseColor", "AppPalette.ScrollArea.baseColor",
        "MenuItem.backgroundColor", "MenuItem.backgroundColor2", "MenuItem.paletteButton", "PanelMenu.backgroundColor",
        "FrameMenu.backgroundColor", "Frame.backgroundColor", "MenuBarEmptyArea.backgroundGradient",
        "ToolBar.backgroundColor", "ToolBar.backgroundGradient", "ToolBar.backgroundGradient2",
        "FrameTabWidget.backgroundColor", "FrameTabWidget.topBackgroundColor", "FrameTabWidget.topBackgroundGradient",
        "FrameTabBarBase.backgroundColor", "TabBarTabShape.backgroundGradient", "TabBarTabShape.selected.borderGradient",
        "HeaderSection.backgroundGradient", "HeaderSection.backgroundGradient2", "ToolBoxTab.backgroundGradient",
        "ToolBox.backgroundGradient", "KelToolBox.backgroundColor", "PanelLineEdit.backgroundColor",
        "SpinBox.backgroundColor", "SpinBox.arrowsBackgroundGradient", "ComboBox.backgroundGradient",
        "PushButtonBevel.backgroundGradient", "PushButtonBevel.defaultBackgroundGradient", "Splitter.backgroundColor",
        "IndicatorDockWidgetResizeHandle.backgroundColor", "ScrollBarAddLine.backgroundColor",
        "ScrollBarSubLine.backgroundColor", "ScrollBarSlider.backgroundColor", "ScrollBarAddPage.backgroundColor",
        "ScrollBarSubPage.backgroundColor", "ListView.backgroundGradient",
        "PanelItemViewItem.notSelectedAndSorted.backgroundGradient", "DockWidget.backgroundGradient",
        "KelTitleBar.backgroundGradient", "KelDocumentEditorTitleBar.backgroundGradient",
        "DockWidgetTitleBar.backgroundColor", "DockWidgetTitleBar.backgroundGradient",
        "DockWidgetTitleBar.floating.backgroundGradient", "TwPseudoDockWidget.backgroundColor",
        "TwPseudoDockWidget.backgroundGradient", "KelParamTitle.borderColor", "KelParamTitle.backgroundGradient",
        "KelNodeGraphView.backgroundColor", "KelNode.backgroundColor", "KelNode.terminals.backgroundColor",
        "KelNode.preview.backgroundGradient", "KelTimeline.fillColor", "KelScriptEditor.windowColor",
        "KelScriptEditor.lineHighlightColor",
    };
}

// Every colour-bearing key the program reads: colours, pens and gradients.
QStringList paintingKeys()
{
    QStringList keys;
    for (Entry const& entry : StyleKeyList::entries()) {
        if (entry.kind == Kind::Color || entry.kind == Kind::Pen || entry.kind == Kind::Gradient)
            keys.append(entry.key);
    }
    return keys;
}

class ThemeContrastTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_loaded = RealStyleFile::load(&s_errorText); }
    static void TearDownTestSuite() { KelStyleConfig::instance()->clear(); }

    void SetUp() override { ASSERT_TRUE(s_loaded) << qPrintable(s_errorText); }

    static inline bool s_loaded = false;
    static inline QString s_errorText;
};

constexpr double MIN_TEXT_CONTRAST = 4.5;

TEST_F(ThemeContrastTest, EveryTextColourIsReadableOnWhatItIsPaintedOn)
{
    QStringList failures;
    int checked = 0;
    for (TextPair const& pair : textPairs()) {
        const QList<QColor> texts = coloursOf(QString::fromLatin1(pair.text));
        ASSERT_EQ(texts.size(), 1) << pair.text;
        const QColor text = texts.first();
        EXPECT_EQ(text.alpha(), 255) << pair.text;
        for (QString const& background : pair.backgrounds) {
            const QList<QColor> colours = coloursOf(background);
            EXPECT_FALSE(colours.isEmpty()) << pair.text << " on " << qPrintable(background);
            for (QColor const& colour : colours) {
                EXPECT_EQ(colour.alpha(), 255) << qPrintable(background) << " is a text background";
                ++checked;
                const double ratio = contrast(text, colour);
                if (ratio < MIN_TEXT_CONTRAST) {
                    failures.append(QStringLiteral("%1 %2 on %3 %4: %5")
                                        .arg(QString::fromLatin1(pair.text), describe(text), background,
                                             describe(colour))
                                        .arg(ratio, 0, 'f', 2));
                }
            }
        }
    }
    EXPECT_GT(checked, 80);
    EXPECT_TRUE(failures.isEmpty()) << qPrintable(failures.join(QLatin1Char('\n')));
}

TEST_F(ThemeContrastTest, ToolTipTextIsReadableOnTheTipColourTheStyleLeavesAlone)
{
    const QColor text = KelStyleConfig::instance()->value<QColor>(QStringLiteral("AppPalette.ToolTip.textColor"));
    const QColor base = QToolTip::palette().color(QPalette::Active, QPalette::ToolTipBase);
    EXPECT_GE(contrast(text, base), MIN_TEXT_CONTRAST) << qPrintable(describe(text)) << " on "
                                                       << qPrintable(describe(base));
}

TEST_F(ThemeContrastTest, MoveBarNumbersAreReadableOnTheMoveBar)
{
    const QColor text = KelStyleConfig::instance()->value<QPen>(QStringLiteral("KelTimeline.textMovebarPen")).color();
    const QImage bar = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("timelineMovebar")).toImage();
    ASSERT_FALSE(bar.isNull());
    // The numbers run across the middle rows of the bar's picture.
    for (int y = 2; y < bar.height() - 2; ++y) {
        const QColor under = QColor::fromRgb(bar.pixel(bar.width() / 2, y));
        EXPECT_GE(contrast(text, under), MIN_TEXT_CONTRAST) << "row " << y << ": " << qPrintable(describe(under));
    }
}

TEST_F(ThemeContrastTest, LargeAreasAreNeutralGreys)
{
    QStringList coloured;
    for (QString const& key : largeAreas()) {
        const QList<QColor> colours = coloursOf(key);
        EXPECT_FALSE(colours.isEmpty()) << qPrintable(key);
        for (QColor const& colour : colours) {
            if (!isNeutral(colour) || colour.alpha() != 255)
                coloured.append(key + QStringLiteral(" ") + describe(colour));
        }
    }
    EXPECT_TRUE(coloured.isEmpty()) << qPrintable(coloured.join(QLatin1Char('\n')));
}

TEST_F(ThemeContrastTest, OneAccentMarksSelectionAndFocus)
{
    const QColor accent = KelStyleConfig::instance()->value<QColor>(QStringLiteral("AppPalette.active.highlightedColor"));
    ASSERT_FALSE(isNeutral(accent));
    const float accentHue = accent.hsvHueF();
    QStringList strays;
    for (QString const& key : paintingKeys()) {
        for (QColor const& colour : coloursOf(key)) {
            if (isNeutral(colour))
                continue;
            if (std::abs(colour.hsvHueF() - accentHue) > 4.0f / 360.0f)
                strays.append(key + QStringLiteral(" ") + describe(colour));
        }
    }
    EXPECT_TRUE(strays.isEmpty()) << qPrintable(strays.join(QLatin1Char('\n')));

    // Selection and focus do carry it.
    for (QString const& key :
         {QStringLiteral("MenuItem.selected.backgroundColor"), QStringLiteral("PanelItemViewItem.selectedAndSorted.backgroundGradient"),
          QStringLiteral("PanelLineEdit.hasFocus.borderPen"), QStringLiteral("PushButtonBevel.focusBorderPen"),
          QStringLiteral("SpinBox.hasFocus.borderPen"), QStringLiteral("ComboBox.hasFocus.borderPen"),
          QStringLiteral("KelColorField.colorHasFocus"), QStringLiteral("KelNode.borderPen")}) {
        for (QColor const& colour : coloursOf(key))
            EXPECT_FALSE(isNeutral(colour)) << qPrintable(key);
    }
}

TEST_F(ThemeContrastTest, GradientsChangeByAFewPercent)
{
    QStringList steep;
    for (Entry const& entry : StyleKeyList::entries()) {
        if (entry.kind != Kind::Gradient)
            continue;
        const QList<QColor> stops = coloursOf(entry.key);
        for (QColor const& a : stops) {
            for (QColor const& b : stops) {
                const int step = std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                           std::abs(a.blue() - b.blue())});
                // 16 levels of 255: about 6 %.
                if (step > 16)
                    steep.append(entry.key + QStringLiteral(": ") + describe(a) + QStringLiteral(" to ") + describe(b));
            }
        }
    }
    EXPECT_TRUE(steep.isEmpty()) << qPrintable(steep.join(QLatin1Char('\n')));
}

} // namespace

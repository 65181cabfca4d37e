#include "KelStylePaintSupport.h"

#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QToolBar>
#include <QToolButton>

using namespace KelStyleTest;
using namespace KelStylePaint;

namespace {

const QColor kBorder(200, 0, 0);
const QColor kBorder2(0, 200, 0);
const QColor kFocus(0, 0, 200);
const QColor kButtons(100, 100, 0);
const QColor kButtonsOn(0, 100, 100);
const QColor kField(90, 90, 90);

class KelStyleSpinBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addPen(QStringLiteral("SpinBox.borderPen"), kBorder);
        addPen(QStringLiteral("SpinBox.borderPen2"), kBorder2);
        addPen(QStringLiteral("SpinBox.hasFocus.borderPen"), kFocus);
        addGradient(QStringLiteral("SpinBox.arrowsBackgroundGradient"), kButtons);
        addGradient(QStringLiteral("SpinBox.stateOn.arrowsBackgroundGradient"), kButtonsOn);
        addColor(QStringLiteral("SpinBox.backgroundColor"), kField);
        addColor(QStringLiteral("SpinBox.arrowUpColor"), QColor(1, 1, 1));
        addColor(QStringLiteral("SpinBox.arrowUpDisabledColor"), QColor(2, 2, 2));
        addColor(QStringLiteral("SpinBox.arrowDownColor"), QColor(3, 3, 3));
        addColor(QStringLiteral("SpinBox.arrowDownDisabledColor"), QColor(4, 4, 4));
    }
    void TearDown() override { store()->clear(); }

    static QStyleOptionSpinBox spinBox(QStyle::State state)
    {
        QStyleOptionSpinBox option;
        option.rect = QRect(0, 0, 80, 24);
        option.state = QStyle::State_Enabled | state;
        option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown
                             | QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField;
        option.buttonSymbols = QAbstractSpinBox::UpDownArrows;
        option.frame = true;
        return option;
    }

    QImage draw(const QStyleOptionSpinBox& option)
    {
        return paint(80, 24, [&](QPainter* p) {
            style.drawComplexControl(QStyle::CC_SpinBox, &option, p, nullptr);
        });
    }

    RecordingStyle style;
};

TEST_F(KelStyleSpinBoxTest, FrameFieldAndButtonColumn)
{
    const QStyleOptionSpinBox option = spinBox(QStyle::State_None);
    const QRect up = style.subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, nullptr);
    ASSERT_FALSE(up.isNull());
    const QImage image = draw(option);
    EXPECT_EQ(pixel(image, 1, 12), kBorder);
    EXPECT_EQ(pixel(image, 40, 1), kBorder);
    EXPECT_TRUE(isTransparent(image, 1, 1));
    EXPECT_EQ(pixel(image, 10, 12), kField);
    EXPECT_EQ(pixel(image, up.left() + 1, 12), kBorder2);
    EXPECT_EQ(pixel(image, up.left() + 3, 3), kButtons);
    EXPECT_FALSE(containsColor(image, image.rect(), kFocus));

    EXPECT_EQ(pixel(draw(spinBox(QStyle::State_On)), up.left() + 3, 3), kButtonsOn);
    EXPECT_TRUE(containsColor(draw(spinBox(QStyle::State_HasFocus)), QRect(0, 0, 80, 1), kFocus));
}

TEST_F(KelStyleSpinBoxTest, WithoutButtonsTheWholeFieldIsText)
{
    QStyleOptionSpinBox option = spinBox(QStyle::State_None);
    option.buttonSymbols = QAbstractSpinBox::NoButtons;
    const QImage image = draw(option);
    EXPECT_EQ(pixel(image, 10, 12), kField);
    EXPECT_EQ(pixel(image, 77, 12), kField);
    EXPECT_EQ(pixel(image, 77, 2), kField);
    EXPECT_FALSE(containsColor(image, image.rect(), kBorder2));
    EXPECT_FALSE(containsColor(image, image.rect(), kButtons));
    EXPECT_EQ(style.primitive(QStyle::PE_IndicatorArrowUp), nullptr);
    EXPECT_EQ(style.primitive(QStyle::PE_IndicatorArrowDown), nullptr);
}

TEST_F(KelStyleSpinBoxTest, ArrowsShowWhichButtonIsHeld)
{
    QStyleOptionSpinBox option = spinBox(QStyle::State_Sunken | QStyle::State_On);
    option.activeSubControls = QStyle::SC_SpinBoxDown;
    draw(option);
    const Call* up = style.primitive(QStyle::PE_IndicatorArrowUp);
    const Call* down = style.primitive(QStyle::PE_IndicatorArrowDown);
    ASSERT_NE(up, nullptr);
    ASSERT_NE(down, nullptr);
    EXPECT_TRUE(down->state & QStyle::State_Sunken);
    EXPECT_TRUE(down->state & QStyle::State_On);
    EXPECT_TRUE(up->state & QStyle::State_Raised);
    EXPECT_FALSE(up->state & (QStyle::State_Sunken | QStyle::State_On));

    const QRect u = style.subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, nullptr);
    const QRect d = style.subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxDown, nullptr);
    EXPECT_EQ(up->rect, QRect(QPoint(u.left() + 4, u.top() + 3), QPoint(u.right() + 1, u.bottom() + 2)));
    EXPECT_EQ(down->rect, QRect(QPoint(d.left() + 4, d.top()), QPoint(d.right() + 1, d.bottom() - 1)));
    EXPECT_EQ(up->palette.color(QPalette::Active, QPalette::ButtonText), QColor(1, 1, 1));
    EXPECT_EQ(up->palette.color(QPalette::Disabled, QPalette::ButtonText), QColor(2, 2, 2));
    EXPECT_EQ(down->palette.color(QPalette::Inactive, QPalette::ButtonText), QColor(3, 3, 3));

    // Only the sub-controls asked for get an arrow.
    style.primitives.clear();
    option.subControls = QStyle::SC_SpinBoxDown;
    draw(option);
    EXPECT_EQ(style.primitive(QStyle::PE_IndicatorArrowUp), nullptr);
    EXPECT_NE(style.primitive(QStyle::PE_IndicatorArrowDown), nullptr);
}

// ---------------------------------------------------------------------------------------------

const QColor kComboField(70, 70, 0);
const QColor kText(250, 250, 250);
const QColor kNotEditableText(240, 240, 240);

class KelStyleComboBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addPen(QStringLiteral("ComboBox.borderPen"), kBorder);
        addPen(QStringLiteral("ComboBox.borderPen2"), kBorder2);
        addPen(QStringLiteral("ComboBox.hasFocus.borderPen"), kFocus);
        addColor(QStringLiteral("ComboBox.hasFocus.backgroundColor"), QColor(9, 9, 9));
        addGradient(QStringLiteral("ComboBox.backgroundGradient"), kComboField);
        addGradient(QStringLiteral("ComboBox.stateOn.backgroundGradient"), kButtonsOn);
        addColor(QStringLiteral("ComboBox.arrowColor"), QColor(1, 1, 1));
        addColor(QStringLiteral("ComboBox.arrowDisabledColor"), QColor(2, 2, 2));
        addColor(QStringLiteral("ComboBox.textColor"), kText);
        addColor(QStringLiteral("ComboBox.notEditable.textColor"), kNotEditableText);
    }
    void TearDown() override { store()->clear(); }

    QStyleOptionComboBox combo(bool editable, QStyle::State state = QStyle::State_None) const
    {
        QStyleOptionComboBox option;
        option.rect = QRect(0, 0, 120, 24);
        option.state = QStyle::State_Enabled | state;
        option.editable = editable;
        option.frame = true;
        option.subControls = QStyle::SC_All;
        return option;
    }

    QImage draw(const QStyleOptionComboBox& option, QColor* penAfter = nullptr)
    {
        return paint(120, 24, [&](QPainter* p) {
            style.drawComplexControl(QStyle::CC_ComboBox, &option, p, nullptr);
            if (penAfter)
                *penAfter = p->pen().color();
        });
    }

    RecordingStyle style;
};

TEST_F(KelStyleComboBoxTest, EditableFieldIsAFixedDarkGrey)
{
    const QStyleOptionComboBox option = combo(true);
    const QRect a = style.subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, nullptr);
    QColor pen;
    const QImage image = draw(option, &pen);
    EXPECT_EQ(pixel(image, 10, 12), QColor(28, 28, 28));
    EXPECT_EQ(pixel(image, a.left(), 12), QColor(28, 28, 28));
    EXPECT_EQ(pixel(image, a.left() + 1, 12), kBorder2);
    EXPECT_EQ(pixel(image, a.left() + 3, 3), kComboField);
    EXPECT_EQ(pen, kText);
}

TEST_F(KelStyleComboBoxTest, NotEditableKeepsTheGradientAndBothLines)
{
    const QStyleOptionComboBox option = combo(false);
    const QRect a = style.subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, nullptr);
    QColor pen;
    const QImage image = draw(option, &pen);
    EXPECT_EQ(pixel(image, 10, 12), kComboField);
    EXPECT_EQ(pixel(image, a.left(), 12), kBorder);
    EXPECT_EQ(pixel(image, a.left() + 1, 12), kBorder2);
    EXPECT_EQ(pixel(image, 1, 12), kBorder);
    EXPECT_EQ(pen, kNotEditableText);
    EXPECT_EQ(pixel(draw(combo(false, QStyle::State_On)), 10, 12), kButtonsOn);

    const Call* arrow = style.primitive(QStyle::PE_IndicatorArrowDown);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->rect, QRect(QPoint(a.left() + 4, a.top() + 3), QPoint(a.right(), a.bottom() - 1)));
    EXPECT_FALSE(arrow->state & QStyle::State_On);
    EXPECT_EQ(arrow->palette.color(QPalette::Active, QPalette::ButtonText), QColor(1, 1, 1));
}

TEST_F(KelStyleComboBoxTest, FocusRingIsFilled)
{
    const QImage image = draw(combo(false, QStyle::State_HasFocus));
    EXPECT_TRUE(containsColor(image, QRect(0, 0, 120, 1), kFocus));
}

// ---------------------------------------------------------------------------------------------

class KelStyleSliderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        for (int i = 1; i <= 4; ++i) {
            addColor(QStringLiteral("Slider.color%1").arg(i), QColor(10 * i, 0, 0));
            addColor(QStringLiteral("Slider.hasFocus.color%1").arg(i), QColor(0, 10 * i, 0));
        }
        addPixmap(QStringLiteral("sliderHandleHorizontalNormal"), 10, 12, QColor(1, 1, 1));
        addPixmap(QStringLiteral("sliderHandleHorizontalHover"), 10, 12, QColor(2, 2, 2));
        addPixmap(QStringLiteral("sliderHandleHorizontalSelected"), 10, 12, QColor(3, 3, 3));
        addPixmap(QStringLiteral("sliderHandleVerticalNormal"), 12, 10, QColor(4, 4, 4));
    }
    void TearDown() override { store()->clear(); }

    static QStyleOptionSlider slider(Qt::Orientation orientation, QStyle::State state,
                                     QStyle::SubControls controls = QStyle::SC_SliderGroove
                                                                    | QStyle::SC_SliderHandle)
    {
        QStyleOptionSlider option;
        option.rect = orientation == Qt::Horizontal ? QRect(0, 0, 200, 20) : QRect(0, 0, 20, 200);
        option.orientation = orientation;
        option.state = QStyle::State_Enabled | state;
        if (orientation == Qt::Horizontal)
            option.state |= QStyle::State_Horizontal;
        option.subControls = controls;
        option.minimum = 0;
        option.maximum = 100;
        option.sliderPosition = 50;
        option.sliderValue = 50;
        return option;
    }

    QImage draw(const QStyleOptionSlider& option)
    {
        return paint(200, 200, [&](QPainter* p) {
            style.drawComplexControl(QStyle::CC_Slider, &option, p, nullptr);
        });
    }

    KelStyle style;
};

TEST_F(KelStyleSliderTest, GrooveLinesAndHandle)
{
    const QStyleOptionSlider option = slider(Qt::Horizontal, QStyle::State_None);
    const QRect g = style.subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, nullptr);
    const QRect h = style.subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, nullptr);
    const int t2 = style.pixelMetric(QStyle::PM_SliderControlThickness) / 2;
    const int l2 = style.pixelMetric(QStyle::PM_SliderLength) / 2;
    const QImage image = draw(option);
    const int x = g.left() + l2 + 5;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(pixel(image, x, g.top() + t2 - 2 + i), QColor(10 * (i + 1), 0, 0)) << i;
    // Only the second line reaches the first column.
    EXPECT_EQ(pixel(image, g.left() + l2, g.top() + t2 - 1), QColor(20, 0, 0));
    EXPECT_TRUE(isTransparent(image, g.left() + l2, g.top() + t2 - 2));

    // The handle pixmap, centred across the handle, from its top.
    const int hx = h.left() + (h.width() - 10) / 2;
    EXPECT_EQ(pixel(image, hx, h.top()), QColor(1, 1, 1));
    EXPECT_EQ(pixel(image, hx + 9, h.top() + 11), QColor(1, 1, 1));
}

TEST_F(KelStyleSliderTest, HoverAndFocusLooks)
{
    QStyleOptionSlider option = slider(Qt::Horizontal, QStyle::State_MouseOver);
    const QRect g = style.subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, nullptr);
    const QRect h = style.subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, nullptr);
    const int t2 = style.pixelMetric(QStyle::PM_SliderControlThickness) / 2;
    const int hx = h.left() + (h.width() - 10) / 2;
    QImage image = draw(option);
    EXPECT_EQ(pixel(image, g.left() + 20, g.top() + t2), QColor(0, 30, 0));
    EXPECT_EQ(pixel(image, hx, h.top()), QColor(2, 2, 2));

    option = slider(Qt::Horizontal, QStyle::State_HasFocus | QStyle::State_MouseOver);
    image = draw(option);
    EXPECT_EQ(pixel(image, g.left() + 20, g.top() + t2), QColor(0, 30, 0));
    EXPECT_EQ(pixel(image, hx, h.top()), QColor(3, 3, 3));
}

TEST_F(KelStyleSliderTest, NoGrooveWhenNotAskedFor)
{
    const QImage image = draw(slider(Qt::Horizontal, QStyle::State_None, QStyle::SC_SliderHandle));
    for (int i = 1; i <= 4; ++i)
        EXPECT_FALSE(containsColor(image, image.rect(), QColor(10 * i, 0, 0)));
    EXPECT_TRUE(containsColor(image, image.rect(), QColor(1, 1, 1)));
}

TEST_F(KelStyleSliderTest, VerticalHandleSitsAtTheRight)
{
    const QStyleOptionSlider option = slider(Qt::Vertical, QStyle::State_None);
    const QRect h = style.subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, nullptr);
    const QImage image = draw(option);
    const int y = h.top() + (h.height() - 10) / 2;
    // Its right edge one pixel inside the handle's.
    EXPECT_EQ(pixel(image, h.right() - 12, y), QColor(4, 4, 4));
    EXPECT_EQ(pixel(image, h.right() - 1, y + 9), QColor(4, 4, 4));
    EXPECT_FALSE(pixel(image, h.right(), y + 9) == QColor(4, 4, 4));
}

// ---------------------------------------------------------------------------------------------

class KelStyleToolButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addPen(QStringLiteral("ToolButton.borderPen"), kBorder);
        addPen(QStringLiteral("ToolButton.pressed.borderPen"), kBorder2);
        addGradient(QStringLiteral("ToolButton.backgroundGradient"), QColor(50, 50, 50));
        addGradient(QStringLiteral("ToolButton.pressed.backgroundGradient"), QColor(80, 80, 80));
        addColor(QStringLiteral("ToolButton.stateOn.textColor"), QColor(0, 250, 0));
    }
    void TearDown() override { store()->clear(); }

    static QStyleOptionToolButton button(const QString& text, QStyle::State state)
    {
        QStyleOptionToolButton option;
        option.rect = QRect(0, 0, 80, 30);
        option.text = text;
        option.state = QStyle::State_Enabled | state;
        option.subControls = QStyle::SC_ToolButton;
        option.toolButtonStyle = Qt::ToolButtonTextOnly;
        return option;
    }

    QImage draw(const QStyleOptionToolButton& option, const QWidget* widget)
    {
        return paint(80, 30, [&](QPainter* p) {
            style.drawComplexControl(QStyle::CC_ToolButton, &option, p, widget);
        });
    }

    RecordingStyle style;
};

TEST_F(KelStyleToolButtonTest, TextToolButtonLook)
{
    QToolButton widget;
    QImage image = draw(button(QStringLiteral("Go"), QStyle::State_AutoRaise), &widget);
    EXPECT_EQ(pixel(image, 5, 15), QColor(50, 50, 50));
    EXPECT_EQ(pixel(image, 0, 15), kBorder);
    const Call* label = style.control(QStyle::CE_ToolButtonLabel);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->pen, QColor(109, 109, 109));

    style.controls.clear();
    image = draw(button(QStringLiteral("Go"), QStyle::State_AutoRaise | QStyle::State_MouseOver
                                                  | QStyle::State_On),
                 &widget);
    EXPECT_EQ(pixel(image, 5, 15), QColor(80, 80, 80));
    EXPECT_EQ(pixel(image, 0, 15), kBorder2);
    label = style.control(QStyle::CE_ToolButtonLabel);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->pen, QColor(148, 148, 148));
    EXPECT_EQ(style.primitive(QStyle::PE_PanelButtonTool), nullptr);
}

TEST_F(KelStyleToolButtonTest, RollOutButtonPaintsAsAMenuBarItemOfItsParent)
{
    QWidget parent;
    QToolBar toolBar;
    auto* inBar = new QToolButton(&toolBar);
    auto* loose = new QToolButton(&parent);

    draw(button(QStringLiteral("{Looks}"), QStyle::State_None), inBar);
    const Call* item = style.control(QStyle::CE_MenuBarItem);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text, QStringLiteral("{Looks}"));
    EXPECT_EQ(item->widget, &toolBar);
    EXPECT_EQ(item->palette.color(QPalette::Disabled, QPalette::Button), QColor(Qt::transparent));
    EXPECT_EQ(style.primitive(QStyle::PE_PanelButtonTool), nullptr);

    // An icon-less auto-raise button outside the bars keeps the text tool-button look.
    style.controls.clear();
    draw(button(QStringLiteral("{Looks}"), QStyle::State_AutoRaise), loose);
    EXPECT_EQ(style.control(QStyle::CE_MenuBarItem), nullptr);
    EXPECT_NE(style.control(QStyle::CE_ToolButtonLabel), nullptr);
}

TEST_F(KelStyleToolButtonTest, CheckedToolButtonLooksHovered)
{
    QToolBar toolBar;
    auto* widget = new QToolButton(&toolBar);
    QStyleOptionToolButton option = button(QStringLiteral("Pin"), QStyle::State_On | QStyle::State_AutoRaise);
    option.palette.setColor(QPalette::ButtonText, QColor(0, 0, 250));
    draw(option, widget);
    const Call* panel = style.primitive(QStyle::PE_PanelButtonTool);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->state & QStyle::State_MouseOver);
    EXPECT_FALSE(panel->state & QStyle::State_On);
    const Call* label = style.control(QStyle::CE_ToolButtonLabel);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->palette.color(QPalette::Active, QPalette::ButtonText), QColor(0, 250, 0));

    // At rest: no panel, and the palette's own text colour.
    style.primitives.clear();
    style.controls.clear();
    draw(button(QStringLiteral("Pin"), QStyle::State_AutoRaise), widget);
    EXPECT_EQ(style.primitive(QStyle::PE_PanelButtonTool), nullptr);
    label = style.control(QStyle::CE_ToolButtonLabel);
    ASSERT_NE(label, nullptr);
    EXPECT_NE(label->palette.color(QPalette::Active, QPalette::ButtonText), QColor(0, 250, 0));
}

} // namespace

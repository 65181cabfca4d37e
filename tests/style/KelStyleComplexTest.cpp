#include "KelStylePaintSupport.h"

#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QToolButton>

using namespace KelStyleTest;
using namespace KelStylePaint;

namespace {

const QColor kComplexBorder(200, 0, 0);
const QColor kBorder2(0, 200, 0);
const QColor kComplexFocus(0, 0, 200);
const QColor kButtons(100, 100, 0);
const QColor kButtonsOn(0, 100, 100);
const QColor kField(90, 90, 90);

class KelStyleSpinBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addPen(QStringLiteral("SpinBox.borderPen"), kComplexBorder);
        addPen(QStringLiteral("SpinBox.borderPen2"), kBorder2);
        addPen(QStringLiteral("SpinBox.hasFocus.borderPen"), kComplexFocus);
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
    EXPECT_EQ(pixel(image, 1, 12), kComplexBorder);
    EXPECT_EQ(pixel(image, 40, 1), kComplexBorder);
    EXPECT_TRUE(isTransparent(image, 1, 1));
    EXPECT_EQ(pixel(image, 10, 12), kField);
    EXPECT_EQ(pixel(image, up.left() + 1, 12), kBorder2);
    EXPECT_EQ(pixel(image, up.left() + 3, 3), kButtons);
    EXPECT_FALSE(containsColor(image, image.rect(), kComplexFocus));

    EXPECT_EQ(pixel(draw(spinBox(QStyle::State_On)), up.left() + 3, 3), kButtonsOn);
    EXPECT_TRUE(containsColor(draw(spinBox(QStyle::State_HasFocus)), QRect(0, 0, 80, 1), kComplexFocus));
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
        addPen(QStringLiteral("ComboBox.borderPen"), kComplexBorder);
        addPen(QStringLiteral("ComboBox.borderPen2"), kBorder2);
        addPen(QStringLiteral("ComboBox.hasFocus.borderPen"), kComplexFocus);
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

// ---------------------------------------------------------------------------------------------

class KelStyleToolButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addPen(QStringLiteral("ToolButton.borderPen"), kComplexBorder);
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
    EXPECT_EQ(pixel(image, 0, 15), kComplexBorder);
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

} // namespace

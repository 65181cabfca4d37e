#include "nodeui/KelParamEditing.h"

#include "nodeui/KelParamEditorValues.h"
#include "nodeui/KelParamRow.h"
#include "params/Color.h"
#include "params/ColorParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/Parameter.h"
#include "params/StringParameter.h"
#include "style/KelColorField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

void KelParamEditing::connectRow(KelParamRow const& row, KelUtils::Parameter const* parameter)
{
    for (auto const& entry : row.editors)
        connectEditor(entry.first);
    const bool floats = parameter->type() == KelUtils::ParamFloatGroup;
    for (auto const& entry : row.sliders)
        connect(entry.first, &QSlider::valueChanged, this,
                floats ? &KelParamEditing::floatSlider_valueChanged : &KelParamEditing::slider_valueChanged);
    if (row.fileButton)
        connect(row.fileButton, &QPushButton::clicked, this, &KelParamEditing::fileName_clicked);
}

void KelParamEditing::connectEditor(QWidget* editor)
{
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(editor))
        connect(spin, &QDoubleSpinBox::editingFinished, this, &KelParamEditing::doubleSpinBox_editingFinished);
    else if (auto* box = qobject_cast<QSpinBox*>(editor))
        connect(box, &QSpinBox::editingFinished, this, &KelParamEditing::spinBox_editingFinished);
    else if (auto* check = qobject_cast<QCheckBox*>(editor))
        connect(check, &QCheckBox::clicked, this, &KelParamEditing::checkBox_valueChanged);
    else if (auto* field = qobject_cast<KelColorField*>(editor))
        connect(field, &KelColorField::colorChanged, this, &KelParamEditing::colorField_colorChanged);
    else if (auto* combo = qobject_cast<QComboBox*>(editor))
        connect(combo, &QComboBox::currentIndexChanged, this, &KelParamEditing::comboBox_currentIndexChanged);
    else if (auto* line = qobject_cast<QLineEdit*>(editor))
        connect(line, &QLineEdit::editingFinished, this, &KelParamEditing::stringEdit_editingFinished);
}

void KelParamEditing::doubleSpinBox_editingFinished()
{
    KelUtils::Parameter* parameter = nullptr;
    int index = 0;
    auto* spin = qobject_cast<QDoubleSpinBox*>(sender());
    if (!spin || !editTarget(spin, parameter, index))
        return;
    auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*parameter);
    // A box still showing the stored value was only left, not edited.
    if (!group || KelParamEditorValues::floatBoxShowsValue(group->value(index), spin->value()))
        return;
    if (QSlider* slider = sliderOf(parameter, index)) {
        const QSignalBlocker blocker(slider);
        slider->setValue(KelParamEditorValues::floatSliderPositionOfBox(spin->value()));
    }
    const double value = spin->value();
    writeEdit(parameter, [group, value, index] { return group->setValue(static_cast<float>(value), index); }, true);
}

void KelParamEditing::spinBox_editingFinished()
{
    KelUtils::Parameter* parameter = nullptr;
    int index = 0;
    auto* spin = qobject_cast<QSpinBox*>(sender());
    if (!spin || !editTarget(spin, parameter, index))
        return;
    auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*parameter);
    if (!group)
        return;
    if (QSlider* slider = sliderOf(parameter, index)) {
        const QSignalBlocker blocker(slider);
        slider->setValue(spin->value());
    }
    const int value = spin->value();
    writeEdit(parameter, [group, value, index] { return group->setValue(value, index); }, false);
}

void KelParamEditing::floatSlider_valueChanged(int value)
{
    KelUtils::Parameter* parameter = nullptr;
    int index = 0;
    if (!editTarget(sender(), parameter, index))
        return;
    if (auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*parameter))
        writeEdit(parameter, [=] { return group->setValue(static_cast<float>(value) / 100.0f, index); }, false);
}

void KelParamEditing::slider_valueChanged(int value)
{
    KelUtils::Parameter* parameter = nullptr;
    int index = 0;
    if (!editTarget(sender(), parameter, index))
        return;
    if (auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*parameter))
        writeEdit(parameter, [=] { return group->setValue(value, index); }, false);
}

void KelParamEditing::checkBox_valueChanged(bool on)
{
    KelUtils::Parameter* parameter = nullptr;
    int index = 0;
    if (!editTarget(sender(), parameter, index))
        return;
    if (auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*parameter))
        writeEdit(parameter, [=] { return group->setValue(on ? 1 : 0, 0); }, false);
}

void KelParamEditing::comboBox_currentIndexChanged(int row)
{
    KelUtils::Parameter* parameter = nullptr;
    int index = 0;
    if (!editTarget(sender(), parameter, index))
        return;
    auto* choice = static_cast<KelUtils::ListParameter*>(*parameter);
    KelUtils::ListItem const* item = choice ? choice->itemAt(row) : nullptr;
    if (!item)
        return;
    const int id = item->id;
    writeEdit(parameter, [=] { return choice->setValue(id); }, false);
}

void KelParamEditing::colorField_colorChanged(QColor color)
{
    KelUtils::Parameter* parameter = nullptr;
    int index = 0;
    if (!editTarget(sender(), parameter, index))
        return;
    auto* colour = static_cast<KelUtils::ColorParameter*>(*parameter);
    if (!colour)
        return;
    writeEdit(
        parameter,
        [colour, color] {
            const unsigned char rgba[4] = {static_cast<unsigned char>(color.red()),
                                           static_cast<unsigned char>(color.green()),
                                           static_cast<unsigned char>(color.blue()),
                                           static_cast<unsigned char>(color.alpha())};
            return colour->setValue(rgba, KelUtils::Color::Gamma, KelUtils::Color::InverseGamma);
        },
        false);
}

void KelParamEditing::stringEdit_editingFinished()
{
    KelUtils::Parameter* parameter = nullptr;
    int index = 0;
    auto* line = qobject_cast<QLineEdit*>(sender());
    if (!line || !editTarget(line, parameter, index))
        return;
    if (auto* string = static_cast<KelUtils::StringParameter*>(*parameter)) {
        const QString text = line->text();
        writeEdit(parameter, [string, text] { return string->setValue(text); }, false);
    }
}

void KelParamEditing::fileName_clicked()
{
    KelUtils::Parameter* parameter = nullptr;
    int index = 0;
    if (editTarget(sender(), parameter, index))
        chooseFile(parameter);
}

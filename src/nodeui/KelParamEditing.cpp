#include "nodeui/KelParamEditing.h"

#include "app/TwUndoKeysPassThrough.h"
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
    // The window's Undo and Redo keys reach the window while an editor has the focus: each
    // finished edit is a step there, and the fields' own text undo would only show a value the
    // parameter does not hold.
    editor->installEventFilter(new TwUndoKeysPassThrough(editor));
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

namespace {

// The parameter of a target as one kind; null when there is none or it is of another kind.
template<class Kind>
Kind* as(KelParamUIRef const& target)
{
    return target.param ? static_cast<Kind*>(*target.param) : nullptr;
}

} // namespace

void KelParamEditing::doubleSpinBox_editingFinished()
{
    auto* spin = qobject_cast<QDoubleSpinBox*>(sender());
    const KelParamUIRef target = editTarget(spin);
    auto* group = as<KelUtils::NumGroupParameter<float>>(target);
    if (!spin || !group || leftUnchanged(spin, target))
        return;
    if (QSlider* slider = sliderOf(target)) {
        const QSignalBlocker blocker(slider);
        slider->setValue(KelParamEditorValues::floatSliderPositionOfBox(spin->value()));
    }
    const float value = static_cast<float>(spin->value());
    writeEdit(target.param, [=] { return group->setValue(value, target.index); }, true);
}

void KelParamEditing::spinBox_editingFinished()
{
    auto* spin = qobject_cast<QSpinBox*>(sender());
    const KelParamUIRef target = editTarget(spin);
    auto* group = as<KelUtils::NumGroupParameter<int>>(target);
    if (!spin || !group || leftUnchanged(spin, target))
        return;
    if (QSlider* slider = sliderOf(target)) {
        const QSignalBlocker blocker(slider);
        slider->setValue(spin->value());
    }
    const int value = spin->value();
    writeEdit(target.param, [=] { return group->setValue(value, target.index); }, false);
}

void KelParamEditing::floatSlider_valueChanged(int value)
{
    const KelParamUIRef target = editTarget(sender());
    auto* group = as<KelUtils::NumGroupParameter<float>>(target);
    if (!group || leftUnchanged(sender(), target))
        return;
    writeEdit(target.param, [=] { return group->setValue(static_cast<float>(value) / 100.0f, target.index); }, false);
}

void KelParamEditing::slider_valueChanged(int value)
{
    const KelParamUIRef target = editTarget(sender());
    auto* group = as<KelUtils::NumGroupParameter<int>>(target);
    if (!group || leftUnchanged(sender(), target))
        return;
    writeEdit(target.param, [=] { return group->setValue(value, target.index); }, false);
}

void KelParamEditing::checkBox_valueChanged(bool on)
{
    const KelParamUIRef target = editTarget(sender());
    auto* group = as<KelUtils::NumGroupParameter<int>>(target);
    if (!group || leftUnchanged(sender(), target))
        return;
    writeEdit(target.param, [=] { return group->setValue(on ? 1 : 0, 0); }, false);
}

void KelParamEditing::comboBox_currentIndexChanged(int row)
{
    const KelParamUIRef target = editTarget(sender());
    auto* choice = as<KelUtils::ListParameter>(target);
    KelUtils::ListItem const* item = choice ? choice->itemAt(row) : nullptr;
    if (!item || leftUnchanged(sender(), target))
        return;
    const int id = item->id;
    writeEdit(target.param, [=] { return choice->setValue(id); }, false);
}

void KelParamEditing::colorField_colorChanged(QColor color)
{
    const KelParamUIRef target = editTarget(sender());
    auto* colour = as<KelUtils::ColorParameter>(target);
    if (!colour || leftUnchanged(sender(), target))
        return;
    const unsigned char rgba[4] = {static_cast<unsigned char>(color.red()), static_cast<unsigned char>(color.green()),
                                   static_cast<unsigned char>(color.blue()), static_cast<unsigned char>(color.alpha())};
    writeEdit(target.param,
              [=] { return colour->setValue(rgba, KelUtils::Color::Gamma, KelUtils::Color::InverseGamma); }, false);
}

void KelParamEditing::stringEdit_editingFinished()
{
    auto* line = qobject_cast<QLineEdit*>(sender());
    const KelParamUIRef target = editTarget(line);
    auto* string = as<KelUtils::StringParameter>(target);
    if (!line || !string || leftUnchanged(line, target))
        return;
    const QString text = line->text();
    writeEdit(target.param, [=] { return string->setValue(text); }, false);
}

bool KelParamEditing::leftUnchanged(QObject const* widget, KelParamUIRef const& target) const
{
    return KelParamRow::showsStored(widget, target.param, target.index);
}

void KelParamEditing::fileName_clicked()
{
    const KelParamUIRef target = editTarget(sender());
    if (target.param)
        chooseFile(target.param);
}

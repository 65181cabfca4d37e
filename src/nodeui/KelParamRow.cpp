#include "nodeui/KelParamRow.h"

#include "app/FieldEdit.h"
#include "app/ShownText.h"
#include "nodeui/KelParamEditorValues.h"
#include "params/ColorParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/Parameter.h"
#include "params/StringParameter.h"
#include "style/KelColorField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

namespace {

bool displayEnabled(KelUtils::Parameter const* parameter)
{
    return (parameter->displayFlags() & KelUtils::Parameter::DisplayEnabled) != 0;
}

QSlider* newSlider(int minimum, int maximum, int value, bool enabled)
{
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(minimum, maximum);
    slider->setValue(value);
    slider->setMinimumWidth(100);
    slider->setEnabled(enabled);
    return slider;
}

// A number group's slider takes its box's position, with its signals blocked.
void followBox(QSlider* slider, int position, bool enabled)
{
    if (!slider)
        return;
    const QSignalBlocker blocker(slider);
    slider->setValue(position);
    slider->setEnabled(enabled);
}

// One value of a number group: its box, followed by a slider when the group shows one.
void addNumberEditor(KelParamRow& row, QHBoxLayout* box, QAbstractSpinBox* spin, int index, bool enabled,
                     QSlider* slider)
{
    spin->setEnabled(enabled);
    box->addWidget(spin);
    row.editors.append({spin, index});
    if (slider) {
        spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
        box->addWidget(slider);
        row.sliders.append({slider, index});
    }
}

// A kind without editor, or a group of more values than an editor shows boxes for.
KelParamRow inertRow()
{
    KelParamRow row;
    row.field = new QLineEdit;
    return row;
}

} // namespace

KelParamRow KelParamRow::build(KelUtils::Parameter* parameter, int intBoxWidth)
{
    KelParamRow row;
    const bool enabled = displayEnabled(parameter);
    switch (parameter->type()) {
    case KelUtils::ParamFloatGroup: {
        auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*parameter);
        const int count = group->numValues();
        if (count > KelUtils::MaxStoredGroupValues)
            return inertRow();
        float minimum = 0.0f, maximum = 0.0f;
        group->getRange(&minimum, &maximum, nullptr);
        auto* box = new QHBoxLayout;
        for (int i = 0; i < count; ++i) {
            auto* spin = new QDoubleSpinBox;
            // Decimals first: a value set at the default 2 decimals would be rounded.
            spin->setDecimals(KelParamEditorValues::FloatDecimals);
            spin->setMinimum(minimum);
            spin->setMaximum(maximum);
            spin->setValue(group->value(i));
            spin->setSingleStep(0.1);
            spin->setMaximumWidth(80);
            addNumberEditor(row, box, spin, i, enabled,
                            group->showAsSlider()
                                ? newSlider(KelParamEditorValues::floatSliderPosition(minimum),
                                            KelParamEditorValues::floatSliderPosition(maximum),
                                            KelParamEditorValues::floatSliderPosition(group->value(i)), enabled)
                                : nullptr);
        }
        row.fieldLayout = box;
        return row;
    }
    case KelUtils::ParamIntGroup: {
        auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*parameter);
        const int count = group->numValues();
        if (count > KelUtils::MaxStoredGroupValues)
            return inertRow();
        int minimum = 0, maximum = 0;
        group->getRange(&minimum, &maximum, nullptr);
        auto* box = new QHBoxLayout;
        for (int i = 0; i < count; ++i) {
            auto* spin = new QSpinBox;
            spin->setMinimum(minimum);
            spin->setMaximum(maximum);
            spin->setValue(group->value(i));
            spin->setMaximumWidth(intBoxWidth);
            addNumberEditor(row, box, spin, i, enabled,
                            group->showAsSlider() ? newSlider(minimum, maximum, group->value(i), enabled) : nullptr);
        }
        row.fieldLayout = box;
        return row;
    }
    case KelUtils::ParamBool: {
        auto* check = new QCheckBox;
        check->setChecked(static_cast<KelUtils::NumGroupParameter<int>*>(*parameter)->value(0) != 0);
        check->setEnabled(enabled);
        row.field = check;
        row.editors.append({check, 0});
        return row;
    }
    case KelUtils::ParamColor: {
        auto* field = new KelColorField;
        field->setColor(KelParamEditorValues::toQColor(static_cast<KelUtils::ColorParameter*>(*parameter)->value()));
        field->setEnabled(enabled);
        row.field = field;
        row.editors.append({field, 0});
        return row;
    }
    case KelUtils::ParamList: {
        auto* choice = static_cast<KelUtils::ListParameter*>(*parameter);
        auto* combo = new QComboBox;
        KelUtils::ListItem const* current = choice->currentItem();
        int currentIndex = -1;
        const QList<KelUtils::ListItem> items = choice->items();
        for (int i = 0; i < items.size(); ++i) {
            // Item names may come from a template file; the whole name is the item's data.
            combo->addItem(ShownText::name(items.at(i).name, ShownText::kNarrowPlaceChars), items.at(i).name);
            // A new row selects the last item of the name, a refresh the first.
            if (current && items.at(i).name == current->name)
                currentIndex = i;
        }
        combo->setCurrentIndex(currentIndex);
        combo->setEnabled(enabled);
        combo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        row.field = combo;
        row.editors.append({combo, 0});
        return row;
    }
    case KelUtils::ParamString:
    case KelUtils::ParamFileName: {
        auto* line = new QLineEdit(static_cast<KelUtils::StringParameter*>(*parameter)->value());
        row.editors.append({line, 0});
        if (parameter->type() == KelUtils::ParamString) {
            row.field = line;
            return row;
        }
        auto* box = new QHBoxLayout;
        box->addWidget(line);
        row.fileButton = new QPushButton(QCoreApplication::translate("KelParam", "Select..."));
        box->addWidget(row.fileButton);
        row.fieldLayout = box;
        return row;
    }
    case KelUtils::ParamImage:
        return row;
    default:
        return inertRow();
    }
}

bool KelParamRow::refresh(QWidget* editor, QSlider* slider, KelUtils::Parameter* parameter, int index)
{
    if (!editor)
        return false;
    const bool enabled = displayEnabled(parameter);
    const QSignalBlocker blocker(editor);
    switch (parameter->type()) {
    case KelUtils::ParamFloatGroup: {
        auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*parameter);
        auto* spin = qobject_cast<QDoubleSpinBox*>(editor);
        if (!spin)
            return false;
        spin->setValue(group->value(index));
        if (group->showAsSlider())
            followBox(slider, KelParamEditorValues::floatSliderPositionOfBox(spin->value()), enabled);
        break;
    }
    case KelUtils::ParamIntGroup: {
        auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*parameter);
        auto* spin = qobject_cast<QSpinBox*>(editor);
        if (!spin)
            return false;
        spin->setValue(group->value(index));
        if (group->showAsSlider())
            followBox(slider, spin->value(), enabled);
        break;
    }
    case KelUtils::ParamBool: {
        auto* check = qobject_cast<QCheckBox*>(editor);
        if (!check)
            return false;
        check->setChecked(static_cast<KelUtils::NumGroupParameter<int>*>(*parameter)->value(index) != 0);
        break;
    }
    case KelUtils::ParamColor: {
        auto* field = qobject_cast<KelColorField*>(editor);
        if (!field)
            return false;
        field->setColor(KelParamEditorValues::toQColor(static_cast<KelUtils::ColorParameter*>(*parameter)->value()));
        break;
    }
    case KelUtils::ParamList: {
        auto* combo = qobject_cast<QComboBox*>(editor);
        if (!combo)
            return false;
        KelUtils::ListItem const* current = static_cast<KelUtils::ListParameter*>(*parameter)->currentItem();
        combo->setCurrentIndex(current ? combo->findData(QVariant(current->name), Qt::UserRole,
                                                         Qt::MatchExactly | Qt::MatchCaseSensitive)
                                       : -1);
        break;
    }
    case KelUtils::ParamString:
    case KelUtils::ParamFileName: {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line)
            return false;
        line->setText(static_cast<KelUtils::StringParameter*>(*parameter)->value()); // plain field
        break;
    }
    default:
        return false;
    }
    editor->setEnabled(enabled);
    return true;
}

bool KelParamRow::showsStored(QObject const* widget, KelUtils::Parameter* parameter, int index)
{
    if (!widget || !parameter)
        return false;
    switch (parameter->type()) {
    case KelUtils::ParamFloatGroup: {
        auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*parameter);
        if (auto* spin = qobject_cast<QDoubleSpinBox const*>(widget))
            return KelParamEditorValues::floatBoxShowsValue(group->value(index), spin->value());
        // A slider writes its position in hundredths.
        if (auto* slider = qobject_cast<QSlider const*>(widget))
            return static_cast<float>(slider->value()) / 100.0f == group->value(index);
        return false;
    }
    case KelUtils::ParamIntGroup: {
        auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*parameter);
        if (auto* spin = qobject_cast<QSpinBox const*>(widget))
            return spin->value() == group->value(index);
        if (auto* slider = qobject_cast<QSlider const*>(widget))
            return slider->value() == group->value(index);
        return false;
    }
    case KelUtils::ParamBool: {
        auto* check = qobject_cast<QCheckBox const*>(widget);
        return check && check->isChecked() == (static_cast<KelUtils::NumGroupParameter<int>*>(*parameter)->value(index) != 0);
    }
    case KelUtils::ParamColor: {
        auto* field = qobject_cast<KelColorField const*>(widget);
        return field
               && field->color() == KelParamEditorValues::toQColor(static_cast<KelUtils::ColorParameter*>(*parameter)->value());
    }
    case KelUtils::ParamList: {
        auto* combo = qobject_cast<QComboBox const*>(widget);
        auto* choice = static_cast<KelUtils::ListParameter*>(*parameter);
        KelUtils::ListItem const* shown = combo ? choice->itemAt(combo->currentIndex()) : nullptr;
        KelUtils::ListItem const* current = choice->currentItem();
        return shown && current && shown->id == current->id;
    }
    case KelUtils::ParamString:
    case KelUtils::ParamFileName: {
        auto* line = qobject_cast<QLineEdit const*>(widget);
        return line && !FieldEdit::committed(line, static_cast<KelUtils::StringParameter*>(*parameter)->value());
    }
    default:
        return false;
    }
}

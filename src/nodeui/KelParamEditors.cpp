// KelParam: the editor row of each parameter kind and the edit slots.
#include "nodeui/KelParam.h"

#include "nodeui/KelParamEditorValues.h"
#include "nodeui/NodeEditHooks.h"
#include "params/Color.h"
#include "params/ColorParameter.h"
#include "params/IParameterContainer.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/Parameter.h"
#include "params/StringParameter.h"
#include "style/KDSynchronizedFormLayout.h"
#include "style/KelColorField.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>

namespace {

const QString kLastLocation = QStringLiteral("LastSavedTextureLocation");

} // namespace

bool KelParam::buildRow(KDSynchronizedFormLayout* layout, int list, KelUtils::Parameter* parameter)
{
    const int type = parameter->type();
    if (type == KelUtils::ParamImage)
        return false;

    auto* label = new QLabel(parameter->text());
    m_widgetsByList.insert(list, label);
    const bool enabled = (parameter->displayFlags() & KelUtils::Parameter::DisplayEnabled) != 0;
    auto entered = [&] {
        label->setEnabled(true);
        m_labels.insert(label, parameter);
    };

    switch (type) {
    case KelUtils::ParamFloatGroup: {
        entered();
        auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*parameter);
        float minimum = 0.0f, maximum = 0.0f;
        group->getRange(&minimum, &maximum, nullptr);
        const bool withSlider = group->showAsSlider();
        auto* row = new QHBoxLayout;
        const int count = group->numValues();
        for (int i = 0; i < count; ++i) {
            auto* spin = new QDoubleSpinBox;
            // Decimals first: a value set at the default 2 decimals would be rounded.
            spin->setDecimals(KelParamEditorValues::FloatDecimals);
            spin->setMinimum(minimum);
            spin->setMaximum(maximum);
            spin->setValue(group->value(i));
            spin->setSingleStep(0.1);
            spin->setMaximumWidth(80);
            spin->setEnabled(enabled);
            m_editors.insert(spin, new KelParamUIRef{parameter, i});
            m_widgetsByList.insert(list, spin);
            row->addWidget(spin);
            connect(spin, &QDoubleSpinBox::editingFinished, this, &KelParam::doubleSpinBox_editingFinished);
            if (withSlider) {
                spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
                auto* slider = new QSlider(Qt::Horizontal);
                slider->setRange(KelParamEditorValues::floatSliderPosition(minimum),
                                 KelParamEditorValues::floatSliderPosition(maximum));
                slider->setValue(KelParamEditorValues::floatSliderPosition(group->value(i)));
                slider->setMinimumWidth(100);
                slider->setEnabled(enabled);
                m_sliders.insert(slider, new KelParamUIRef{parameter, i});
                row->addWidget(slider);
                connect(slider, &QSlider::valueChanged, this, &KelParam::floatSlider_valueChanged);
            }
        }
        layout->addRow(label, row);
        return true;
    }
    case KelUtils::ParamIntGroup: {
        entered();
        auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*parameter);
        int minimum = 0, maximum = 0;
        group->getRange(&minimum, &maximum, nullptr);
        const bool withSlider = group->showAsSlider();
        auto* row = new QHBoxLayout;
        const int count = group->numValues();
        for (int i = 0; i < count; ++i) {
            auto* spin = new QSpinBox;
            spin->setMinimum(minimum);
            spin->setMaximum(maximum);
            spin->setValue(group->value(i));
            spin->setMaximumWidth(100);
            spin->setEnabled(enabled);
            m_editors.insert(spin, new KelParamUIRef{parameter, i});
            m_widgetsByList.insert(list, spin);
            row->addWidget(spin);
            connect(spin, &QSpinBox::editingFinished, this, &KelParam::spinBox_editingFinished);
            if (withSlider) {
                spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
                auto* slider = new QSlider(Qt::Horizontal);
                slider->setRange(minimum, maximum);
                slider->setValue(group->value(i));
                slider->setMinimumWidth(100);
                slider->setEnabled(enabled);
                m_sliders.insert(slider, new KelParamUIRef{parameter, i});
                row->addWidget(slider);
                connect(slider, &QSlider::valueChanged, this, &KelParam::slider_valueChanged);
            }
        }
        layout->addRow(label, row);
        return true;
    }
    case KelUtils::ParamBool: {
        entered();
        auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*parameter);
        auto* check = new QCheckBox;
        check->setChecked(group->value(0) != 0);
        check->setEnabled(enabled);
        m_editors.insert(check, new KelParamUIRef{parameter, 0});
        m_widgetsByList.insert(list, check);
        connect(check, &QCheckBox::clicked, this, &KelParam::checkBox_valueChanged);
        layout->addRow(label, check);
        return true;
    }
    case KelUtils::ParamColor: {
        entered();
        auto* colour = static_cast<KelUtils::ColorParameter*>(*parameter);
        auto* field = new KelColorField;
        field->setColor(KelParamEditorValues::toQColor(colour->value()));
        field->setEnabled(enabled);
        m_editors.insert(field, new KelParamUIRef{parameter, 0});
        m_widgetsByList.insert(list, field);
        connect(field, &KelColorField::colorChanged, this, &KelParam::colorField_colorChanged);
        layout->addRow(label, field);
        return true;
    }
    case KelUtils::ParamList: {
        entered();
        auto* choice = static_cast<KelUtils::ListParameter*>(*parameter);
        auto* combo = new QComboBox;
        const QList<KelUtils::ListItem> items = choice->items();
        KelUtils::ListItem const* current = choice->currentItem();
        int currentIndex = -1;
        for (int i = 0; i < items.size(); ++i) {
            combo->addItem(items.at(i).name);
            if (current && items.at(i).name == current->name)
                currentIndex = i;
        }
        combo->setCurrentIndex(currentIndex);
        combo->setEnabled(enabled);
        combo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        m_editors.insert(combo, new KelParamUIRef{parameter, 0});
        m_widgetsByList.insert(list, combo);
        connect(combo, &QComboBox::currentIndexChanged, this, &KelParam::comboBox_currentIndexChanged);
        layout->addRow(label, combo);
        return true;
    }
    case KelUtils::ParamString:
    case KelUtils::ParamFileName: {
        entered();
        auto* string = static_cast<KelUtils::StringParameter*>(*parameter);
        auto* line = new QLineEdit(string->value());
        m_editors.insert(line, new KelParamUIRef{parameter, 0});
        m_widgetsByList.insert(list, line);
        connect(line, &QLineEdit::editingFinished, this, &KelParam::stringEdit_editingFinished);
        if (type == KelUtils::ParamString) {
            layout->addRow(label, line);
            return true;
        }
        auto* row = new QHBoxLayout;
        row->addWidget(line);
        auto* button = new QPushButton(tr("Select..."));
        m_fileButtons.insert(button, new KelParamUIRef{parameter, 0});
        m_widgetsByList.insert(list, button);
        connect(button, &QPushButton::clicked, this, &KelParam::fileName_clicked);
        row->addWidget(button);
        layout->addRow(label, row);
        return true;
    }
    default: {
        // A kind without editor: an inert row.
        auto* line = new QLineEdit;
        m_widgetsByList.insert(list, line);
        layout->addRow(label, line);
        return true;
    }
    }
}

KelParamUIRef* KelParam::editedBy(QMap<QObject*, KelParamUIRef*> const& map) const
{
    return map.value(sender());
}

void KelParam::finishEdit(QBuffer* before)
{
    emit addParamUndo(this, before);
    emit parameterChanged(m_container);
}

void KelParam::doubleSpinBox_editingFinished()
{
    if (m_inDestruction || !m_container)
        return;
    KelParamUIRef* ref = editedBy(m_editors);
    auto* spin = qobject_cast<QDoubleSpinBox*>(sender());
    if (!ref || !spin)
        return;
    auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*ref->param);
    if (!group)
        return;
    // A box still showing the stored value was only left, not edited.
    if (KelParamEditorValues::floatBoxShowsValue(group->value(ref->index), spin->value()))
        return;

    QBuffer* before = storeParamState();
    if (QSlider* slider = sliderFor(ref->param, ref->index)) {
        const QSignalBlocker blocker(slider);
        slider->setValue(KelParamEditorValues::floatSliderPositionOfBox(spin->value()));
    }
    NodeEditHooks::beforeWrite();
    m_container->blockSignals(true);
    const int result = group->setValue(static_cast<float>(spin->value()), ref->index);
    m_container->blockSignals(false);
    if (result < 0) {
        refreshRowsOf(ref->param);
        delete before;
        return;
    }
    finishEdit(before);
    updateGroupBoxHeaders();
}

void KelParam::spinBox_editingFinished()
{
    if (m_inDestruction || !m_container)
        return;
    KelParamUIRef* ref = editedBy(m_editors);
    auto* spin = qobject_cast<QSpinBox*>(sender());
    if (!ref || !spin)
        return;
    auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*ref->param);
    if (!group)
        return;
    QBuffer* before = storeParamState();
    if (QSlider* slider = sliderFor(ref->param, ref->index)) {
        const QSignalBlocker blocker(slider);
        slider->setValue(spin->value());
    }
    NodeEditHooks::beforeWrite();
    m_container->blockSignals(true);
    const int result = group->setValue(spin->value(), ref->index);
    m_container->blockSignals(false);
    if (result < 0) {
        refreshRowsOf(ref->param);
        delete before;
        return;
    }
    finishEdit(before);
}

void KelParam::floatSlider_valueChanged(int value)
{
    if (m_inDestruction || !m_container)
        return;
    KelParamUIRef* ref = editedBy(m_sliders);
    if (!ref)
        return;
    auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*ref->param);
    if (!group)
        return;
    QBuffer* before = storeParamState();
    NodeEditHooks::beforeWrite();
    if (group->setValue(static_cast<float>(value) / 100.0f, ref->index) < 0) {
        refreshRowsOf(ref->param);
        delete before;
        return;
    }
    finishEdit(before);
}

void KelParam::slider_valueChanged(int value)
{
    if (m_inDestruction || !m_container)
        return;
    KelParamUIRef* ref = editedBy(m_sliders);
    if (!ref)
        return;
    auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*ref->param);
    if (!group)
        return;
    QBuffer* before = storeParamState();
    NodeEditHooks::beforeWrite();
    if (group->setValue(value, ref->index) < 0) {
        refreshRowsOf(ref->param);
        delete before;
        return;
    }
    finishEdit(before);
}

void KelParam::checkBox_valueChanged(bool on)
{
    if (m_inDestruction || !m_container)
        return;
    KelParamUIRef* ref = editedBy(m_editors);
    if (!ref)
        return;
    auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*ref->param);
    if (!group)
        return;
    QBuffer* before = storeParamState();
    NodeEditHooks::beforeWrite();
    if (group->setValue(on ? 1 : 0, 0) < 0) {
        refreshRowsOf(ref->param);
        delete before;
        return;
    }
    finishEdit(before);
}

void KelParam::comboBox_currentIndexChanged(int index)
{
    if (m_inDestruction || !m_container)
        return;
    KelParamUIRef* ref = editedBy(m_editors);
    if (!ref)
        return;
    auto* choice = static_cast<KelUtils::ListParameter*>(*ref->param);
    KelUtils::ListItem const* item = choice ? choice->itemAt(index) : nullptr;
    if (!item)
        return;
    QBuffer* before = storeParamState();
    NodeEditHooks::beforeWrite();
    if (choice->setValue(item->id) < 0) {
        refreshRowsOf(ref->param);
        delete before;
        return;
    }
    finishEdit(before);
}

void KelParam::colorField_colorChanged(QColor color)
{
    if (m_inDestruction || !m_container)
        return;
    KelParamUIRef* ref = editedBy(m_editors);
    if (!ref)
        return;
    auto* colour = static_cast<KelUtils::ColorParameter*>(*ref->param);
    if (!colour)
        return;
    QBuffer* before = storeParamState();
    const unsigned char rgba[4] = {static_cast<unsigned char>(color.red()),
                                   static_cast<unsigned char>(color.green()),
                                   static_cast<unsigned char>(color.blue()),
                                   static_cast<unsigned char>(color.alpha())};
    NodeEditHooks::beforeWrite();
    if (colour->setValue(rgba, KelUtils::Color::Gamma, KelUtils::Color::InverseGamma) < 0) {
        refreshRowsOf(ref->param);
        delete before;
        return;
    }
    finishEdit(before);
}

void KelParam::stringEdit_editingFinished()
{
    if (m_inDestruction || !m_container)
        return;
    KelParamUIRef* ref = editedBy(m_editors);
    auto* line = qobject_cast<QLineEdit*>(sender());
    if (!ref || !line)
        return;
    auto* string = static_cast<KelUtils::StringParameter*>(*ref->param);
    if (!string)
        return;
    QBuffer* before = storeParamState();
    NodeEditHooks::beforeWrite();
    string->setValue(line->text());
    finishEdit(before);
}

void KelParam::fileName_clicked()
{
    if (m_inDestruction || !m_container)
        return;
    KelParamUIRef* ref = editedBy(m_fileButtons);
    if (!ref)
        return;
    QSettings settings;
    QString start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (settings.contains(kLastLocation))
        start = settings.value(kLastLocation).toString();
    // The modal dialog runs an event loop in which the panel may go.
    const QPointer<KelParam> alive(this);
    const QString path = QFileDialog::getOpenFileName(this, tr("Open File"), start, tr("File (*)"));
    if (!alive || path.isEmpty() || m_inDestruction)
        return;
    settings.setValue(kLastLocation, path);

    auto* string = static_cast<KelUtils::StringParameter*>(*ref->param);
    if (!string)
        return;
    QBuffer* before = storeParamState();
    NodeEditHooks::beforeWrite();
    string->setValue(path);
    finishEdit(before);
}

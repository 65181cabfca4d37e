// KelParam: the editor row of each parameter kind and the edit slots.
#include "nodeui/KelParam.h"

#include "nodeui/KelParamEditorValues.h"
#include "nodeui/KelParamRow.h"
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
    KelParamRow row = KelParamRow::build(parameter, 100);
    if (!row.field && !row.fieldLayout)
        return false;
    auto* label = new QLabel(parameter->text());
    m_widgetsByList.insert(list, label);
    // A kind without editor: an inert row, its label left alone.
    const bool inert = row.editors.isEmpty();
    if (!inert) {
        label->setEnabled(true);
        m_labels.insert(label, parameter);
    } else {
        m_widgetsByList.insert(list, row.field);
    }
    for (auto const& [editor, index] : std::as_const(row.editors)) {
        m_editors.insert(editor, new KelParamUIRef{parameter, index});
        m_widgetsByList.insert(list, editor);
        connectEditor(editor);
    }
    const bool floats = parameter->type() == KelUtils::ParamFloatGroup;
    for (auto const& [slider, index] : std::as_const(row.sliders)) {
        m_sliders.insert(slider, new KelParamUIRef{parameter, index});
        connect(slider, &QSlider::valueChanged, this,
                floats ? &KelParam::floatSlider_valueChanged : &KelParam::slider_valueChanged);
    }
    if (row.fileButton) {
        m_fileButtons.insert(row.fileButton, new KelParamUIRef{parameter, 0});
        m_widgetsByList.insert(list, row.fileButton);
        connect(row.fileButton, &QPushButton::clicked, this, &KelParam::fileName_clicked);
    }
    if (row.fieldLayout)
        layout->addRow(label, row.fieldLayout);
    else
        layout->addRow(label, row.field);
    return true;
}

void KelParam::connectEditor(QWidget* editor)
{
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(editor))
        connect(spin, &QDoubleSpinBox::editingFinished, this, &KelParam::doubleSpinBox_editingFinished);
    else if (auto* box = qobject_cast<QSpinBox*>(editor))
        connect(box, &QSpinBox::editingFinished, this, &KelParam::spinBox_editingFinished);
    else if (auto* check = qobject_cast<QCheckBox*>(editor))
        connect(check, &QCheckBox::clicked, this, &KelParam::checkBox_valueChanged);
    else if (auto* field = qobject_cast<KelColorField*>(editor))
        connect(field, &KelColorField::colorChanged, this, &KelParam::colorField_colorChanged);
    else if (auto* combo = qobject_cast<QComboBox*>(editor))
        connect(combo, &QComboBox::currentIndexChanged, this, &KelParam::comboBox_currentIndexChanged);
    else if (auto* line = qobject_cast<QLineEdit*>(editor))
        connect(line, &QLineEdit::editingFinished, this, &KelParam::stringEdit_editingFinished);
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

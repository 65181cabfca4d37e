#include "nodeui/KelParamAtom.h"

#include "nodeui/KelParamEditorValues.h"
#include "nodeui/KelParamRow.h"
#include "nodeui/KelParamSnapshot.h"
#include "nodeui/NodeEditHooks.h"
#include "nodes/Node.h"
#include "params/Color.h"
#include "params/ColorParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/Parameter.h"
#include "params/ParameterContainer.h"
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
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>

namespace {

const QString kLastLocation = QStringLiteral("LastSavedTextureLocation");

} // namespace

KelParamAtom::KelParamAtom(KelUtils::Parameter* param, QWidget* parent)
    : QWidget(parent)
    , m_param(param)
{
}

KelParamAtom::~KelParamAtom()
{
    // An atom deleted while bound must not stay among its container's callbacks.
    if (m_node)
        setInDestruction(true);
    if (m_ownsParameter)
        delete m_param;
    m_param = nullptr;
}

void KelParamAtom::setNode(KelNodes::Node* node)
{
    if (m_inDestruction || !node)
        return;
    m_node = node;
    node->paramContainer()->paramCallbacks().append(
        {KelUtils::paramChangeCallback<KelParamAtom>, this});
}

void KelParamAtom::setInDestruction(bool on)
{
    m_inDestruction = on;
    if (!m_node)
        return;
    QList<KelUtils::ParameterCallback>& callbacks = m_node->paramContainer()->paramCallbacks();
    for (int i = 0; i < callbacks.size(); ++i) {
        if (callbacks.at(i).userData == this) {
            callbacks.removeAt(i);
            break;
        }
    }
    m_node = nullptr;
}

void KelParamAtom::paramChanged(KelUtils::Parameter* parameter)
{
    // A null parameter (after a section load, an undo among them) may include this one: a
    // stale editor would write its old value back when left.
    if (m_inDestruction || !m_param || (parameter && parameter != m_param))
        return;
    updateVisibilityStatus();
    applyParamStateToUI();
}

QBuffer* KelParamAtom::storeParamState()
{
    if (!m_node)
        return nullptr;
    return KelParamSnapshot::store(m_node->paramContainer());
}

QSlider* KelParamAtom::sliderFor(int index) const
{
    for (auto const& entry : m_sliders) {
        if (entry.second == index)
            return entry.first;
    }
    return nullptr;
}

QWidget* KelParamAtom::editorFor(int index) const
{
    for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it) {
        if (it.value() == index)
            return qobject_cast<QWidget*>(it.key());
    }
    return nullptr;
}

void KelParamAtom::createUI()
{
    if (m_uiBuilt || !m_param)
        return;
    m_uiBuilt = true;
    KDSynchronizedFormLayout* form = m_layout;
    if (!form) {
        form = new KDSynchronizedFormLayout;
        setLayout(form);
    }

    KelParamRow row = KelParamRow::build(m_param, 80);
    // Kinds without editor (images among them): label and an inert line edit.
    if (!row.field && !row.fieldLayout)
        row.field = new QLineEdit;
    auto* label = new QLabel(m_param->text());
    if (!row.editors.isEmpty())
        m_label = label;
    for (auto const& [editor, index] : std::as_const(row.editors)) {
        m_editors.insert(editor, index);
        connectEditor(editor);
    }
    const bool floats = m_param->type() == KelUtils::ParamFloatGroup;
    for (auto const& entry : std::as_const(row.sliders)) {
        m_sliders.append(entry);
        connect(entry.first, &QSlider::valueChanged, this,
                floats ? &KelParamAtom::floatSlider_valueChanged : &KelParamAtom::slider_valueChanged);
    }
    if (row.fileButton)
        connect(row.fileButton, &QPushButton::clicked, this, &KelParamAtom::fileName_clicked);
    if (row.fieldLayout)
        form->addRow(label, row.fieldLayout);
    else
        form->addRow(label, row.field);

    if (m_node && !m_inDestruction) {
        updateVisibilityStatus();
        applyParamStateToUI();
    }
}

void KelParamAtom::connectEditor(QWidget* editor)
{
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(editor))
        connect(spin, &QDoubleSpinBox::editingFinished, this, &KelParamAtom::doubleSpinBox_editingFinished);
    else if (auto* box = qobject_cast<QSpinBox*>(editor))
        connect(box, &QSpinBox::editingFinished, this, &KelParamAtom::spinBox_editingFinished);
    else if (auto* check = qobject_cast<QCheckBox*>(editor))
        connect(check, &QCheckBox::clicked, this, &KelParamAtom::checkBox_valueChanged);
    else if (auto* field = qobject_cast<KelColorField*>(editor))
        connect(field, &KelColorField::colorChanged, this, &KelParamAtom::colorField_colorChanged);
    else if (auto* combo = qobject_cast<QComboBox*>(editor))
        connect(combo, &QComboBox::currentIndexChanged, this, &KelParamAtom::comboBox_currentIndexChanged);
    else if (auto* line = qobject_cast<QLineEdit*>(editor))
        connect(line, &QLineEdit::editingFinished, this, &KelParamAtom::stringEdit_editingFinished);
}

void KelParamAtom::applyParamStateToUI()
{
    if (m_inDestruction || !m_param)
        return;
    for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it) {
        const bool refreshed = KelParamRow::refresh(qobject_cast<QWidget*>(it.key()), sliderFor(it.value()), m_param,
                                                    it.value());
        // Other rows of the node may depend on a choice.
        if (refreshed && m_node && m_param->type() == KelUtils::ParamList)
            emit updateStatusForDependencies(m_node, m_paramListIndex);
    }
}

void KelParamAtom::updateVisibilityStatus()
{
    if (m_inDestruction || !m_node)
        return;
    QList<KelUtils::ParameterList> const& lists = m_node->paramContainer()->paramLists();
    if (m_paramListIndex < 0 || m_paramListIndex >= lists.size())
        return;
    const bool active = lists.at(m_paramListIndex).active;
    for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it) {
        if (m_label)
            m_label->setVisible(active);
        if (auto* editor = qobject_cast<QWidget*>(it.key()))
            editor->setVisible(active);
        if (QSlider* slider = sliderFor(it.value()))
            slider->setVisible(active);
    }
}

int KelParamAtom::indexOfSender() const
{
    QObject* from = sender();
    if (m_editors.contains(from))
        return m_editors.value(from);
    for (auto const& entry : m_sliders) {
        if (entry.first == from)
            return entry.second;
    }
    return 0;
}

QBuffer* KelParamAtom::beginEdit()
{
    QBuffer* before = m_node ? storeParamState() : nullptr;
    // The render never reads a template's own parameters.
    if (m_node)
        NodeEditHooks::beforeWrite();
    return before;
}

bool KelParamAtom::endEdit(QBuffer* before, int writeResult)
{
    if (writeResult < 0) {
        delete before;
        applyParamStateToUI();
        return false;
    }
    if (m_node)
        emit addParamUndo(this, before);
    else
        delete before;
    return true;
}

void KelParamAtom::doubleSpinBox_editingFinished()
{
    if (m_inDestruction || !m_param)
        return;
    auto* spin = qobject_cast<QDoubleSpinBox*>(sender());
    auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*m_param);
    if (!spin || !group)
        return;
    const int index = indexOfSender();
    // A box still showing the stored value was only left, not edited.
    if (KelParamEditorValues::floatBoxShowsValue(group->value(index), spin->value()))
        return;
    QBuffer* before = beginEdit();
    KelNodes::Node* bound = m_node;
    if (bound)
        bound->paramContainer()->blockSignals(true);
    const int result = group->setValue(static_cast<float>(spin->value()), index);
    if (bound)
        bound->paramContainer()->blockSignals(false);
    endEdit(before, result);
}

void KelParamAtom::spinBox_editingFinished()
{
    if (m_inDestruction || !m_param)
        return;
    auto* spin = qobject_cast<QSpinBox*>(sender());
    auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*m_param);
    if (!spin || !group)
        return;
    const int index = indexOfSender();
    QBuffer* before = beginEdit();
    endEdit(before, group->setValue(spin->value(), index));
}

void KelParamAtom::floatSlider_valueChanged(int value)
{
    if (m_inDestruction || !m_param)
        return;
    auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*m_param);
    if (!group)
        return;
    const int index = indexOfSender();
    QBuffer* before = beginEdit();
    endEdit(before, group->setValue(static_cast<float>(value) / 100.0f, index));
}

void KelParamAtom::slider_valueChanged(int value)
{
    if (m_inDestruction || !m_param)
        return;
    auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*m_param);
    if (!group)
        return;
    const int index = indexOfSender();
    QBuffer* before = beginEdit();
    endEdit(before, group->setValue(value, index));
}

void KelParamAtom::checkBox_valueChanged(bool on)
{
    if (m_inDestruction || !m_param)
        return;
    auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*m_param);
    if (!group)
        return;
    QBuffer* before = beginEdit();
    endEdit(before, group->setValue(on ? 1 : 0, 0));
}

void KelParamAtom::colorField_colorChanged(QColor color)
{
    if (m_inDestruction || !m_param)
        return;
    auto* colour = static_cast<KelUtils::ColorParameter*>(*m_param);
    if (!colour)
        return;
    const unsigned char rgba[4] = {static_cast<unsigned char>(color.red()),
                                   static_cast<unsigned char>(color.green()),
                                   static_cast<unsigned char>(color.blue()),
                                   static_cast<unsigned char>(color.alpha())};
    QBuffer* before = beginEdit();
    endEdit(before, colour->setValue(rgba, KelUtils::Color::Gamma, KelUtils::Color::InverseGamma));
}

void KelParamAtom::comboBox_currentIndexChanged(int index)
{
    if (m_inDestruction || !m_param)
        return;
    auto* choice = static_cast<KelUtils::ListParameter*>(*m_param);
    KelUtils::ListItem const* item = choice ? choice->itemAt(index) : nullptr;
    if (!item)
        return;
    const int id = item->id;
    QBuffer* before = beginEdit();
    endEdit(before, choice->setValue(id));
}

void KelParamAtom::stringEdit_editingFinished()
{
    if (m_inDestruction || !m_param)
        return;
    auto* line = qobject_cast<QLineEdit*>(sender());
    auto* string = static_cast<KelUtils::StringParameter*>(*m_param);
    if (!line || !string)
        return;
    QBuffer* before = beginEdit();
    endEdit(before, string->setValue(line->text()));
}

void KelParamAtom::fileName_clicked()
{
    if (m_inDestruction || !m_param)
        return;
    auto* string = static_cast<KelUtils::StringParameter*>(*m_param);
    if (!string)
        return;
    QBuffer* before = m_node ? storeParamState() : nullptr;
    QSettings settings;
    QString start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (settings.contains(kLastLocation))
        start = settings.value(kLastLocation).toString();
    // The modal dialog runs an event loop in which the atom may go.
    const QPointer<KelParamAtom> alive(this);
    const QString path = QFileDialog::getOpenFileName(this, tr("Open Texture"), start,
                                                      tr("Image File (*.jpg *.JPG *.jpeg *.JPEG)"));
    if (!alive || m_inDestruction) {
        delete before;
        return;
    }
    if (!path.isEmpty()) {
        settings.setValue(kLastLocation, path);
        if (m_node)
            NodeEditHooks::beforeWrite();
        string->setValue(path);
    }
    if (m_node)
        emit addParamUndo(this, before);
    else
        delete before;
}

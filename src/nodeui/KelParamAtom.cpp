#include "nodeui/KelParamAtom.h"

#include "nodeui/KelParamEditorValues.h"
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

bool displayEnabled(KelUtils::Parameter const* parameter)
{
    return (parameter->displayFlags() & KelUtils::Parameter::DisplayEnabled) != 0;
}

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

    KelUtils::Parameter* parameter = m_param;
    const bool enabled = displayEnabled(parameter);
    const int type = parameter->type();
    auto* label = new QLabel(parameter->text());

    switch (type) {
    case KelUtils::ParamFloatGroup: {
        m_label = label;
        auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*parameter);
        float minimum = 0.0f, maximum = 0.0f;
        group->getRange(&minimum, &maximum, nullptr);
        auto* row = new QHBoxLayout;
        for (int i = 0; i < group->numValues(); ++i) {
            auto* spin = new QDoubleSpinBox;
            // Decimals first: a value set at the default 2 decimals would be rounded.
            spin->setDecimals(KelParamEditorValues::FloatDecimals);
            spin->setMinimum(minimum);
            spin->setMaximum(maximum);
            spin->setValue(group->value(i));
            spin->setSingleStep(0.1);
            spin->setMaximumWidth(80);
            spin->setEnabled(enabled);
            m_editors.insert(spin, i);
            row->addWidget(spin);
            connect(spin, &QDoubleSpinBox::editingFinished, this, &KelParamAtom::doubleSpinBox_editingFinished);
            if (group->showAsSlider()) {
                spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
                auto* slider = new QSlider(Qt::Horizontal);
                slider->setRange(KelParamEditorValues::floatSliderPosition(minimum),
                                 KelParamEditorValues::floatSliderPosition(maximum));
                slider->setValue(KelParamEditorValues::floatSliderPosition(group->value(i)));
                slider->setMinimumWidth(100);
                slider->setEnabled(enabled);
                m_sliders.append({slider, i});
                row->addWidget(slider);
                connect(slider, &QSlider::valueChanged, this, &KelParamAtom::floatSlider_valueChanged);
            }
        }
        form->addRow(label, row);
        break;
    }
    case KelUtils::ParamIntGroup: {
        m_label = label;
        auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*parameter);
        int minimum = 0, maximum = 0;
        group->getRange(&minimum, &maximum, nullptr);
        auto* row = new QHBoxLayout;
        for (int i = 0; i < group->numValues(); ++i) {
            auto* spin = new QSpinBox;
            spin->setMinimum(minimum);
            spin->setMaximum(maximum);
            spin->setValue(group->value(i));
            spin->setMaximumWidth(80);
            spin->setEnabled(enabled);
            m_editors.insert(spin, i);
            row->addWidget(spin);
            connect(spin, &QSpinBox::editingFinished, this, &KelParamAtom::spinBox_editingFinished);
            if (group->showAsSlider()) {
                spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
                auto* slider = new QSlider(Qt::Horizontal);
                slider->setRange(minimum, maximum);
                slider->setValue(group->value(i));
                slider->setMinimumWidth(100);
                slider->setEnabled(enabled);
                m_sliders.append({slider, i});
                row->addWidget(slider);
                connect(slider, &QSlider::valueChanged, this, &KelParamAtom::slider_valueChanged);
            }
        }
        form->addRow(label, row);
        break;
    }
    case KelUtils::ParamBool: {
        m_label = label;
        auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*parameter);
        auto* check = new QCheckBox;
        check->setChecked(group->value(0) != 0);
        check->setEnabled(enabled);
        m_editors.insert(check, 0);
        connect(check, &QCheckBox::clicked, this, &KelParamAtom::checkBox_valueChanged);
        form->addRow(label, check);
        break;
    }
    case KelUtils::ParamColor: {
        m_label = label;
        auto* colour = static_cast<KelUtils::ColorParameter*>(*parameter);
        auto* field = new KelColorField;
        field->setColor(KelParamEditorValues::toQColor(colour->value()));
        field->setEnabled(enabled);
        m_editors.insert(field, 0);
        connect(field, &KelColorField::colorChanged, this, &KelParamAtom::colorField_colorChanged);
        form->addRow(label, field);
        break;
    }
    case KelUtils::ParamList: {
        m_label = label;
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
        m_editors.insert(combo, 0);
        connect(combo, &QComboBox::currentIndexChanged, this, &KelParamAtom::comboBox_currentIndexChanged);
        form->addRow(label, combo);
        break;
    }
    case KelUtils::ParamString:
    case KelUtils::ParamFileName: {
        m_label = label;
        auto* string = static_cast<KelUtils::StringParameter*>(*parameter);
        auto* line = new QLineEdit(string->value());
        m_editors.insert(line, 0);
        connect(line, &QLineEdit::editingFinished, this, &KelParamAtom::stringEdit_editingFinished);
        if (type == KelUtils::ParamString) {
            form->addRow(label, line);
            break;
        }
        auto* row = new QHBoxLayout;
        row->addWidget(line);
        auto* button = new QPushButton(tr("Select..."));
        connect(button, &QPushButton::clicked, this, &KelParamAtom::fileName_clicked);
        row->addWidget(button);
        form->addRow(label, row);
        break;
    }
    default:
        // A kind without editor: label and an inert line edit, never refreshed or hidden.
        form->addRow(label, new QLineEdit);
        break;
    }

    if (m_node && !m_inDestruction) {
        updateVisibilityStatus();
        applyParamStateToUI();
    }
}

void KelParamAtom::applyParamStateToUI()
{
    if (m_inDestruction || !m_param)
        return;
    KelUtils::Parameter* parameter = m_param;
    const bool enabled = displayEnabled(parameter);
    for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it) {
        auto* editor = qobject_cast<QWidget*>(it.key());
        const int index = it.value();
        if (!editor)
            continue;
        switch (parameter->type()) {
        case KelUtils::ParamFloatGroup: {
            auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*parameter);
            auto* spin = qobject_cast<QDoubleSpinBox*>(editor);
            if (!spin)
                continue;
            {
                const QSignalBlocker blocker(spin);
                spin->setValue(group->value(index));
            }
            if (group->showAsSlider()) {
                if (QSlider* slider = sliderFor(index)) {
                    const QSignalBlocker blocker(slider);
                    slider->setValue(KelParamEditorValues::floatSliderPositionOfBox(spin->value()));
                    slider->setEnabled(enabled);
                }
            }
            break;
        }
        case KelUtils::ParamIntGroup: {
            auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*parameter);
            auto* spin = qobject_cast<QSpinBox*>(editor);
            if (!spin)
                continue;
            {
                const QSignalBlocker blocker(spin);
                spin->setValue(group->value(index));
            }
            if (group->showAsSlider()) {
                if (QSlider* slider = sliderFor(index)) {
                    const QSignalBlocker blocker(slider);
                    slider->setValue(spin->value());
                    slider->setEnabled(enabled);
                }
            }
            break;
        }
        case KelUtils::ParamBool: {
            auto* group = static_cast<KelUtils::NumGroupParameter<int>*>(*parameter);
            auto* check = qobject_cast<QCheckBox*>(editor);
            if (!check)
                continue;
            const QSignalBlocker blocker(check);
            check->setChecked(group->value(index) != 0);
            break;
        }
        case KelUtils::ParamColor: {
            auto* colour = static_cast<KelUtils::ColorParameter*>(*parameter);
            auto* field = qobject_cast<KelColorField*>(editor);
            if (!field)
                continue;
            const QSignalBlocker blocker(field);
            field->setColor(KelParamEditorValues::toQColor(colour->value()));
            break;
        }
        case KelUtils::ParamList: {
            auto* choice = static_cast<KelUtils::ListParameter*>(*parameter);
            auto* combo = qobject_cast<QComboBox*>(editor);
            if (!combo)
                continue;
            KelUtils::ListItem const* current = choice->currentItem();
            {
                const QSignalBlocker blocker(combo);
                combo->setCurrentIndex(current ? combo->findData(QVariant(current->name), Qt::DisplayRole,
                                                                 Qt::MatchExactly | Qt::MatchCaseSensitive)
                                               : -1);
            }
            if (m_node)
                emit updateStatusForDependencies(m_node, m_paramListIndex);
            break;
        }
        case KelUtils::ParamString:
        case KelUtils::ParamFileName: {
            auto* string = static_cast<KelUtils::StringParameter*>(*parameter);
            auto* line = qobject_cast<QLineEdit*>(editor);
            if (!line)
                continue;
            const QSignalBlocker blocker(line);
            line->setText(string->value());
            break;
        }
        default:
            continue;
        }
        editor->setEnabled(enabled);
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

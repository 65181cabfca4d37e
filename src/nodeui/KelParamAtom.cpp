#include "nodeui/KelParamAtom.h"

#include "app/PlainTextWidgets.h"
#include "app/ShownText.h"
#include "nodeui/KelParamRow.h"
#include "nodeui/KelParamSnapshot.h"
#include "nodeui/NodeEditHooks.h"
#include "nodes/Node.h"
#include "params/Parameter.h"
#include "params/ParameterContainer.h"
#include "params/StringParameter.h"
#include "style/KDSynchronizedFormLayout.h"

#include <QBuffer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>

namespace {

const QString kLastLocation = QStringLiteral("LastSavedTextureLocation");

} // namespace

KelParamAtom::KelParamAtom(KelUtils::Parameter* param, QWidget* parent)
    : KelParamEditing(parent)
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
    subscribe(node);
}

void KelParamAtom::notify(KelNodes::Node* node, KelNodes::NodeSubscriber::Event event)
{
    if (event != KelNodes::NodeSubscriber::Destroyed || !node || node != m_node)
        return;
    // The container, its callbacks and the node's parameters go with the node.
    unsubscribe(node);
    m_node = nullptr;
    m_inDestruction = true;
    if (!m_ownsParameter)
        m_param = nullptr;
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
    unsubscribe(m_node);
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
    return m_sliders.value(index);
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
    // A template file names the parameters of its attributes.
    QLabel* label = PlainTextWidgets::nameLabel(m_param->text(), ShownText::kNarrowPlaceChars);
    if (!row.editors.isEmpty())
        m_label = label;
    for (auto const& [editor, index] : std::as_const(row.editors))
        m_editors.insert(editor, index);
    for (auto const& [slider, index] : std::as_const(row.sliders))
        m_sliders.insert(index, slider);
    connectRow(row, m_param);
    if (row.fieldLayout)
        form->addRow(label, row.fieldLayout);
    else
        form->addRow(label, row.field);

    if (m_node && !m_inDestruction) {
        updateVisibilityStatus();
        applyParamStateToUI();
    }
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

KelParamUIRef KelParamAtom::editTarget(QObject* widget) const
{
    if (m_inDestruction || !m_param)
        return {};
    KelParamUIRef target{m_param, m_editors.value(widget, 0)};
    for (auto it = m_sliders.cbegin(); it != m_sliders.cend(); ++it) {
        if (it.value() == widget)
            target.index = it.key();
    }
    return target;
}

QSlider* KelParamAtom::sliderOf(KelParamUIRef const& target) const
{
    return sliderFor(target.index);
}

void KelParamAtom::writeEdit(KelUtils::Parameter*, Write const& write, bool quiet)
{
    KelNodes::Node* bound = m_node;
    QBuffer* before = bound ? storeParamState() : nullptr;
    // The render never reads a template's own parameters.
    if (bound)
        NodeEditHooks::beforeWrite();
    if (bound && quiet)
        bound->paramContainer()->blockSignals(true);
    const int result = write();
    if (bound && quiet)
        bound->paramContainer()->blockSignals(false);
    if (result < 0) {
        delete before;
        applyParamStateToUI();
    } else if (bound) {
        emit addParamUndo(this, before);
    }
}

void KelParamAtom::chooseFile(KelUtils::Parameter*)
{
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

#include "nodeui/KelParam.h"

#include "app/ShownText.h"
#include "nodeui/KelNodeDescription.h"
#include "nodeui/KelParamRow.h"
#include "nodeui/KelParamSnapshot.h"
#include "nodeui/NodeEditHooks.h"
#include "params/IParameterContainer.h"
#include "params/NumGroupParameter.h"
#include "params/Parameter.h"
#include "style/KDSynchronizedFormLayout.h"
#include "style/KelToolBox.h"

#include <QApplication>
#include <QBoxLayout>
#include <QBuffer>
#include <QHash>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace {

// Which panel a container's undo-block registration belongs to: a panel unregisters on
// destruction only while it is still the registered one (a newer panel may have replaced it).
QHash<KelUtils::IParameterContainer*, KelParam*>& undoBlockOwners()
{
    static QHash<KelUtils::IParameterContainer*, KelParam*> owners;
    return owners;
}

QObject* widgetOf(QMap<QObject*, KelParamUIRef*> const& map, KelUtils::Parameter const* parameter, int index)
{
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value()->param == parameter && it.value()->index == index)
            return it.key();
    }
    return nullptr;
}

} // namespace

KelParam::KelParam(KelUtils::IParameterContainer* container, int firstList, int endList)
    : KelParamEditing(nullptr)
    , m_container(container)
    , m_firstList(firstList)
    , m_endList(endList)
{
    if (m_container) {
        m_container->paramCallbacks().append({KelUtils::paramChangeCallback<KelParam>, this});
        const KelUtils::UndoBlockCallback undo{KelUtils::undoBlockBeginCallback<KelParam>,
                                               KelUtils::undoBlockEndCallback<KelParam>, this};
        m_container->setUndoBlockCallback(&undo);
        undoBlockOwners().insert(m_container, this);
        m_ownedUndoBlocks = m_container;
    }
    createUI();
    setAttribute(Qt::WA_MouseTracking);
    setAttribute(Qt::WA_AlwaysShowToolTips);
}

KelParam::~KelParam()
{
    m_inDestruction = true;
    removeFromCallbacks();
    if (m_container && undoBlockOwners().value(m_container) == this)
        m_container->setUndoBlockCallback(nullptr);
    // Also the entry of a container that went before the panel; looked up, not searched for,
    // as thousands of panels may go at once.
    auto const owner = undoBlockOwners().find(m_ownedUndoBlocks);
    if (owner != undoBlockOwners().end() && owner.value() == this)
        undoBlockOwners().erase(owner);
    delete m_undoSnapshot;
    m_undoSnapshot = nullptr;
    qDeleteAll(m_editors);
    qDeleteAll(m_fileButtons);
    qDeleteAll(m_sliders);
    m_editors.clear();
    m_fileButtons.clear();
    m_sliders.clear();
    m_sliderOfValue.clear();
}

void KelParam::removeFromCallbacks()
{
    if (!m_container)
        return;
    QList<KelUtils::ParameterCallback>& callbacks = m_container->paramCallbacks();
    for (int i = 0; i < callbacks.size(); ++i) {
        if (callbacks.at(i).userData == this) {
            callbacks.removeAt(i);
            return;
        }
    }
}

int KelParam::resolvedEnd() const
{
    if (!m_container)
        return 0;
    const int count = int(m_container->paramLists().size());
    if (m_endList < 0 || m_endList > count)
        return count;
    return m_endList;
}

QString KelParam::name()
{
    if (!m_container || m_firstList < 0 || m_firstList >= m_container->paramLists().size())
        return QString();
    return m_container->paramLists().at(m_firstList).name;
}

void KelParam::createUI()
{
    auto* box = new QBoxLayout(QBoxLayout::TopToBottom, this);
    box->setContentsMargins(0, 0, 0, 0);
    m_toolBox = new KelToolBox;
    m_toolBox->setMinimumWidth(300);
    box->addWidget(m_toolBox);

    QVector<KDSynchronizedFormLayout*> layouts;
    auto* current = new KDSynchronizedFormLayout;
    layouts << current;
    int sections = 0;
    bool pending = false;
    QString pendingText;
    auto closeGroup = [&] {
        auto* page = new QWidget;
        page->setLayout(current);
        const int index = m_toolBox->addItem(page, ShownText::name(computeGroupBoxHeader(pendingText)));
        m_toolBox->setExpanded(index, true);
        m_groupNames.insert(sections, pendingText);
        ++sections;
        current = new KDSynchronizedFormLayout;
        layouts << current;
        pending = false;
    };

    bool anyRow = false;
    if (m_container) {
        const int end = resolvedEnd();
        for (int list = qMax(0, m_firstList); list < end; ++list) {
            const QList<KelUtils::Parameter*> parameters = m_container->paramLists().at(list).parameters;
            for (KelUtils::Parameter* parameter : parameters) {
                if (!parameter)
                    continue;
                if (parameter->type() == KelUtils::ParamGroupBox) {
                    if (pending)
                        closeGroup();
                    pending = true;
                    pendingText = parameter->text();
                } else if (buildRow(current, list, parameter)) {
                    anyRow = true;
                }
            }
        }
    }
    // Rows without any group-box parameter still need a section to be seen.
    if (!pending && sections == 0 && anyRow) {
        pending = true;
        pendingText = name();
    }
    if (pending) {
        for (KDSynchronizedFormLayout* layout : layouts)
            layout->setSynchronizedLayouts(layouts);
        closeGroup();
    }
    // The layout after the last section holds no rows.
    delete current;

    m_description = new KelNodeDescription;
    box->addWidget(m_description);
    if (m_container)
        m_description->displayHelpItem(m_container->helpItem());
    rethinkUI();
}

void KelParam::rethinkUI()
{
    if (!m_container || m_inDestruction)
        return;
    const int end = resolvedEnd();
    for (int list = qMax(0, m_firstList); list < end; ++list) {
        const bool active = m_container->paramLists().at(list).active;
        const QList<QWidget*> widgets = m_widgetsByList.values(list);
        for (QWidget* widget : widgets) {
            QWidget* parent = widget->parentWidget();
            if (parent && m_toolBox->indexOf(parent) != -1)
                m_toolBox->setVisible(parent, active);
            else
                widget->setVisible(active);
        }
    }
}

void KelParam::paramChanged(KelUtils::Parameter*)
{
    if (m_inDestruction || !m_container)
        return;
    rethinkUI();
    applyParamStateToUI();
}

void KelParam::applyParamStateToUI()
{
    if (m_inDestruction || !m_container)
        return;
    for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it)
        refreshEditor(it.key(), it.value());
    updateGroupBoxHeaders();
    emit parameterChanged(m_container);
}

void KelParam::refreshRowsOf(KelUtils::Parameter const* parameter)
{
    for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it) {
        if (it.value()->param == parameter)
            refreshEditor(it.key(), it.value());
    }
}

void KelParam::refreshEditor(QObject* widget, KelParamUIRef const* ref)
{
    if (!KelParamRow::refresh(qobject_cast<QWidget*>(widget), sliderFor(ref->param, ref->index), ref->param,
                              ref->index))
        return;
    if (QLabel* label = labelFor(ref->param))
        label->setEnabled((ref->param->displayFlags() & KelUtils::Parameter::DisplayEnabled) != 0);
}

void KelParam::updateGroupBoxHeaders()
{
    if (!m_container)
        return;
    for (auto it = m_groupNames.cbegin(); it != m_groupNames.cend(); ++it)
        m_toolBox->setItemText(it.key(), ShownText::name(computeGroupBoxHeader(it.value())));
}

QString KelParam::computeGroupBoxHeader(QString text)
{
    QString result;
    QString rest = text;
    for (;;) {
        const int brace = rest.indexOf(QLatin1Char('{'));
        if (brace < 0) {
            result += rest;
            return result;
        }
        result += rest.left(brace);
        rest.remove(0, brace + 1);

        QString variable;
        const int colon = rest.indexOf(QLatin1Char(':'));
        if (colon >= 0) {
            variable = rest.left(colon);
            rest.remove(0, colon + 1);
        }
        QString indexText;
        const int close = rest.indexOf(QLatin1Char('}'));
        if (close >= 0) {
            indexText = rest.left(close);
            rest.remove(0, close + 1);
        }
        bool ok = false;
        int index = indexText.toInt(&ok);
        if (!ok)
            index = 0;
        result += getTextForVariable(variable, index);
    }
}

QString KelParam::getTextForVariable(QString const& name, int index)
{
    if (!m_container || m_container->paramLists().isEmpty())
        return QString();
    const QList<KelUtils::Parameter*> parameters = m_container->paramLists().at(0).parameters;
    for (KelUtils::Parameter* parameter : parameters) {
        if (parameter && parameter->name() == name && parameter->type() == KelUtils::ParamFloatGroup) {
            auto* group = static_cast<KelUtils::NumGroupParameter<float>*>(*parameter);
            return QString(QStringLiteral("%1")).arg(static_cast<double>(group->value(index)));
        }
    }
    return QString();
}

QBuffer* KelParam::storeParamState()
{
    return KelParamSnapshot::store(m_container);
}

void KelParam::loadParamState(QBuffer* buffer)
{
    // A snapshot load is a write of the whole container: the render must have stopped.
    if (!m_container || !buffer)
        return;
    NodeEditHooks::beforeWrite();
    KelParamSnapshot::load(m_container, buffer);
}

void KelParam::undoBlockBegin(KelUtils::IParameterContainer*, QString const& name, int id)
{
    m_undoId = id;
    m_undoName = name;
    m_undoBlockOpen = true;
    // A begin that follows a begin without end must not leak the earlier snapshot.
    delete m_undoSnapshot;
    m_undoSnapshot = id < 0 ? storeParamState() : nullptr;
}

void KelParam::undoBlockEnd(KelUtils::IParameterContainer*, bool commit)
{
    if (!m_undoBlockOpen || !m_container)
        return;
    m_undoBlockOpen = false;
    if (m_undoId >= 0) {
        if (commit)
            emit addCommandUndo(this, m_undoName);
        return;
    }
    QBuffer* snapshot = m_undoSnapshot;
    m_undoSnapshot = nullptr;
    if (!snapshot)
        return;
    if (commit) {
        emit addParamUndo(this, snapshot);
        return;
    }
    loadParamState(snapshot);
    delete snapshot;
}

QWidget* KelParam::editorFor(KelUtils::Parameter const* parameter, int index) const
{
    return qobject_cast<QWidget*>(widgetOf(m_editors, parameter, index));
}

QSlider* KelParam::sliderFor(KelUtils::Parameter const* parameter, int index) const
{
    return m_sliderOfValue.value({parameter, index});
}

QPushButton* KelParam::fileButtonFor(KelUtils::Parameter const* parameter) const
{
    return qobject_cast<QPushButton*>(widgetOf(m_fileButtons, parameter, 0));
}

QLabel* KelParam::labelFor(KelUtils::Parameter const* parameter) const
{
    for (auto it = m_labels.cbegin(); it != m_labels.cend(); ++it) {
        if (it.value() == parameter)
            return it.key();
    }
    return nullptr;
}

bool KelParam::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    if (m_inDestruction || !m_description || !m_container)
        return false;
    auto* help = static_cast<QHelpEvent*>(event);
    QWidget* hovered = QApplication::widgetAt(help->globalPos());
    KelParamUIRef* ref = nullptr;
    if (hovered) {
        ref = m_editors.value(hovered);
        if (!ref)
            ref = m_sliders.value(hovered);
        if (!ref && hovered->parentWidget())
            ref = m_editors.value(hovered->parentWidget());
    }
    if (ref && !ref->param->helpItem()->text.isEmpty())
        m_description->displayHelpItem(ref->param->helpItem());
    else if (m_container && m_container->helpItem())
        m_description->displayHelpItem(m_container->helpItem());
    else
        m_description->clear();
    // Unhandled: the event travels on to the panel's parents.
    return false;
}

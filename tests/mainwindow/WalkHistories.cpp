#include "WalkHistories.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "nodes/NodeGraph.h"

#include <QAction>
#include <QUndoGroup>
#include <QUndoStack>

namespace MainWindowTest {

WalkHistories::WalkHistories(TwCore* core, QUndoGroup* group)
    : m_core(core), m_group(group), m_project(core->undoStack()),
      m_partsOnly(qEnvironmentVariableIntValue("VYX_WALK_PARTS_ONLY") == 1)
{
    connect(core, &TwCore::selectedObjectChanged, this, [this](KelNGObject* object) {
        watch(historyOf(object));
        m_stepAside = nullptr;
    });
    watchAll();
}

QUndoStack* WalkHistories::expectedActive() const
{
    return historyOf(m_core->selectedObject());
}

QUndoStack* WalkHistories::historyOf(KelNGObject* object) const
{
    KelNodes::NodeGraph* top = object && object->graph() ? object->graph()->topLevelGraph() : nullptr;
    auto* stack = top ? qobject_cast<QUndoStack*>(top->undoStack()) : nullptr;
    return stack ? stack : m_project.data();
}

QString WalkHistories::nameOf(QUndoStack* stack) const
{
    if (!stack)
        return QStringLiteral("no history");
    if (stack == m_project)
        return QStringLiteral("the project's");
    for (KelTemplate* objectTemplate : m_core->templateStore()->objectTemplateList) {
        if (historyOf(objectTemplate->objectInstance()) == stack)
            return QStringLiteral("template \"%1\"'s").arg(objectTemplate->name());
    }
    return QStringLiteral("a history of no template");
}

void WalkHistories::watchAll()
{
    watch(m_project);
    for (QUndoStack* stack : m_group->stacks())
        watch(stack);
    for (KelTemplate* objectTemplate : m_core->templateStore()->objectTemplateList) {
        if (KelNGObject* instance = objectTemplate->objectInstance())
            watch(historyOf(instance));
    }
}

void WalkHistories::watch(QUndoStack* stack)
{
    if (!stack || find(stack))
        return;
    // Steps made before the walk saw the history are taken as the history holds them.
    History history;
    history.stack = stack;
    for (int i = 0; i < stack->index(); ++i)
        history.steps << stack->text(i);
    history.index = stack->index();
    m_histories << history;
    connect(stack, &QObject::destroyed, this,
            [this] { m_histories.removeIf([](History const& history) { return !history.stack; }); });
}

WalkHistories::History* WalkHistories::find(QUndoStack* stack)
{
    for (History& history : m_histories) {
        if (history.stack == stack)
            return &history;
    }
    return nullptr;
}

WalkHistories::History const* WalkHistories::find(QUndoStack* stack) const
{
    for (History const& history : m_histories) {
        if (history.stack == stack)
            return &history;
    }
    return nullptr;
}

WalkHistories::History& WalkHistories::entry(QUndoStack* stack)
{
    watch(stack);
    return *find(stack);
}

void WalkHistories::stepTaken(QUndoStack* stack)
{
    History& history = entry(stack);
    history.steps = history.steps.mid(0, history.index);
    history.steps << stack->undoText();
    ++history.index;
    stepAside(stack);
}

void WalkHistories::stepAside(QUndoStack* stack)
{
    const bool aside = stack != historyOf(m_core->selectedObject());
    m_stepAside = aside && !m_partsOnly ? stack : nullptr;
}

void WalkHistories::undone(QUndoStack* walked)
{
    if (History* history = find(walked); history && history->index > 0)
        --history->index;
    if (walked == m_stepAside || walked == historyOf(m_core->selectedObject()))
        m_stepAside = nullptr;
}

void WalkHistories::redone(QUndoStack* walked)
{
    if (History* history = find(walked); history && history->index < history->steps.size())
        ++history->index;
    stepAside(walked);
}

void WalkHistories::projectCleared()
{
    History& project = entry(m_project);
    project.steps.clear();
    project.index = 0;
    m_stepAside = nullptr;
}

std::string WalkHistories::fault(QAction* undo) const
{
    QUndoStack* walked = m_group->activeStack();
    QUndoStack* expected = walked && walked == m_stepAside ? walked : expectedActive();
    if (walked != expected) {
        return "Edit > Undo walks " + nameOf(walked).toStdString() + " history where the selection puts it on " +
               nameOf(expected).toStdString();
    }
    History const* history = find(expected);
    if (!history)
        return {};
    if (history->index == 0) {
        if (undo->isEnabled())
            return "Edit > Undo offers \"" + undo->text().toStdString() + "\" on " + nameOf(expected).toStdString() +
                   " history, where the walk made no step left to undo";
        return {};
    }
    QString const text = QStringLiteral("Undo %1").arg(history->steps.at(history->index - 1));
    if (!undo->isEnabled() || undo->text() != text) {
        return "Edit > Undo reads \"" + undo->text().toStdString() + (undo->isEnabled() ? "\"" : "\" (greyed)") + " on " +
               nameOf(expected).toStdString() + " history, where the step made last there is \"" +
               text.toStdString() + "\"";
    }
    return {};
}

} // namespace MainWindowTest

#include "mainwindow/TwUndoHistories.h"

#include "app/KelNGObject.h"
#include "nodes/NodeGraph.h"

#include <QUndoGroup>
#include <QUndoStack>

TwUndoHistories::TwUndoHistories(QUndoGroup* group, QUndoStack* project, QObject* parent)
    : QObject(parent), m_group(group), m_project(project)
{
    follow(project);
    activate(project);
}

QUndoStack* TwUndoHistories::historyOf(KelNGObject* object) const
{
    return historyOf(object ? static_cast<KelNodes::Node*>(object->graph()) : nullptr);
}

QUndoStack* TwUndoHistories::historyOf(KelNodes::Node* node) const
{
    KelNodes::NodeGraph* graph = nullptr;
    if (node)
        graph = node->toNodeGraph() ? node->toNodeGraph() : node->parentGraph();
    KelNodes::NodeGraph* top = graph ? graph->topLevelGraph() : nullptr;
    auto* stack = top ? qobject_cast<QUndoStack*>(top->undoStack()) : nullptr;
    return stack ? stack : m_project.data();
}

void TwUndoHistories::follow(QUndoStack* stack)
{
    if (!stack || !m_group || m_group->stacks().contains(stack))
        return;
    m_group->addStack(stack);
    // A step taken (pushed, merged into the last, or pushed over undone steps), undone or redone
    // makes its history the active one, whatever was active and whatever selection the step's
    // panels showed meanwhile. A history emptied is no step.
    connect(stack, &QUndoStack::indexChanged, this, [this, stack] {
        if (stack->count() > 0)
            activate(stack);
    });
    connect(stack, &QObject::destroyed, this, [this] {
        if (m_group && !m_group->activeStack() && m_project)
            activate(m_project);
    });
}

void TwUndoHistories::selectionChanged(KelNGObject* object)
{
    QUndoStack* stack = historyOf(object);
    follow(stack);
    activate(stack);
}

// The one place the active history is set.
void TwUndoHistories::activate(QUndoStack* stack)
{
    if (stack && m_group && m_group->activeStack() != stack)
        m_group->setActiveStack(stack);
}

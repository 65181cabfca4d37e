#include "mainwindow/TwUndoHistories.h"

#include "app/KelNGObject.h"
#include "nodes/NodeGraph.h"

#include <QUndoGroup>
#include <QUndoStack>

TwUndoHistories::TwUndoHistories(QUndoGroup* group, QUndoStack* project,
                                 std::function<KelNGObject*()> selected, QObject* parent)
    : QObject(parent), m_group(group), m_project(project), m_selected(std::move(selected))
{
    follow(project);
    decide();
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
    m_indexes.insert(stack, stack->index());
    connect(stack, &QUndoStack::indexChanged, this, [this, stack] { indexChanged(stack); });
    // A history that goes away with its template leaves the project's active until the next
    // decision; the selection may be going away with it.
    connect(stack, &QObject::destroyed, this, [this, stack] {
        m_indexes.remove(stack);
        if (m_group && !m_group->activeStack() && m_project)
            m_group->setActiveStack(m_project);
    });
}

void TwUndoHistories::selectionShown()
{
    m_aside = nullptr;
    decide();
}

void TwUndoHistories::refreshed()
{
    decide();
}

// A step pushed, merged into the last or redone raises the index or keeps it; an undo lowers
// it. Only the history's own steps are told apart, never what the step did.
void TwUndoHistories::indexChanged(QUndoStack* stack)
{
    const int before = m_indexes.value(stack, 0);
    m_indexes.insert(stack, stack->index());
    // A history emptied (also as it goes away, with what it belongs to) made no step; the
    // selection is decided on once what empties it is done.
    if (stack->count() == 0) {
        if (m_aside == stack) {
            m_aside = nullptr;
            QMetaObject::invokeMethod(this, &TwUndoHistories::decide, Qt::QueuedConnection);
        }
        return;
    }
    if (stack == historyOf(m_selected ? m_selected() : nullptr)) {
        m_aside = nullptr;
    } else if (stack->index() < before) {
        if (m_aside == stack)
            m_aside = nullptr;
    } else {
        m_aside = stack;
    }
    decide();
}

void TwUndoHistories::decide()
{
    if (!m_group)
        return;
    QUndoStack* stack = m_aside ? m_aside.data() : historyOf(m_selected ? m_selected() : nullptr);
    follow(stack);
    if (stack && m_group->activeStack() != stack)
        m_group->setActiveStack(stack);
}

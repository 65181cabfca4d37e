#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>

class KelNGObject;
class QUndoGroup;
class QUndoStack;

namespace KelNodes {
class Node;
}

// Decides which history Edit > Undo and Redo walk: the selected object's (its top-level graph's,
// the project's when nothing is selected). A step made on another history (a node's or a
// template's name goes onto the project's while a template is selected) leaves that history
// active while it is the step just made, so that Undo takes it back; once it is undone, or
// another step is made, or the selection is shown anew (a selection, the image view entered),
// the selected object's history is active again: Undo never takes a step out of sight. The
// panels' refresh after a change keeps what was decided.
class TwUndoHistories : public QObject
{
    Q_OBJECT

public:
    TwUndoHistories(QUndoGroup* group, QUndoStack* project, std::function<KelNGObject*()> selected,
                    QObject* parent);

    // The history of the top-level graph the object's (the node's) graph lies in; the
    // project's for none.
    QUndoStack* historyOf(KelNGObject* object) const;
    QUndoStack* historyOf(KelNodes::Node* node) const;
    // Puts the history into the group, so that its steps are followed.
    void follow(QUndoStack* stack);
    // The window's reaction to the selection ran: the selected object's history is active.
    void selectionShown();
    // The panels showed the selection again after a change.
    void refreshed();

private:
    void indexChanged(QUndoStack* stack);
    // The one place the active history is set.
    void decide();

    QPointer<QUndoGroup> m_group;
    QPointer<QUndoStack> m_project;
    std::function<KelNGObject*()> m_selected;
    // The history that took the step just made, when it is not the selected object's.
    QPointer<QUndoStack> m_aside;
    QHash<QUndoStack const*, int> m_indexes;
};

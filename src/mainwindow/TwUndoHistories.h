#pragma once

#include <QObject>
#include <QPointer>

class KelNGObject;
class QUndoGroup;
class QUndoStack;

namespace KelNodes {
class Node;
}

// Decides which history Edit > Undo and Redo walk: the project's (the core's) or a template's
// own. The history that took, undid or redid the last step is the active one until an effect or
// a template is selected (or the selection emptied), which makes its history active. Showing the
// selection again (a change of view mode, the panels' refresh after a change) changes nothing,
// so Undo offers the step made last; a history that goes away with its template leaves the
// project's active.
class TwUndoHistories : public QObject
{
    Q_OBJECT

public:
    TwUndoHistories(QUndoGroup* group, QUndoStack* project, QObject* parent);

    // The history of the top-level graph the object's (the node's) graph lies in; the
    // project's for none.
    QUndoStack* historyOf(KelNGObject* object) const;
    QUndoStack* historyOf(KelNodes::Node* node) const;
    // Puts the history into the group, so that its steps make it active.
    void follow(QUndoStack* stack);
    // The core selected `object` (null: emptied its selection).
    void selectionChanged(KelNGObject* object);

private:
    void activate(QUndoStack* stack);

    QPointer<QUndoGroup> m_group;
    QPointer<QUndoStack> m_project;
};

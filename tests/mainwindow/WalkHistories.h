#pragma once

// What Edit > Undo should offer after each step of a walk through the window. For each undo
// history (the project's, each template's) it keeps the steps the walk made there and how far
// they are undone, as the walk made and undid them; and which history Edit > Undo walks: the
// selected object's (the project's when nothing is selected), except that a step made on another
// history (a node's or a template's name goes onto the project's while a template is selected)
// leaves that one active while it is the step just made. Undoing it, a step made elsewhere, a
// selection the core makes or the image view entered give the selected object's back; the
// node-graph view entered and the panels' refresh change nothing. Nothing but New and Open may
// empty the project's history.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <string>

class KelNGObject;
class QAction;
class QUndoGroup;
class QUndoStack;
class TwCore;

namespace MainWindowTest {

class WalkHistories : public QObject
{
public:
    // Starts from the window as it is: every history's steps are the walk's from here on.
    WalkHistories(TwCore* core, QUndoGroup* group);

    // The history that holds the object's steps: its template's own, or the project's.
    QUndoStack* historyOf(KelNGObject* object) const;
    // "the project's" or "template "Glow"'s", for a failure message.
    QString nameOf(QUndoStack* stack) const;

    // Follows the steps and selections of histories made since (new templates).
    void watchAll();
    // The walk made a step that `stack` took (its top is the step).
    void stepTaken(QUndoStack* stack);
    // The walk pressed Undo (Redo) on `walked`, the history Edit > Undo walked then.
    void undone(QUndoStack* walked);
    void redone(QUndoStack* walked);
    // Ctrl+1 took the window from the node-graph view into the image view.
    void imageViewEntered() { m_aside = nullptr; }
    // The history Edit > Undo should walk.
    QUndoStack* expectedActive() const;
    // New and Open empty the project's history.
    void projectCleared();

    // Empty when Edit > Undo names the last step made in the history it walks (or is greyed when
    // that history has none), else what differs.
    std::string fault(QAction* undo) const;

private:
    struct History
    {
        QPointer<QUndoStack> stack;
        QStringList steps;
        int index = 0;
        // The stack's own index when last seen, to tell an undo from a step.
        int seen = 0;
    };
    History* find(QUndoStack* stack);
    History const* find(QUndoStack* stack) const;
    History& entry(QUndoStack* stack);
    void watch(QUndoStack* stack);
    void moved(QUndoStack* stack);

    TwCore* m_core;
    QUndoGroup* m_group;
    // Null once the core let it go, when the window closes.
    QPointer<QUndoStack> m_project;
    QList<History> m_histories;
    // The history that took the step just made, when it is not the selected object's.
    QPointer<QUndoStack> m_aside;
};

} // namespace MainWindowTest

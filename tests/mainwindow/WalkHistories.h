#pragma once

// What Edit > Undo should offer after each step of a walk through the window. For each undo
// history (the project's, each template's) it keeps the steps the walk made there and how far
// they are undone, as the walk made and undid them. Which history Edit > Undo walks follows the
// window's own description, not the window's code: every reaction to a selection (a row or a
// template picked, the image view entered, an effect the core selects as it brings one back)
// and every refresh of the panels after a change makes the history of the selected object's
// top-level graph the active one: the project's for an effect of the project or for no
// selection, a template's own for that template's objects. A step pushed onto another history
// leaves the active one as it was. Nothing but New and Open may empty the project's history.
//
// The window departs from that in one place, on purpose (its help describes it): a step pushed
// onto another history than the selected object's (a node's name while a template is selected)
// leaves that history Undo's while it is the step made last: until it is undone, a step is made
// or redone on the selected object's history, or a selection is shown anew (a selection, the
// image view entered). The walk lets the window do that unless VYX_WALK_PARTS_ONLY=1, with which
// every such step is a fault.

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
    void imageViewEntered() { m_stepAside = nullptr; }
    // The history Edit > Undo should walk, as the selection makes it.
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
    };
    History* find(QUndoStack* stack);
    History const* find(QUndoStack* stack) const;
    History& entry(QUndoStack* stack);
    void watch(QUndoStack* stack);
    // A step made or redone on `stack` lets it stay Undo's when it is not the selected object's.
    void stepAside(QUndoStack* stack);

    TwCore* m_core;
    QUndoGroup* m_group;
    // Null once the core let it go, when the window closes.
    QPointer<QUndoStack> m_project;
    QList<History> m_histories;
    // The history another than the selected object's that took the step made last, while the
    // window's departure lets it stay Undo's; null when there is none or it is not allowed.
    QPointer<QUndoStack> m_stepAside;
    bool m_partsOnly = false;
};

} // namespace MainWindowTest

#pragma once

// What Edit > Undo should offer after each step of a walk through the window. For each undo
// history (the project's, each template's) it keeps the steps the walk made there and how far
// they are undone, as the walk made and undid them; and which history Edit > Undo walks, by the
// one rule the window keeps: the history that took, undid or redid a step last, or the one of
// what the core selected since (the project's when nothing). A history that goes away with its
// template leaves the project's. Nothing else (a change of view mode, a refresh of the panels)
// may change it, and nothing but New and Open may empty the project's.

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
    // The walk pressed Undo (Redo) on the history Edit > Undo walks.
    void undone();
    void redone();
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
    void activate(QUndoStack* stack) { m_active = stack; }

    TwCore* m_core;
    QUndoGroup* m_group;
    // Null once the core let it go, when the window closes.
    QPointer<QUndoStack> m_project;
    QList<History> m_histories;
    QPointer<QUndoStack> m_active;
};

} // namespace MainWindowTest

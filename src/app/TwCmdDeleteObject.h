#pragma once


#include <QList>
#include <QMap>
#include <QUndoCommand>

#include <map>
#include <memory>

class KelNGObject;
class TwCore;
class TwEffectSnapshot;

namespace KelNodes {
class NodeGraph;
}

// Undoable deletion of project objects. Each redo snapshots every listed object (all before the
// first is removed) and removes them; undo re-creates them from their snapshots with their former
// uids, a top-level object at its former place in the object list, an inner one inside the graph
// that held it, with its project object and its own template (edits not yet saved included), its
// links and the kinds of its nodes' and their neighbours' terminals. Objects are kept by the uids
// of their graphs.
//
// An object listed together with an object that contains it is dropped from the list: removing
// the outer one takes it along, and its own snapshot would bring it back twice.
class TwCmdDeleteObject : public QUndoCommand
{
public:
    TwCmdDeleteObject(TwCore* core, KelNodes::NodeGraph* graph, QList<KelNGObject*> objects);
    ~TwCmdDeleteObject() override;

    void undo() override;
    void redo() override;

    // Deletes the snapshots.
    void deleteBuffers();

    QList<int> const& objectUids() const { return m_objectUids; }

private:
    TwCore* m_core;
    KelNodes::NodeGraph* m_graph;
    QList<int> m_objectUids;
    QMap<int, int> m_parentUids;
    std::map<int, std::unique_ptr<TwEffectSnapshot>> m_snapshots;
    // Object-list index of each top-level object at the last redo, before anything was removed.
    QMap<int, int> m_objectIndexes;
};

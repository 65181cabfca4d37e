#pragma once

#include <QList>
#include <QMap>
#include <QUndoCommand>

class KelNGObject;
class KelTemplate;
class QBuffer;
class TwCore;

namespace KelNodes {
class NodeGraph;
}

// Undoable deletion of project objects. Each redo snapshots every listed object (all before the
// first is removed) and removes them; undo re-creates them from their snapshots with their former
// uids, a top-level object at its former place in the object list, an inner one inside the graph
// that held it, with its project object. Objects are kept by the uids of their graphs. An
// object's own template is no part of the project's bytes: a copy of it (edits not yet saved
// included) is kept beside the snapshot and given back with the object.
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

    // Deletes the snapshots and the templates kept with them.
    void deleteBuffers();

    QList<int> const& objectUids() const { return m_objectUids; }

private:
    void keepTemplatesOf(KelNGObject* object);
    void giveTemplatesBack();

    TwCore* m_core;
    KelNodes::NodeGraph* m_graph;
    QList<int> m_objectUids;
    QMap<int, int> m_parentUids;
    QMap<int, QBuffer*> m_snapshots;
    // Copies of the objects' own templates (store templates' instances have none), by graph uid.
    QMap<int, KelTemplate*> m_templates;
    // The graph uids whose template named its object as its instance.
    QList<int> m_templateInstanceUids;
    // Object-list index of each top-level object at the last redo, before anything was removed.
    QMap<int, int> m_objectIndexes;
};

#pragma once

#include "app/TwEffectSnapshot.h"

#include <QUndoCommand>

class KelNGObject;
class TwCore;

// Undoable insertion of a project object. The object is already in the project when the command
// is pushed; undo writes it into a snapshot and removes it, redo re-creates it from the snapshot
// with its former uids and its own template, at its former place in the object list. The object
// is kept by the uid of its graph, never by pointer.
class TwCmdAddObject : public QUndoCommand
{
public:
    TwCmdAddObject(TwCore* core, KelNGObject* object);
    ~TwCmdAddObject() override;

    void undo() override;
    void redo() override;

    int objectUid() const { return m_objectUid; }

private:
    TwCore* m_core;
    int m_objectUid;
    TwEffectSnapshot m_snapshot;
    bool m_firstRedo = true;
    // Where the object stood in the object list when undo removed it (-1: append).
    int m_objectIndex = -1;
};

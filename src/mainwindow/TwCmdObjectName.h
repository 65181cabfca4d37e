#pragma once

#include <QPointer>
#include <QUndoCommand>

class KelNGObject;
class TwObjectEditor;

namespace KelNodes {
class NodeGraph;
}

// Renames a project object (its graph node and its template) and shows the name in both
// panels. Finds the object again by its graph's uid; a graph that is gone leaves it without
// effect.
class TwCmdObjectName : public QUndoCommand
{
public:
    TwCmdObjectName(TwObjectEditor* editor, KelNGObject* object, QString const& newName,
                    QString const& oldName);

    void redo() override;
    void undo() override;

private:
    void apply(QString const& name);

    KelNodes::NodeGraph* m_topLevel;
    QPointer<TwObjectEditor> m_editor;
    QString m_newName;
    QString m_oldName;
    int m_graphUid;
};

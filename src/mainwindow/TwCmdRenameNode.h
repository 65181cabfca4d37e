#pragma once

#include <QPointer>
#include <QUndoCommand>

class KelNGNode;
class TwCore;
class TwObjectEditor;

namespace KelNodes {
class Node;
class NodeGraph;
}

// Renames a node. It goes on the undo stack of the node's top-level graph (the core's for the
// project, a template's own for a template under edit) and finds the node there again by uid;
// a node that is gone leaves it without effect.
class TwCmdRenameNode : public QUndoCommand
{
public:
    TwCmdRenameNode(TwCore* core, TwObjectEditor* editor, KelNGNode* viewNode,
                    QString const& newName, QString const& oldName);
    TwCmdRenameNode(TwCore* core, TwObjectEditor* editor, KelNodes::Node* node,
                    QString const& newName, QString const& oldName);

    void redo() override;
    void undo() override;

    KelNodes::NodeGraph* topLevelGraph() const { return m_topLevel; }

private:
    void apply(QString const& name);

    TwCore* m_core;
    QPointer<TwObjectEditor> m_editor;
    KelNodes::NodeGraph* m_topLevel;
    int m_uid;
    QString m_newName;
    QString m_oldName;
};

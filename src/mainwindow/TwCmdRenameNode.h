#pragma once

#include "mainwindow/TwTopLevelGraphRef.h"

#include <QPointer>
#include <QUndoCommand>

class KelNGNode;
class TwCore;
class TwObjectEditor;

namespace KelNodes {
class Node;
class NodeGraph;
}

// Renames a node, of the project or of a template under edit. It goes on the project's history
// and finds the node again by uid in the graph the node lay in; a node that is gone, or a
// template deleted since, leaves it without effect.
class TwCmdRenameNode : public QUndoCommand
{
public:
    TwCmdRenameNode(TwCore* core, TwObjectEditor* editor, KelNGNode* viewNode,
                    QString const& newName, QString const& oldName);
    TwCmdRenameNode(TwCore* core, TwObjectEditor* editor, KelNodes::Node* node,
                    QString const& newName, QString const& oldName);

    void redo() override;
    void undo() override;

private:
    void apply(QString const& name);

    TwCore* m_core;
    QPointer<TwObjectEditor> m_editor;
    TwTopLevelGraphRef m_topLevel;
    int m_uid;
    QString m_newName;
    QString m_oldName;
};

#pragma once

#include <QMap>
#include <QPointer>
#include <QString>
#include <QUndoCommand>
#include <QVariant>

class TwCore;
class TwObjectEditor;

namespace KelNodes {
class Node;
class NodeGraph;
}

// A node's colour. The colour is kept in the node's editor attributes, which Save writes: the
// command puts back the colour's attributes as they stood before or after the change (the
// layout the node view writes beside them is no part of it). It goes on the undo
// stack of the node's top-level graph and finds the node there again by uid.
class TwCmdNodeColor : public QUndoCommand
{
public:
    using Attributes = QMap<QString, QVariant>;

    TwCmdNodeColor(TwCore* core, TwObjectEditor* editor, KelNodes::Node* node, Attributes before,
                   Attributes after);

    void redo() override;
    void undo() override;

private:
    void apply(Attributes const& attributes);

    TwCore* m_core;
    QPointer<TwObjectEditor> m_editor;
    KelNodes::NodeGraph* m_topLevel;
    int m_uid;
    Attributes m_before;
    Attributes m_after;
};

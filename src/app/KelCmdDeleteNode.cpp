#include "app/KelCmdDeleteNode.h"

#include <QObject>

KelCmdDeleteNode::KelCmdDeleteNode(TwCore* core, KelNodes::NodeGraph* graph, KelNodes::Node* node)
    : KelCmdNodeSnapshot(core, graph, node, QObject::tr("Delete"))
{
}

KelCmdDeleteNode::~KelCmdDeleteNode() = default;

void KelCmdDeleteNode::redo()
{
    takeOut();
}

void KelCmdDeleteNode::undo()
{
    putBack(KelNodes::LoadAllConnections);
}

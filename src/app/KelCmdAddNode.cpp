#include "app/KelCmdAddNode.h"

#include "app/TwCore.h"
#include "app/TwNodeSnapshot.h"
#include "nodes/NodeGraph.h"

#include <QObject>

KelCmdAddNode::KelCmdAddNode(TwCore* core, KelNodes::NodeGraph* graph, KelNodes::Node* node)
    : KelCmdNodeSnapshot(core, graph, node, QObject::tr("Insert"))
{
}

KelCmdAddNode::~KelCmdAddNode() = default;

void KelCmdAddNode::redo()
{
    if (!m_firstRedo) {
        putBack(KelNodes::LoadConnectionsOfLoaded);
        return;
    }
    if (!m_core)
        return;
    // The view made the node already: only the panels and the render catch up.
    m_firstRedo = false;
    m_core->cancelRender();
    if (KelNodes::NodeGraph* owner = TwNodeSnapshot::findGraph(m_graph, m_ownerUid))
        m_core->updateUIAfterGraphOfNodeChanged(owner);
    m_core->start();
}

void KelCmdAddNode::undo()
{
    takeOut();
}

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
    // The view made the node already: it joins its effect's frame, and the panels and the render
    // catch up.
    m_firstRedo = false;
    m_core->cancelRender();
    if (KelNodes::NodeGraph* owner = TwNodeSnapshot::findGraph(m_graph, m_ownerUid)) {
        if (KelNodes::Node* node = m_nodeUid >= 0 ? m_graph->findNode(m_nodeUid, true) : nullptr)
            TwNodeSnapshot::standAtEffectFrame(owner, {node});
        m_core->updateUIAfterGraphOfNodeChanged(owner);
    }
    m_core->start();
}

void KelCmdAddNode::undo()
{
    takeOut();
}

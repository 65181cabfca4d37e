#include "nodes/GraphFrames.h"

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/NodeGraphParameterContainer.h"

namespace KelNodes {

GraphFrames::GraphFrames(NodeGraph const* graph)
{
    if (!graph)
        return;
    m_graphFrame = graph->paramContainer()->currentFrame();
    record(graph);
}

void GraphFrames::record(NodeGraph const* graph)
{
    for (Node const* member : graph->nodes()) {
        if (KelUtils::ParameterContainer const* container = member->paramContainer())
            m_frames.insert(member->uid(), container->currentFrame());
        if (NodeGraph const* sub = member->toNodeGraph())
            record(sub);
    }
}

void GraphFrames::restore(NodeGraph* graph) const
{
    if (!graph)
        return;
    graph->paramContainer()->setCurrentFrame(m_graphFrame);
    restoreMembers(graph);
}

void GraphFrames::restoreMembers(NodeGraph* graph) const
{
    const QList<Node*> members = graph->nodes();
    for (Node* member : members) {
        KelUtils::ParameterContainer* container = member->paramContainer();
        auto it = m_frames.constFind(member->uid());
        if (container && it != m_frames.constEnd())
            container->setCurrentFrame(it.value());
        if (NodeGraph* sub = member->toNodeGraph())
            restoreMembers(sub);
    }
}

} // namespace KelNodes

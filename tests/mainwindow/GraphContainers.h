#pragma once

// What an editor may hold of a node that goes: its parameter container and those of every node
// inside it.

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "params/IParameterContainer.h"

#include <QSet>

namespace MainWindowTest {

// Every parameter container of the node and of the nodes inside it, at any depth.
inline void collectContainers(KelNodes::Node* node, QSet<KelUtils::IParameterContainer*>& into)
{
    if (!node)
        return;
    into.insert(node->paramContainer());
    if (KelNodes::NodeGraph* graph = node->toNodeGraph()) {
        for (KelNodes::Node* inner : graph->nodes())
            collectContainers(inner, into);
    }
}

} // namespace MainWindowTest

#include "nodes/NodeDependencies.h"

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

#include <QSet>

namespace KelNodes {

void NodeDependencies::ownInputPeers(Node const* node, QList<Node const*>& out)
{
    // A generic graph's terminal list holds its members' terminals; only its own count here.
    for (Terminal const* terminal : node->terminalList()) {
        if (!terminal || terminal->hostNode() != node || terminal->inputMask() == 0)
            continue;
        for (Terminal const* peer : terminal->connections()) {
            if (peer && peer->hostNode())
                out.append(peer->hostNode());
        }
    }
}

void NodeDependencies::upstreamOf(Node const* node, Scenario const& scenario,
                                  QList<Node const*>& out)
{
    ownInputPeers(node, out);
    for (auto const& edge : scenario.extraEdges) {
        if (edge.first == node)
            out.append(edge.second);
    }

    if (NodeGraph const* graph = node->toNodeGraph()) {
        for (Node const* member : graph->nodes()) {
            if (member != scenario.moved)
                out.append(member);
        }
        if (scenario.moved && scenario.newParent == graph)
            out.append(scenario.moved);
    }

    NodeGraph const* parent = node == scenario.moved ? scenario.newParent : node->parentGraph();
    if (parent)
        ownInputPeers(parent, out);
}

bool NodeDependencies::reaches(Node const* from, Node const* target, Scenario const& scenario)
{
    if (!from || !target)
        return false;
    QSet<Node const*> seen;
    QList<Node const*> stack{from};
    while (!stack.isEmpty()) {
        Node const* node = stack.takeLast();
        if (node == target)
            return true;
        if (seen.contains(node))
            continue;
        seen.insert(node);
        upstreamOf(node, scenario, stack);
    }
    return false;
}

bool NodeDependencies::dependsOn(Node const* from, Node const* target)
{
    return from != target && reaches(from, target, Scenario());
}

bool NodeDependencies::linkWouldCycle(Node const* a, bool aIsInput, Node const* b, bool bIsInput)
{
    if (!a || !b)
        return false;
    if (!aIsInput && !bIsInput)
        return false;
    // Each end would depend on the other, or a node on itself.
    if ((aIsInput && bIsInput) || a == b)
        return true;

    Node const* dependent = aIsInput ? a : b;
    Node const* dependency = aIsInput ? b : a;

    Scenario scenario;
    scenario.extraEdges.append(qMakePair(dependent, dependency));
    // An input of a graph's own feeds its members as well.
    if (NodeGraph const* graph = dependent->toNodeGraph()) {
        for (Node const* member : graph->nodes())
            scenario.extraEdges.append(qMakePair(member, dependency));
    }
    for (auto const& edge : std::as_const(scenario.extraEdges)) {
        if (edge.first == edge.second || reaches(edge.second, edge.first, scenario))
            return true;
    }
    return false;
}

bool NodeDependencies::moveWouldCycle(Node const* node, NodeGraph const* target)
{
    if (!node || !target)
        return false;
    if (node == target || (node->toNodeGraph() && target->isInsideOf(node->toNodeGraph())))
        return true;

    Scenario scenario;
    scenario.moved = node;
    scenario.newParent = target;
    // The target depends on its new member; the member on what feeds the target's own inputs.
    if (reaches(node, target, scenario))
        return true;
    QList<Node const*> feeders;
    ownInputPeers(target, feeders);
    for (Node const* feeder : std::as_const(feeders)) {
        if (reaches(feeder, node, scenario))
            return true;
    }
    return false;
}

} // namespace KelNodes

#include "nodes/NodeDependencies.h"

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

#include <QSet>

#include <atomic>

namespace KelNodes {

namespace {
std::atomic<quint64> visits{0};
}

void NodeDependencies::ownInputLinks(Node const* node, QList<TerminalLink>& out)
{
    for (Terminal const* terminal : node->terminalList()) {
        if (!terminal || terminal->hostNode() != node || terminal->inputMask() == 0)
            continue;
        for (Terminal const* peer : terminal->connections()) {
            if (peer && peer->hostNode())
                out.append(TerminalLink(terminal, peer));
        }
    }
}

void NodeDependencies::ownInputPeers(Node const* node, QList<Node const*>& out)
{
    QList<TerminalLink> links;
    ownInputLinks(node, links);
    for (TerminalLink const& link : std::as_const(links))
        out.append(link.second->hostNode());
}

void NodeDependencies::upstreamOf(Node const* node, Scenario const& scenario,
                                  QList<Node const*>& out)
{
    visits.fetch_add(1, std::memory_order_relaxed);
    ownInputPeers(node, out);
    for (auto it = scenario.extraEdges.constFind(node);
         it != scenario.extraEdges.cend() && it.key() == node; ++it)
        out.append(it.value());

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

bool NodeDependencies::reaches(Node const* from, QSet<Node const*> const& targets,
                               Scenario const& scenario)
{
    if (!from || targets.isEmpty())
        return false;
    QSet<Node const*> seen;
    QList<Node const*> stack{from};
    while (!stack.isEmpty()) {
        Node const* node = stack.takeLast();
        if (targets.contains(node))
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
    return from != target && target && reaches(from, {target}, Scenario());
}

bool NodeDependencies::linkDependency(Node const* a, bool aIsInput, Node const* b,
                                      bool bIsInput, Edge* out)
{
    *out = Edge(nullptr, nullptr);
    if (!a || !b || (!aIsInput && !bIsInput))
        return true;
    // Each end would depend on the other, or a node on itself.
    if ((aIsInput && bIsInput) || a == b)
        return false;
    const Edge edge = aIsInput ? Edge(a, b) : Edge(b, a);
    // A graph's input would feed the member that feeds it.
    NodeGraph const* graph = edge.first->toNodeGraph();
    if (graph && edge.second->parentGraph() == graph)
        return false;
    *out = edge;
    return true;
}

bool NodeDependencies::linkEdges(Node const* a, bool aIsInput, Node const* b, bool bIsInput,
                                 QList<Edge>* out)
{
    Edge edge;
    if (!linkDependency(a, aIsInput, b, bIsInput, &edge))
        return false;
    if (!edge.first)
        return true;
    out->append(edge);
    // An input of a graph's own feeds its members as well.
    if (NodeGraph const* graph = edge.first->toNodeGraph()) {
        for (Node const* member : graph->nodes())
            out->append(qMakePair(member, edge.second));
    }
    return true;
}

bool NodeDependencies::linkWouldCycle(Node const* a, bool aIsInput, Node const* b, bool bIsInput)
{
    QList<Edge> edges;
    if (!linkEdges(a, aIsInput, b, bIsInput, &edges))
        return true;
    if (edges.isEmpty())
        return false;
    // Every edge leaves from the same dependency: one walk up from it meets any dependent.
    Scenario scenario;
    QSet<Node const*> dependents;
    for (Edge const& edge : std::as_const(edges)) {
        scenario.extraEdges.insert(edge.first, edge.second);
        dependents.insert(edge.first);
    }
    return reaches(edges.first().second, dependents, scenario);
}

quint64 NodeDependencies::visitCount()
{
    return visits.load(std::memory_order_relaxed);
}

void NodeDependencies::countVisits(quint64 nodes)
{
    visits.fetch_add(nodes, std::memory_order_relaxed);
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
    if (reaches(node, {target}, scenario))
        return true;
    QList<Node const*> feeders;
    ownInputPeers(target, feeders);
    for (Node const* feeder : std::as_const(feeders)) {
        if (reaches(feeder, {node}, scenario))
            return true;
    }
    return false;
}

} // namespace KelNodes

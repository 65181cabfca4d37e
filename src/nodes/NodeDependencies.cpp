#include "nodes/NodeDependencies.h"

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

#include <QHash>
#include <QSet>

#include <atomic>

namespace KelNodes {

namespace {
std::atomic<quint64> visits{0};
}

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

bool NodeDependencies::linkEdges(Node const* a, bool aIsInput, Node const* b, bool bIsInput,
                                 QList<Edge>* out)
{
    if (!a || !b || (!aIsInput && !bIsInput))
        return true;
    // Each end would depend on the other, or a node on itself.
    if ((aIsInput && bIsInput) || a == b)
        return false;

    Node const* dependent = aIsInput ? a : b;
    Node const* dependency = aIsInput ? b : a;
    out->append(qMakePair(dependent, dependency));
    // An input of a graph's own feeds its members as well.
    if (NodeGraph const* graph = dependent->toNodeGraph()) {
        for (Node const* member : graph->nodes()) {
            if (member == dependency)
                return false;
            out->append(qMakePair(member, dependency));
        }
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

bool NodeDependencies::edgesWouldCycle(QList<Edge> const& edges)
{
    Scenario scenario;
    for (Edge const& edge : edges) {
        if (!edge.first || !edge.second)
            continue;
        if (edge.first == edge.second)
            return true;
        scenario.extraEdges.insert(edge.first, edge.second);
    }
    // Depth first from every dependent: a cycle through an added edge passes its dependent,
    // and a node on the current path met again closes one. Each node is expanded once.
    enum : char { OnPath = 1, Done = 2 };
    QHash<Node const*, char> state;
    struct Frame
    {
        Node const* node;
        QList<Node const*> next;
        qsizetype index;
    };
    QList<Frame> path;
    for (Edge const& edge : edges) {
        Node const* root = edge.first;
        if (!root || state.value(root) != 0)
            continue;
        state.insert(root, OnPath);
        path.append({root, {}, 0});
        upstreamOf(root, scenario, path.last().next);
        while (!path.isEmpty()) {
            Frame& frame = path.last();
            if (frame.index == frame.next.size()) {
                state.insert(frame.node, Done);
                path.removeLast();
                continue;
            }
            Node const* node = frame.next.at(frame.index++);
            if (!node)
                continue;
            const char seen = state.value(node);
            if (seen == OnPath)
                return true;
            if (seen == Done)
                continue;
            state.insert(node, OnPath);
            QList<Node const*> next;
            upstreamOf(node, scenario, next);
            path.append({node, std::move(next), 0});
        }
    }
    return false;
}

quint64 NodeDependencies::visitCount()
{
    return visits.load(std::memory_order_relaxed);
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

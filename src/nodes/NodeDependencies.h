#pragma once

#include <QList>
#include <QPair>

namespace KelNodes {

class Node;
class NodeGraph;

// Answers whether a change would make a node depend on itself, so that level computation and
// every upstream walk stay finite and no render pulls samples in a circle.
//
// A node depends on: the hosts of the peers of its own input terminals; when it is a graph, its
// members (a graph's outputs come from inside it); and what feeds its parent graph's own input
// terminals (a compound node hands its inputs to its members).
class NodeDependencies
{
public:
    // Would linking `a` and `b` (a terminal of `a` to one of `b`) close a cycle?
    // `aIsInput`: the terminal on `a` has an input mask (so `a` would depend on `b`);
    // `bIsInput` likewise.
    static bool linkWouldCycle(Node const* a, bool aIsInput, Node const* b, bool bIsInput);

    // Would moving `node` into `target` close a cycle or put a graph inside itself?
    static bool moveWouldCycle(Node const* node, NodeGraph const* target);

    // Does `from` depend on `target`, directly or through other nodes?
    static bool dependsOn(Node const* from, Node const* target);

private:
    struct Scenario
    {
        QList<QPair<Node const*, Node const*>> extraEdges; // (dependent, dependency)
        Node const* moved = nullptr;
        NodeGraph const* newParent = nullptr;
    };

    static bool reaches(Node const* from, Node const* target, Scenario const& scenario);
    static void upstreamOf(Node const* node, Scenario const& scenario, QList<Node const*>& out);
    static void ownInputPeers(Node const* node, QList<Node const*>& out);
};

} // namespace KelNodes

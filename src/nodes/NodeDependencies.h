#pragma once

#include <QList>
#include <QMultiHash>
#include <QPair>
#include <QSet>

namespace KelNodes {

class Node;
class NodeGraph;
class Terminal;

// Answers whether a change would make a node depend on itself, so that level computation and
// every upstream walk stay finite and no render pulls samples in a circle.
//
// A node depends on: the hosts of the peers of its own input terminals; when it is a graph, its
// members (a graph's outputs come from inside it); and what feeds its parent graph's own input
// terminals (a compound node hands its inputs to its members).
class NodeDependencies
{
public:
    // (dependent, dependency)
    using Edge = QPair<Node const*, Node const*>;

    // Would linking `a` and `b` (a terminal of `a` to one of `b`) close a cycle?
    // `aIsInput`: the terminal on `a` has an input mask (so `a` would depend on `b`);
    // `bIsInput` likewise.
    static bool linkWouldCycle(Node const* a, bool aIsInput, Node const* b, bool bIsInput);

    // The dependencies such a link adds (what linkWouldCycle weighs); false when the link
    // would close a cycle by itself (both ends inputs, a node with itself, or a graph's input
    // with one of its members).
    static bool linkEdges(Node const* a, bool aIsInput, Node const* b, bool bIsInput,
                          QList<Edge>* out);

    // The one dependency such a link adds, as (dependent, dependency), or two nulls when it adds
    // none; false as for linkEdges. The members of a graph that is the dependent depend on the
    // dependency as well (through the graph's input); linkEdges lists them, this does not.
    static bool linkDependency(Node const* a, bool aIsInput, Node const* b, bool bIsInput,
                               Edge* out);

    // Would moving `node` into `target` close a cycle or put a graph inside itself?
    static bool moveWouldCycle(Node const* node, NodeGraph const* target);

    // Does `from` depend on `target`, directly or through other nodes?
    static bool dependsOn(Node const* from, Node const* target);

    // The links that make `node` depend on another node as things stand, as (own input
    // terminal, peer): those of its own input terminals only (a generic graph's terminal list
    // holds its members' terminals too).
    using TerminalLink = QPair<Terminal const*, Terminal const*>;
    static void ownInputLinks(Node const* node, QList<TerminalLink>& out);

    // Nodes expanded by every walk so far: what the checks cost, for the tests.
    static quint64 visitCount();
    static void countVisits(quint64 nodes);

private:
    struct Scenario
    {
        QMultiHash<Node const*, Node const*> extraEdges; // dependent -> dependency
        Node const* moved = nullptr;
        NodeGraph const* newParent = nullptr;
    };

    static bool reaches(Node const* from, QSet<Node const*> const& targets,
                        Scenario const& scenario);
    static void upstreamOf(Node const* node, Scenario const& scenario, QList<Node const*>& out);
    static void ownInputPeers(Node const* node, QList<Node const*>& out);
};

} // namespace KelNodes

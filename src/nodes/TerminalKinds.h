#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

namespace KelNodes {

class Node;
class NodeGraph;
class Terminal;

// The masks of some nodes' own terminals at one moment, found again by node uid and terminal
// name. A node narrows a free terminal's kind when its other side is linked, so a link taken
// away cannot always be made again on the kinds left behind: an undo puts the recorded kinds
// back before it relinks, and again after, since relinking narrows them anew.
class TerminalKinds
{
public:
    // Adds `node`'s own terminals (a graph's members' terminals it lists belong to them).
    void record(Node const* node);
    // Adds `node` and every node linked with one of its terminals, at any depth inside it.
    void recordWithNeighbours(Node const* node);
    // Sets the recorded masks again on the nodes of `top`'s tree that are still there.
    void apply(NodeGraph* top) const;
    bool isEmpty() const { return m_masks.isEmpty(); }
    bool holds(Node const* node) const;

    // Which ends may take the other's kind for the moment of a link: either, or only one whose
    // kind its node stored and keeps while a document's links are made (Node::keepsStoredKind)
    // or whose node `recorded` holds (an undo step put its kinds back before the load).
    enum class Widen { EitherEnd, StoredKindsOnly };
    // Links two terminals as Terminal::connect does, for a link recorded with the kinds they
    // have now (a document's, or an undo step's) that these kinds do not admit: a node re-kinds
    // a terminal on a later link without asking the links it holds. For the moment of the link
    // the input also takes the output's kind and the output the input's, as `widen` allows, so
    // that the hosts' onConnect decide; then both have their kinds back. 0, or -1 when refused.
    static int linkAsRecorded(Terminal* a, Terminal* b, Widen widen = Widen::EitherEnd,
                              TerminalKinds const* recorded = nullptr);
    QList<int> uids() const { return m_masks.keys(); }

private:
    struct Masks
    {
        QString terminal;
        unsigned int input;
        unsigned int output;
    };
    QHash<int, QList<Masks>> m_masks;
};

} // namespace KelNodes

#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>

namespace KelNodes {

class Node;
class Terminal;

// For links made one after another in a known order, whether each would close a cycle with
// the links standing at the moment it is made: what Terminal::connect decides, without a walk
// over everything upstream for every link.
//
// Every link that can stand during the batch is one standing before it or one of the batch,
// so a cycle through a new link lies within one strongly connected component of the union of
// both. A link whose ends lie in different components is never walked; within a component, an
// order of the nodes with each dependency before its dependents is kept as links are made, and
// only a link against that order is walked, over the nodes between its ends.
//
// Walks that a crafted batch can make long and many are bounded by a budget in proportion to
// the union's size: once spent, a link that would need a walk is refused as closing a cycle.
// A union without cycles (every project the program writes) needs no walk at all.
class LinkCycleCheck
{
public:
    using TerminalLink = QPair<Terminal const*, Terminal const*>;
    struct Link
    {
        TerminalLink terminals; // (the input on the dependent, the other end)
        Node const* dependent = nullptr; // null: the link adds no dependency
        Node const* dependency = nullptr;
    };

    explicit LinkCycleCheck(QList<Link> const& links);

    // False when the links standing already close a cycle, or a link was made that the check
    // did not weigh: later links must be walked one by one.
    bool valid() const { return m_valid; }
    void invalidate() { m_valid = false; }

    // Would link `i` close a cycle, with the links standing now? Asked right before it is made.
    bool closesCycle(qsizetype i);

    // The links that making a link between `a` and `b` may drop (those of a single-link end).
    static QList<TerminalLink> replaceable(Terminal const* a, Terminal const* b);
    // After the attempt: which of `before` were dropped, and whether the link was made.
    void linked(QList<TerminalLink> const& before, TerminalLink made, bool isMade);

private:
    struct Step
    {
        int node;
        int tag; // a link's index in m_active, -1 for membership
    };

    int indexOf(Node const* node);
    int tagOf(TerminalLink link, bool standing);
    void setActive(TerminalLink link, bool active);
    bool isActive(int tag) const { return tag < 0 || m_active.at(tag); }
    void stepsOf(int node, QList<Step>& out);
    void findComponents();
    void orderComponents();
    bool addToOrder(int dependent, int dependency);
    bool spend(qint64 work);
    // False when the budget ran out before the walk ended.
    bool walk(int from, bool towardsDependents, int bound, QList<int>& out, int stopAt,
              bool* stopped);
    QList<int> const& membersInComponent(Node const* graph, int component);

    QList<Link> m_links;
    QHash<Node const*, QList<qsizetype>> m_linksByDependent;

    QList<Node const*> m_nodes;
    QHash<Node const*, int> m_index;
    QList<QList<Step>> m_steps; // what each node may depend on during the batch
    QList<int> m_component; // strongly connected component, -1 when a node is alone in its component
    QList<int> m_finished; // in the order the search finished them
    QList<QList<Step>> m_dependencies; // within the component
    QList<QList<Step>> m_dependents;
    QList<int> m_order; // within a component, dependencies first
    QList<int> m_mark;
    int m_markEpoch = 0;

    QHash<TerminalLink, int> m_tags;
    QList<bool> m_active;
    // (dependent, dependency) found to close a cycle; true until a link is dropped.
    QSet<QPair<int, int>> m_refused;
    QHash<Node const*, QHash<int, QList<int>>> m_membersByComponent;
    qint64 m_budget = 0;
    bool m_valid = true;
};

} // namespace KelNodes

#include "nodes/NodeDependencies.h"

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

#include <QHash>
#include <QSet>

#include <atomic>
#include <functional>

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

bool NodeDependencies::linkDependency(Node const* a, bool aIsInput, Node const* b,
                                      bool bIsInput, Edge* out)
{
    *out = Edge(nullptr, nullptr);
    if (!a || !b || (!aIsInput && !bIsInput))
        return true;
    // Each end would depend on the other, or a node on itself.
    if ((aIsInput && bIsInput) || a == b)
        return false;
    *out = aIsInput ? Edge(a, b) : Edge(b, a);
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
        for (Node const* member : graph->nodes()) {
            if (member == edge.second)
                return false;
            out->append(qMakePair(member, edge.second));
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

namespace {

// Depth first from every dependent, over the present dependencies and the links together. A
// node met again on the current path closes a cycle: the last link on it is refused, and what
// was reached through that link leaves the path, to be reached anew if at all. A node done
// depends, through the links kept, only on nodes done, none on itself.
//
// Work is allowed in proportion to what the first visits of the nodes cost. Many links that
// close one long cycle again and again would send the search round it for each of them: past
// the allowance the link of the step that closes a cycle is refused instead (nothing leaves
// the path but when that step is a present dependency), and past twice the allowance every
// link is refused that the search has not vouched for.
class CycleSearch
{
public:
    using Edge = NodeDependencies::Edge;
    struct Step
    {
        Node const* node;
        qsizetype link; // -1: a present dependency
    };
    using Steps = std::function<void(Node const*, QList<Step>&)>;

    CycleSearch(QList<Edge> const& links, Steps steps)
        : m_links(links), m_steps(std::move(steps)), m_refused(links.size(), false)
    {
        m_allowance = 4 * qint64(links.size()) + 1024;
    }

    QList<bool> run()
    {
        for (qsizetype root = 0; root < m_links.size() && !exhausted(); ++root) {
            Node const* start = m_links.at(root).first;
            if (start && m_links.at(root).second && !m_refused.at(root) && !m_state.contains(start))
                searchFrom(start);
        }
        if (exhausted())
            refuseWhatIsNotVouchedFor();
        return m_refused;
    }

private:
    static constexpr qsizetype Done = -1;
    struct Frame
    {
        Node const* node;
        qsizetype via; // the link that reached it, -1 for a present dependency or a start
        QList<Step> next;
        qsizetype index;
    };

    bool exhausted()
    {
        if (m_work <= m_allowance)
            return false;
        if (m_lastOnCycle) {
            m_lastOnCycle = false;
            m_allowance *= 2;
            return m_work > m_allowance;
        }
        return true;
    }

    void searchFrom(Node const* start)
    {
        push(start, -1);
        while (!m_path.isEmpty() && !exhausted()) {
            Frame& frame = m_path.last();
            if (frame.index == frame.next.size()) {
                pop(true);
                continue;
            }
            const Step step = frame.next.at(frame.index++);
            ++m_work;
            if (!step.node || (step.link >= 0 && m_refused.at(step.link)))
                continue;
            const auto found = m_state.constFind(step.node);
            if (found == m_state.cend())
                push(step.node, step.link);
            else if (found.value() != Done)
                closeCycle(found.value(), step.link);
        }
    }

    // The path from frame `at` to its top and the step back to `at` form a cycle.
    void closeCycle(qsizetype at, qsizetype stepLink)
    {
        qsizetype refused = m_lastOnCycle ? stepLink : -1;
        if (m_lastOnCycle || stepLink < 0) {
            for (qsizetype k = m_path.size() - 1; k > at; --k) {
                ++m_work;
                const qsizetype via = m_path.at(k).via;
                if (m_lastOnCycle)
                    refused = qMax(refused, via);
                else if (via >= 0) {
                    refused = via;
                    break;
                }
            }
        } else {
            refused = stepLink;
        }
        // The present dependencies alone never close a cycle.
        if (refused < 0)
            return;
        m_refused[refused] = true;
        const qsizetype cut = m_lowestVia.value(refused, m_path.size());
        while (m_path.size() > cut)
            pop(false);
    }

    void push(Node const* node, qsizetype via)
    {
        const qsizetype at = m_path.size();
        m_state.insert(node, at);
        if (via >= 0 && !m_lowestVia.contains(via))
            m_lowestVia.insert(via, at);
        m_path.append({node, via, {}, 0});
        m_steps(node, m_path.last().next);
        const qint64 size = 1 + m_path.last().next.size();
        m_work += size;
        if (!m_visitedOnce.contains(node)) {
            m_visitedOnce.insert(node);
            m_allowance += 4 * size;
        }
    }

    void pop(bool done)
    {
        Frame const& frame = m_path.last();
        if (done)
            m_state.insert(frame.node, Done);
        else
            m_state.remove(frame.node);
        const auto lowest = m_lowestVia.constFind(frame.via);
        if (lowest != m_lowestVia.cend() && lowest.value() == m_path.size() - 1)
            m_lowestVia.erase(lowest);
        m_path.removeLast();
    }

    // A link whose dependent is done depends on done nodes only, its members with it.
    void refuseWhatIsNotVouchedFor()
    {
        while (!m_path.isEmpty())
            pop(false);
        for (qsizetype i = 0; i < m_links.size(); ++i) {
            Node const* dependent = m_links.at(i).first;
            if (dependent && m_links.at(i).second && m_state.value(dependent, 0) != Done)
                m_refused[i] = true;
        }
    }

    QList<Edge> const& m_links;
    Steps m_steps;
    QList<bool> m_refused;
    QHash<Node const*, qsizetype> m_state; // index on the path, or Done
    QList<Frame> m_path;
    QHash<qsizetype, qsizetype> m_lowestVia; // link -> the lowest frame it reached
    QSet<Node const*> m_visitedOnce;
    qint64 m_allowance = 0;
    qint64 m_work = 0;
    bool m_lastOnCycle = true;
};

} // namespace

QList<bool> NodeDependencies::cyclicLinks(QList<Edge> const& links)
{
    // A graph's own input feeds its members: links are found by their dependent.
    QMultiHash<Node const*, qsizetype> byDependent;
    for (qsizetype i = 0; i < links.size(); ++i) {
        if (links.at(i).first && links.at(i).second)
            byDependent.insert(links.at(i).first, i);
    }
    auto steps = [&links, &byDependent](Node const* node, QList<CycleSearch::Step>& out) {
        QList<Node const*> present;
        upstreamOf(node, Scenario(), present);
        out.reserve(present.size());
        for (Node const* upstream : std::as_const(present))
            out.append({upstream, -1});
        for (Node const* dependent : {node, static_cast<Node const*>(node->parentGraph())}) {
            if (!dependent)
                continue;
            for (auto it = byDependent.constFind(dependent);
                 it != byDependent.cend() && it.key() == dependent; ++it)
                out.append({links.at(it.value()).second, it.value()});
        }
    };
    return CycleSearch(links, steps).run();
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

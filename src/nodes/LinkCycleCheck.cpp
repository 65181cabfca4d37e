#include "nodes/LinkCycleCheck.h"

#include "nodes/Node.h"
#include "nodes/NodeDependencies.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

#include <algorithm>

namespace KelNodes {

namespace {

// Far above what reordering the program's own links costs, far below the square of a
// project's size.
constexpr qint64 WalkBudgetFloor = qint64(1) << 20;
constexpr qint64 WalkBudgetPerStep = 64;

} // namespace

LinkCycleCheck::LinkCycleCheck(QList<Link> const& links) : m_links(links)
{
    for (qsizetype i = 0; i < m_links.size(); ++i) {
        if (m_links.at(i).dependent && m_links.at(i).dependency)
            m_linksByDependent[m_links.at(i).dependent].append(i);
    }
    findComponents();
    orderComponents();
    qint64 size = m_nodes.size();
    for (QList<Step> const& steps : std::as_const(m_steps))
        size += steps.size();
    m_budget = WalkBudgetFloor + WalkBudgetPerStep * size;
    m_steps.clear();
}

bool LinkCycleCheck::spend(qint64 work)
{
    m_budget -= work;
    return m_budget >= 0;
}

int LinkCycleCheck::indexOf(Node const* node)
{
    const auto found = m_index.constFind(node);
    if (found != m_index.cend())
        return found.value();
    const int index = int(m_nodes.size());
    m_index.insert(node, index);
    m_nodes.append(node);
    m_steps.append(QList<Step>());
    m_component.append(-1);
    return index;
}

int LinkCycleCheck::tagOf(TerminalLink link, bool standing)
{
    const auto found = m_tags.constFind(link);
    if (found != m_tags.cend()) {
        if (standing)
            m_active[found.value()] = true;
        return found.value();
    }
    const int tag = int(m_active.size());
    m_tags.insert(link, tag);
    m_active.append(standing);
    return tag;
}

void LinkCycleCheck::setActive(TerminalLink link, bool active)
{
    const auto found = m_tags.constFind(link);
    if (found == m_tags.cend())
        return;
    // A dropped link may undo a path a refusal was found on.
    if (!active && m_active.at(found.value()))
        m_refused.clear();
    m_active[found.value()] = active;
}

// As NodeDependencies walks upstream, with the links of the batch added to those standing.
void LinkCycleCheck::stepsOf(int index, QList<Step>& out)
{
    NodeDependencies::countVisits(1);
    Node const* node = m_nodes.at(index);
    NodeGraph const* parent = node->parentGraph();
    QList<TerminalLink> standing;
    NodeDependencies::ownInputLinks(node, standing);
    if (parent)
        NodeDependencies::ownInputLinks(parent, standing);
    for (TerminalLink const& link : std::as_const(standing))
        out.append({indexOf(link.second->hostNode()), tagOf(link, true)});
    if (NodeGraph const* graph = node->toNodeGraph()) {
        for (Node const* member : graph->nodes())
            out.append({indexOf(member), -1});
    }
    for (Node const* dependent : {node, static_cast<Node const*>(parent)}) {
        if (!dependent)
            continue;
        const auto batch = m_linksByDependent.constFind(dependent);
        if (batch == m_linksByDependent.cend())
            continue;
        for (qsizetype i : batch.value()) {
            Link const& link = m_links.at(i);
            out.append({indexOf(link.dependency), tagOf(link.terminals, false)});
        }
    }
}

// Tarjan's search from every dependent of the batch, over the standing links and the batch's.
void LinkCycleCheck::findComponents()
{
    struct Frame
    {
        int node;
        qsizetype next;
    };
    QList<int> discovered;
    QList<int> low;
    QList<bool> onStack;
    QList<int> stack;
    QList<Frame> frames;
    int counter = 0;
    int components = 0;
    auto push = [&](int node) {
        QList<Step> steps;
        stepsOf(node, steps);
        m_steps[node] = steps;
        discovered.resize(m_nodes.size(), -1);
        low.resize(m_nodes.size(), -1);
        onStack.resize(m_nodes.size(), false);
        discovered[node] = low[node] = counter++;
        onStack[node] = true;
        stack.append(node);
        frames.append({node, 0});
    };
    for (Link const& link : std::as_const(m_links)) {
        if (!link.dependent || !link.dependency)
            continue;
        const int root = indexOf(link.dependent);
        if (root < discovered.size() && discovered.at(root) >= 0)
            continue;
        push(root);
        while (!frames.isEmpty()) {
            const int node = frames.last().node;
            if (frames.last().next < m_steps.at(node).size()) {
                const int next = m_steps.at(node).at(frames.last().next++).node;
                if (discovered.at(next) < 0)
                    push(next);
                else if (onStack.at(next))
                    low[node] = qMin(low.at(node), discovered.at(next));
                continue;
            }
            frames.removeLast();
            m_finished.append(node);
            if (!frames.isEmpty()) {
                const int caller = frames.last().node;
                low[caller] = qMin(low.at(caller), low.at(node));
            }
            if (low.at(node) != discovered.at(node))
                continue;
            const qsizetype first = stack.lastIndexOf(node);
            const bool alone = first == stack.size() - 1;
            for (qsizetype k = first; k < stack.size(); ++k) {
                onStack[stack.at(k)] = false;
                m_component[stack.at(k)] = alone ? -1 : components;
            }
            stack.resize(first);
            if (!alone)
                ++components;
        }
    }
}

// Within each component, the links among its nodes, and a first order of them that the links
// standing now keep: depth first over those links, dependencies finished first.
void LinkCycleCheck::orderComponents()
{
    const qsizetype count = m_nodes.size();
    m_dependencies.resize(count);
    m_dependents.resize(count);
    m_order.resize(count, -1);
    m_mark.resize(count, 0);
    for (int node = 0; node < count; ++node) {
        if (m_component.at(node) < 0)
            continue;
        for (Step const& step : std::as_const(m_steps.at(node))) {
            if (m_component.at(step.node) != m_component.at(node))
                continue;
            m_dependencies[node].append(step);
            m_dependents[step.node].append({node, step.tag});
        }
    }
    enum : int { Unseen = 0, OnPath = 1, Done = 2 };
    QList<int> state(count, Unseen);
    QList<QPair<int, qsizetype>> path;
    int next = 0;
    for (int root : std::as_const(m_finished)) {
        if (m_component.at(root) < 0 || state.at(root) != Unseen)
            continue;
        state[root] = OnPath;
        path.append({root, 0});
        while (!path.isEmpty()) {
            const int node = path.last().first;
            QList<Step> const& steps = m_dependencies.at(node);
            if (path.last().second < steps.size()) {
                Step const& step = steps.at(path.last().second++);
                if (!isActive(step.tag))
                    continue;
                if (state.at(step.node) == OnPath) {
                    // The links standing close a cycle already: nothing here can be trusted.
                    m_valid = false;
                    return;
                }
                if (state.at(step.node) == Unseen) {
                    state[step.node] = OnPath;
                    path.append({step.node, 0});
                }
                continue;
            }
            NodeDependencies::countVisits(1);
            state[node] = Done;
            m_order[node] = next++;
            path.removeLast();
        }
    }
}

QList<int> const& LinkCycleCheck::membersInComponent(Node const* graph, int component)
{
    static QList<int> const none;
    auto found = m_membersByComponent.find(graph);
    if (found == m_membersByComponent.end()) {
        QHash<int, QList<int>> byComponent;
        for (Node const* member : graph->toNodeGraph()->nodes()) {
            const int index = m_index.value(member, -1);
            if (index >= 0 && m_component.at(index) >= 0)
                byComponent[m_component.at(index)].append(index);
        }
        found = m_membersByComponent.insert(graph, byComponent);
    }
    const auto members = found.value().constFind(component);
    return members == found.value().cend() ? none : members.value();
}

bool LinkCycleCheck::closesCycle(qsizetype i)
{
    Link const& link = m_links.at(i);
    if (!m_valid || !link.dependent || !link.dependency)
        return false;
    const int dependency = m_index.value(link.dependency, -1);
    if (dependency < 0 || m_component.at(dependency) < 0)
        return false;
    const int component = m_component.at(dependency);
    const int dependent = m_index.value(link.dependent);
    // The dependent, and when it is a graph its members as well, come to depend on the
    // dependency: only those in its component can close a cycle with it.
    static QList<int> const noMembers;
    const bool dependentInComponent = m_component.at(dependent) == component;
    QList<int> const& members = link.dependent->toNodeGraph() ? membersInComponent(link.dependent, component)
                                                               : noMembers;
    if (!dependentInComponent && members.isEmpty())
        return false;
    if (m_refused.contains({dependent, dependency}))
        return true;
    bool closes = !spend(1 + members.size());
    if (!closes && dependentInComponent)
        closes = !addToOrder(dependent, dependency);
    for (qsizetype k = 0; !closes && k < members.size(); ++k)
        closes = !addToOrder(members.at(k), dependency);
    if (closes)
        m_refused.insert({dependent, dependency});
    return closes;
}

// Pearce and Kelly's order keeping: a dependency after its dependent swaps the nodes between
// them that depend on the dependent with those the dependency depends on.
bool LinkCycleCheck::addToOrder(int dependent, int dependency)
{
    const int low = m_order.at(dependent);
    const int high = m_order.at(dependency);
    if (high < low)
        return true;
    bool closes = false;
    QList<int> after;
    if (!walk(dependent, true, high, after, dependency, &closes) || closes)
        return false;
    QList<int> before;
    if (!walk(dependency, false, low, before, -1, nullptr))
        return false;

    auto byOrder = [this](int a, int b) { return m_order.at(a) < m_order.at(b); };
    std::sort(before.begin(), before.end(), byOrder);
    std::sort(after.begin(), after.end(), byOrder);
    QList<int> places;
    places.reserve(before.size() + after.size());
    for (int node : std::as_const(before))
        places.append(m_order.at(node));
    for (int node : std::as_const(after))
        places.append(m_order.at(node));
    std::sort(places.begin(), places.end());
    qsizetype slot = 0;
    for (int node : std::as_const(before))
        m_order[node] = places.at(slot++);
    for (int node : std::as_const(after))
        m_order[node] = places.at(slot++);
    return true;
}

// The nodes reached from `from` over the links standing, towards its dependents through nodes
// ordered before `bound`, or towards its dependencies through nodes ordered after it.
bool LinkCycleCheck::walk(int from, bool towardsDependents, int bound, QList<int>& out,
                          int stopAt, bool* stopped)
{
    const int mark = ++m_markEpoch;
    m_mark[from] = mark;
    QList<int> stack{from};
    while (!stack.isEmpty()) {
        const int node = stack.takeLast();
        NodeDependencies::countVisits(1);
        QList<Step> const& steps = towardsDependents ? m_dependents.at(node) : m_dependencies.at(node);
        if (!spend(1 + steps.size()))
            return false;
        out.append(node);
        for (Step const& step : steps) {
            if (!isActive(step.tag) || m_mark.at(step.node) == mark)
                continue;
            if (step.node == stopAt) {
                *stopped = true;
                return true;
            }
            const int order = m_order.at(step.node);
            if (towardsDependents ? order >= bound : order <= bound)
                continue;
            m_mark[step.node] = mark;
            stack.append(step.node);
        }
    }
    return true;
}

QList<LinkCycleCheck::TerminalLink> LinkCycleCheck::replaceable(Terminal const* a, Terminal const* b)
{
    QList<TerminalLink> links;
    for (Terminal const* end : {a, b}) {
        if (!end || end->allowsManyLinks())
            continue;
        for (Terminal const* peer : end->connections())
            links.append(TerminalLink(end, peer));
    }
    return links;
}

void LinkCycleCheck::linked(QList<TerminalLink> const& before, TerminalLink made, bool isMade)
{
    for (TerminalLink const& link : before) {
        if (!link.first->isConnectedTo(link.second)) {
            setActive(link, false);
            setActive(TerminalLink(link.second, link.first), false);
        }
    }
    if (isMade)
        setActive(made, true);
}

} // namespace KelNodes

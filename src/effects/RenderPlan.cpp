#include "effects/RenderPlan.h"

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

#include <QHash>
#include <QList>

#include <functional>
#include <queue>

namespace KelVyxNodes {

namespace {

using KelNodes::Node;
using KelNodes::NodeGraph;

// The walk of the lists: members in list order, each graph's members right after it, then its
// closing step. Lists are copied: nothing here may replace one, but a walk must not depend on it.
struct ListWalk
{
    std::vector<RenderPlan::Step> steps;
    QHash<Node const*, int> memberStep;
    QHash<Node const*, int> closeStep;

    void visit(NodeGraph const* graph)
    {
        const QList<Node*> members = graph->nodes();
        for (Node* member : members) {
            if (!member)
                continue;
            memberStep.insert(member, int(steps.size()));
            steps.push_back({RenderPlan::Kind::Member, member, graph});
            if (NodeGraph const* sub = member->toNodeGraph()) {
                visit(sub);
                closeStep.insert(member, int(steps.size()));
                steps.push_back({RenderPlan::Kind::CloseEffect, member, graph});
            }
        }
    }
};

class Reads
{
public:
    explicit Reads(std::size_t steps) : m_next(steps), m_waiting(steps, 0) {}

    // `step` comes after `first` (no step of this render: nothing to wait for).
    void after(int step, int first)
    {
        if (first < 0 || first == step)
            return;
        m_next[std::size_t(first)].push_back(step);
        ++m_waiting[std::size_t(step)];
    }
    std::vector<int> const& next(int step) const { return m_next[std::size_t(step)]; }
    // One fewer step to wait for; true when none is left.
    bool release(int step) { return --m_waiting[std::size_t(step)] == 0; }
    bool free(int step) const { return m_waiting[std::size_t(step)] == 0; }

private:
    std::vector<std::vector<int>> m_next;
    std::vector<int> m_waiting;
};

// The step whose end makes the output `peer` readable: an effect's own output is read once the
// effect is closed, any other once its node is resolved.
int stepOfOutput(ListWalk const& walk, KelNodes::Terminal const* peer)
{
    Node const* host = peer->hostNode();
    const auto close = walk.closeStep.constFind(host);
    if (close != walk.closeStep.constEnd())
        return close.value();
    return walk.memberStep.value(host, -1);
}

void noteReadsOf(ListWalk const& walk, int index, Reads& reads)
{
    RenderPlan::Step const& step = walk.steps[std::size_t(index)];
    Node const* node = step.node;
    if (step.kind == RenderPlan::Kind::CloseEffect) {
        reads.after(index, walk.memberStep.value(node, -1));
        if (auto const* effect = dynamic_cast<VyxNodeGraph const*>(node)) {
            // The outputs read the destination, which blends over the source.
            reads.after(index, walk.memberStep.value(effect->sourceNode(), -1));
            reads.after(index, walk.memberStep.value(effect->destinationNode(), -1));
        } else if (NodeGraph const* graph = node->toNodeGraph()) {
            for (Node const* member : QList<Node*>(graph->nodes()))
                reads.after(index, walk.closeStep.value(member, walk.memberStep.value(member, -1)));
        }
        return;
    }
    // The node's own inputs (a graph's boundary terminals belong to its members).
    for (KelNodes::Terminal const* own : QList<KelNodes::Terminal*>(node->terminalList())) {
        if (!own || !own->isInput() || own->hostNode() != node)
            continue;
        for (KelNodes::Terminal const* peer : QList<KelNodes::Terminal*>(own->connections())) {
            if (peer && peer->isOutput())
                reads.after(index, stepOfOutput(walk, peer));
        }
    }
    // An effect's source reads what the effect's own step resolved for its inputs.
    if (dynamic_cast<NodeOriginalImage const*>(node))
        reads.after(index, walk.memberStep.value(static_cast<Node const*>(step.graph), -1));
}

} // namespace

RenderPlan::RenderPlan(KelNodes::NodeGraph const* top)
{
    if (!top)
        return;
    ListWalk walk;
    walk.visit(top);
    const int count = int(walk.steps.size());
    Reads reads{walk.steps.size()};
    for (int index = 0; index < count; ++index)
        noteReadsOf(walk, index, reads);

    // Of the steps free to go, the one first in the walk: where the walk's order holds, it is
    // kept step for step.
    std::priority_queue<int, std::vector<int>, std::greater<int>> ready;
    for (int index = 0; index < count; ++index) {
        if (reads.free(index))
            ready.push(index);
    }
    std::vector<bool> placed(walk.steps.size(), false);
    m_steps.reserve(walk.steps.size());
    while (!ready.empty()) {
        const int index = ready.top();
        ready.pop();
        placed[std::size_t(index)] = true;
        m_steps.push_back(walk.steps[std::size_t(index)]);
        for (int next : reads.next(index)) {
            if (reads.release(next))
                ready.push(next);
        }
    }
    for (int index = 0; index < count; ++index) {
        if (!placed[std::size_t(index)])
            m_steps.push_back(walk.steps[std::size_t(index)]);
    }
}

} // namespace KelVyxNodes

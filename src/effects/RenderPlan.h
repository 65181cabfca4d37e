#pragma once

#include <vector>

namespace KelNodes {
class Node;
class NodeGraph;
}

namespace KelVyxNodes {

// The order in which a render resolves and prepares the nodes of a graph tree. Each member is
// one step (an effect's step resolves its own inputs), and each effect has a closing step once
// whatever its outputs read is done. Every step comes after the steps of what it reads: a node
// reading an effect (or a node) that lies inside a sibling effect, at any depth, comes after
// it, whatever the levels say, since a level counts what the read node's own graph holds, not
// the sibling around it. Where the level-sorted lists already give such an order (every graph
// the editor makes without moving nodes across effects) the plan is the walk of those lists,
// each effect's members right after it. Steps caught in a loop of reads keep their walk order
// at the end, where a reader meets an effect without its result and the render is refused (the
// graph's link and move checks keep such loops out).
class RenderPlan
{
public:
    enum class Kind { Member, CloseEffect };
    struct Step
    {
        Kind kind;
        KelNodes::Node* node;
        // The graph holding `node`.
        KelNodes::NodeGraph const* graph;
    };

    explicit RenderPlan(KelNodes::NodeGraph const* top);

    std::vector<Step> const& steps() const { return m_steps; }

private:
    std::vector<Step> m_steps;
};

} // namespace KelVyxNodes

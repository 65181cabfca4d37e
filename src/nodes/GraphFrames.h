#pragma once

#include <QHash>

namespace KelNodes {

class NodeGraph;

// The current frame of every container of a graph tree, taken at one moment: the graph's own
// and each member's at any depth (effects and the nodes inside them may each stand at another
// frame). Whoever moves the frames for a while (an export) gives each back through restore().
class GraphFrames
{
public:
    explicit GraphFrames(NodeGraph const* graph);

    // Each container of `graph` recorded here gets its frame back, a graph before its members,
    // since a graph's frame reaches them (a node that came since takes its graph's frame).
    void restore(NodeGraph* graph) const;

private:
    void record(NodeGraph const* graph);
    void restoreMembers(NodeGraph* graph) const;

    int m_graphFrame = 0;
    // By uid: no two nodes of a tree share one.
    QHash<int, int> m_frames;
};

} // namespace KelNodes

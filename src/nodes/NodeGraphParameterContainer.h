#pragma once

#include "nodes/NodeParameterContainer.h"

#include <QList>

namespace KelNodes {

class NodeGraph;

// The container of a graph: besides its own parameters it keeps the graph keyframe list (frames
// ascending, no duplicates), and its frame and keyframe operations reach every member.
class NodeGraphParameterContainer : public NodeParameterContainer
{
public:
    NodeGraphParameterContainer(NodeGraph* graph, QString const& name, QString const& text);

    NodeGraph* graph() const { return m_graph; }

    // Clears the graph keyframe list and reads it from the section's own "keyframes" child, then
    // reads the section as every container does.
    int loadState(QDomElement const& section) override;

    bool isKeyframe(int frame) const override;
    QList<int> keyframes() const override;
    // Adds a graph keyframe (-1 when outside the frames or already there), then sets a key at
    // that frame in every member parameter that can take one.
    int setKeyframeAt(int frame) override;
    int deleteKeyframe(int frame) override;
    // Checks both frames first; then moves the graph keyframe and every member key at `from`
    // that can move. Nothing changes when refused.
    int moveKeyframe(int from, int to) override;
    int setCurrentFrame(int frame) override;

    // The "graph" element with "name", "uid", the graph keyframes and the members' sections.
    QDomElement createXmlSection(QDomDocument& document, bool callHooks, bool embed) const override;

    // The keyframe list alone, without reaching the members (for graph-wide operations that
    // handle the members themselves).
    bool addGraphKeyframe(int frame);
    bool removeGraphKeyframe(int frame);

private:
    NodeGraph* m_graph;
    QList<int> m_keyframes;
};

} // namespace KelNodes

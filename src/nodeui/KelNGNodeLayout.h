#pragma once

#include <QPointF>
#include <QtGlobal>
#include <QSizeF>

#include <functional>

namespace KelNodes {
class Node;
class NodeGraph;
}

// The graph view's automatic layout: one column per evaluation level from the left, 40 pixels
// between columns (the next one starts after the column's first node), 20 between the nodes
// of a column, ordered so that wires cross little.
class KelNGNodeLayout
{
public:
    KelNGNodeLayout() = delete;

    // Puts every node of the sorted graph through `place`, which moves the node's picture and
    // answers its size (an empty size for a node without picture).
    using Place = std::function<QSizeF(KelNodes::Node* node, QPointF position)>;
    static void arrange(KelNodes::NodeGraph* graph, Place const& place);
    // Nodes looked at by every arrange so far: what the layout costs, for the tests.
    static quint64 nodesWeighedCount();

    // The smallest level among the nodes the node's outputs feed, at most `level`.
    static int smallestLevelFed(KelNodes::Node* node, int level);
    // 1 + the index of the first input of a fed node of that level that the node feeds; 0 when
    // it feeds none.
    static int inputIndexAtLevel(KelNodes::Node* node, int level);
};

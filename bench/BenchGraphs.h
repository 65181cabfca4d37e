#pragma once

// The graphs render_bench measures, shared with the byte-pinning test so that the benchmark
// always renders graphs whose bytes are pinned.

#include <QImage>
#include <QString>

#include <functional>
#include <vector>

namespace KelNodes {
class Node;
}
namespace KelVyxNodes {
class VyxNodeGraph;
}

namespace VyxBench {

using Builder = std::function<bool(KelVyxNodes::VyxNodeGraph*)>;

struct BenchGraph
{
    char const* name;
    Builder build;
};

// A picture with detail everywhere: smooth ramps, a fine pattern and hashed noise (ARGB32,
// opaque).
QImage makePicture(int width, int height);

// A node of a registered type added to the graph (a message and null when there is no such
// type), and a link between two nodes' terminals (a message and false when it fails).
KelNodes::Node* addNode(KelVyxNodes::VyxNodeGraph* graph, char const* type);
bool linkNodes(KelNodes::Node* a, char const* from, KelNodes::Node* b, char const* to);
// Source, colour blur of the radius, destination.
Builder blur(int radius);

// identity, noise, blur r = 5 and 50, colour chain, effect object and the every-node graph.
std::vector<BenchGraph> const& benchGraphs();
// The effect object alone (also rendered at preview size).
bool effectObject(KelVyxNodes::VyxNodeGraph* graph);
// Every registered node type, each input fed from the oldest output nothing reads yet where
// there is one, else from the oldest output of its kind (the source's): a deep graph whose
// nodes with several outputs feed several readers.
bool everyNode(KelVyxNodes::VyxNodeGraph* graph);

// The photo graph: three project objects chained as the application chains them (effect
// sub-graphs, colour and alpha through each): colour blur of radius 3; inversion at opacity 50
// in the Difference mode; brightness/contrast (brightness 20, contrast 10).
bool photoObjects(KelVyxNodes::VyxNodeGraph* graph);
// Source, one node of the type at its default settings, destination: each input fed from the
// source's output of its kind, the node's first colour output to the destination's colour (a
// node without one gives the alpha, the source the colour). False for a node with neither
// output (a curve).
Builder nodeAlone(QString const& typeId);

} // namespace VyxBench

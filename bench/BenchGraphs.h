#pragma once

// The graphs render_bench measures, shared with the byte-pinning test so that the benchmark
// always renders graphs whose bytes are pinned.

#include <QImage>

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

} // namespace VyxBench

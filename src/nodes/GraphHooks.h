#pragma once

class QDomDocument;
class QDomElement;

namespace KelNodes {

class Node;
class NodeGraph;

// Functions the application puts into a graph to add its own attributes to node sections. A
// store or load calls the hook of the storing or loading graph and then of each ancestor,
// nearest first, each with its own data but always with the storing or loading graph first.
// `node` is null for the calls made with a graph element.
using GraphStoreHook = void (*)(NodeGraph const* graph, Node const* node, QDomDocument& document,
                                QDomElement& element, void* data);
using GraphLoadHook = void (*)(NodeGraph* graph, Node* node, QDomElement const& element,
                               void* data);

// Which links a store writes.
enum storeConnFlag : int {
    StoreNoConnections = 0,
    StoreConnectionsAnyEnd = 1,  // at least one end among the stored nodes
    StoreConnectionsBothEnds = 2 // both ends among the stored nodes
};

// Which links a load restores.
enum loadConnFlag : int {
    LoadNoConnections = 0,
    LoadConnectionsOfLoaded = 1, // both nodes loaded by this call
    LoadAllConnections = 2       // both nodes found anywhere in the loading graph
};

} // namespace KelNodes

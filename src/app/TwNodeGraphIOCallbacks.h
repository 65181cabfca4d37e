#pragma once

#include "nodes/GraphHooks.h"

class QDomDocument;
class QDomElement;
class TwCore;

namespace KelNodes {
class Node;
class NodeGraph;
}

// Carries the editor's per-node state (position, custom colour, expanded states, the template a
// graph was made from) between each node's settings map and the node attributes of a graph
// document; with its store-template flag it also writes the object's template element.
//
// Made on the stack for one store or load. Install it with a Scope on the graph where the store
// or load starts; the graph's ancestors' hooks run too, so every node below is covered.
class TwNodeGraphIOCallbacks
{
public:
    // core may be null: then a graph's object is read from its project-object slot.
    TwNodeGraphIOCallbacks(TwCore* core, bool storeTemplate);

    // Store hook body; node is null at the graph-level call (element is then the graph's own).
    void xmlStoreCallback(QDomDocument& document, QDomElement& element,
                          KelNodes::NodeGraph const* graph, KelNodes::Node const* node);
    // Load hook body; node is null at the graph-level call.
    void xmlLoadCallback(KelNodes::NodeGraph* graph, KelNodes::Node* node,
                         QDomElement const& element);

    TwCore* core() const { return m_core; }
    bool storesTemplate() const { return m_storeTemplate; }

    // Installs the store and load hooks on a graph for its lifetime and puts back what the graph
    // held before.
    class Scope
    {
    public:
        Scope(KelNodes::NodeGraph* graph, TwNodeGraphIOCallbacks* callbacks, bool store, bool load);
        ~Scope();
        Scope(Scope const&) = delete;
        Scope& operator=(Scope const&) = delete;

    private:
        KelNodes::NodeGraph* m_graph;
        bool m_store;
        bool m_load;
        KelNodes::GraphStoreHook m_oldStoreHook = nullptr;
        void* m_oldStoreData = nullptr;
        KelNodes::GraphLoadHook m_oldLoadHook = nullptr;
        void* m_oldLoadData = nullptr;
    };

private:
    TwCore* m_core;
    bool m_storeTemplate;
};

// The hook functions a graph calls; `data` is the TwNodeGraphIOCallbacks.
void xmlStoreCallback(KelNodes::NodeGraph const* graph, KelNodes::Node const* node,
                      QDomDocument& document, QDomElement& element, void* data);
void xmlLoadCallback(KelNodes::NodeGraph* graph, KelNodes::Node* node, QDomElement const& element,
                     void* data);

#pragma once

#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeGraph.h"
#include "nodes/NodeParameterContainer.h"
#include "nodes/NodeSubscriber.h"
#include "nodes/Terminal.h"
#include "params/NumGroupParameter.h"

#include <QDomDocument>
#include <QDomElement>
#include <QList>
#include <QPair>

// A small node type: a container named by its type id with a keyframable float and an int.
class TestNode : public KelNodes::Node
{
public:
    explicit TestNode(int uid = 0);
    static KelNodes::NodeDescriptor m_descriptor;

    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    void* objectPtr() override { return this; }
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override
    {
        return Node::onConnect(own, peer) < 0 || refuseConnect ? -1 : 0;
    }
    bool isStatic() const override { return staticNode; }

    KelNodes::Terminal* add(QString const& name, unsigned int in, unsigned int out);
    // An input "in" (mask 4) and an output "out" (mask 5).
    TestNode* withIo();

    KelNodes::NodeParameterContainer m_container;
    float m_amount = 0.f;
    int m_count = 0;
    KelUtils::NumGroupParameter<float>* amount = nullptr;
    KelUtils::NumGroupParameter<int>* count = nullptr;
    bool refuseConnect = false;
    bool staticNode = false;
};

// A second type, so that documents can hold a type the graph does not know.
class OtherNode : public TestNode
{
public:
    explicit OtherNode(int uid = 0) : TestNode(uid) { m_container.setNode(this); }
    static KelNodes::NodeDescriptor m_descriptor;
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
};

// Its sub-graphs share the node types of the graph they join; a graph made directly offers
// TestNode and OtherNode.
class TestGraph : public KelNodes::NodeGraph
{
public:
    explicit TestGraph(TestGraph* parent = nullptr, bool ownTypes = true);
    static KelNodes::NodeDescriptor m_descriptor;
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }

    QList<KelNodes::NodeDescriptor const*> types;
};

// Records every event it hears, as (subject, event).
class Recorder : public KelNodes::NodeSubscriber
{
public:
    void notify(KelNodes::Node* node, Event event) override { events.append({node, event}); }
    QList<Event> eventsOf(KelNodes::Node const* node) const;

    QList<QPair<KelNodes::Node*, Event>> events;
};

// The load hook of the document tests: nodes made from documents get "in", "out" and a
// second input "side".
void giveTerminals(KelNodes::NodeGraph*, KelNodes::Node* node, QDomElement const&, void*);

// Reads a stored document back through text, as files and undo buffers do.
QDomDocument reparsed(QDomDocument const& stored);

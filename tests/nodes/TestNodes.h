#pragma once

#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeGraph.h"
#include "nodes/NodeParameterContainer.h"
#include "nodes/NodeSubscriber.h"
#include "nodes/Terminal.h"
#include "params/NumGroupParameter.h"

#include <QList>
#include <QPair>
#include <QString>

// A small node type for the tests: a container named by its type id with one float and one
// int parameter, and terminals added on demand.
class TestNode : public KelNodes::Node
{
public:
    explicit TestNode(int uid = 0);

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    void* objectPtr() override { return this; }
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void paramChanged(KelUtils::Parameter* parameter) override;
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
    int paramChangedCalls = 0;
};

// A second type, so that documents can hold a type the graph does not know.
class OtherNode : public TestNode
{
public:
    explicit OtherNode(int uid = 0);
    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
};

// The concrete graph of the tests: its create function makes more of it (sharing the node
// types of the graph they join); a graph made directly offers TestNode and OtherNode.
class TestGraph : public KelNodes::NodeGraph
{
public:
    explicit TestGraph(TestGraph* parent = nullptr, bool ownTypes = true);

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }

    QList<KelNodes::NodeDescriptor const*> types;
};

// Records every event it hears, as (subject, event).
class Recorder : public KelNodes::NodeSubscriber
{
public:
    void notify(KelNodes::Node* node, Event event) override { events.append({node, event}); }
    QList<Event> eventsOf(KelNodes::Node const* node) const;
    int count(Event event) const;

    QList<QPair<KelNodes::Node*, Event>> events;
};

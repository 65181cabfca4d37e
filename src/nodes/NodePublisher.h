#pragma once

#include "nodes/NodeSubscriber.h"

#include <QList>

namespace KelNodes {

class Node;

// The sending half of node events; a virtual base of every node. Not polymorphic.
class NodePublisher
{
public:
    NodePublisher() = default;
    ~NodePublisher();

    NodePublisher(NodePublisher const&) = delete;
    NodePublisher& operator=(NodePublisher const&) = delete;

    // Calls every subscriber (over a copy of the list, in subscription order) with `source` as
    // the publisher, or this publisher when `source` is null. A handler may change
    // subscriptions while the event travels.
    void sendNotification(NodeSubscriber::Event event, NodePublisher* source = nullptr);

    // The node this publisher belongs to.
    Node* publisherNode() const { return m_node; }
    QList<NodeSubscriber*> const& subscribers() const { return m_subscribers; }

protected:
    friend class NodeSubscriber;
    Node* m_node = nullptr;                // set by the node's constructor
    QList<NodeSubscriber*> m_subscribers;  // not owned; a double subscription is listed twice
};

} // namespace KelNodes

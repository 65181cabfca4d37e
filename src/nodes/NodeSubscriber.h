#pragma once

#include <QMap>

namespace KelNodes {

class Node;
class NodePublisher;

// Receives the structural events of the nodes it subscribed to. A graph subscribes to each of
// its members and relays their events, so a subscriber of the top-level graph hears of changes
// at any depth. Events arrive synchronously on the thread that made the change.
class NodeSubscriber
{
public:
    enum Event : int {
        Destroyed = 0,    // a node is being destroyed (its terminals are already gone)
        Removed = 1,      // a graph removes a member before deleting it
        Added = 2,        // a graph added a member
        ParentSet = 3,    // a node that already had a parent graph gets another one
        Connected = 4,    // a link was made (sent by both hosts)
        Disconnected = 5, // a link was dropped (sent by each host that held it)
        SetUp = 6         // an effect graph prepared a render
    };

    NodeSubscriber() = default;
    virtual ~NodeSubscriber();

    NodeSubscriber(NodeSubscriber const&) = delete;
    NodeSubscriber& operator=(NodeSubscriber const&) = delete;

    // `node` is the node the event concerns: the publishing node, or for a relayed event the
    // member that caused it.
    virtual void notify(Node* node, Event event) = 0;

    // Subscribing twice makes every event arrive twice; one unsubscribe removes both.
    void subscribe(Node* node);
    void unsubscribe(Node* node);
    void unsubscribe(NodePublisher* publisher);

    // Delivery entry used by publishers: calls notify() with the node recorded for `publisher`,
    // or with the publisher's own node when this subscriber did not subscribe to it.
    void notify_(NodePublisher* publisher, Event event);

    QMap<NodePublisher*, Node*> const& publishers() const { return m_publishers; }

private:
    friend class NodePublisher;
    QMap<NodePublisher*, Node*> m_publishers;
};

} // namespace KelNodes

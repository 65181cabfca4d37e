#include "nodes/NodePublisher.h"

namespace KelNodes {

NodePublisher::~NodePublisher()
{
    for (NodeSubscriber* subscriber : std::as_const(m_subscribers))
        subscriber->m_publishers.remove(this);
}

void NodePublisher::sendNotification(NodeSubscriber::Event event, NodePublisher* source)
{
    // A handler may subscribe or unsubscribe while the event travels.
    const QList<NodeSubscriber*> subscribers = m_subscribers;
    for (NodeSubscriber* subscriber : subscribers) {
        // Skip a subscriber that an earlier handler unsubscribed or destroyed.
        if (m_subscribers.contains(subscriber))
            subscriber->notify_(source ? source : this, event);
    }
}

} // namespace KelNodes

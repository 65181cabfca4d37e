#include "nodes/NodeSubscriber.h"

#include "nodes/Node.h"
#include "nodes/NodePublisher.h"

namespace KelNodes {

NodeSubscriber::~NodeSubscriber()
{
    const QList<NodePublisher*> publishers = m_publishers.keys();
    for (NodePublisher* publisher : publishers)
        publisher->m_subscribers.removeAll(this);
}

void NodeSubscriber::subscribe(Node* node)
{
    if (!node)
        return;
    NodePublisher* publisher = node;
    m_publishers.insert(publisher, node);
    publisher->m_subscribers.append(this);
}

void NodeSubscriber::unsubscribe(Node* node)
{
    if (node)
        unsubscribe(static_cast<NodePublisher*>(node));
}

void NodeSubscriber::unsubscribe(NodePublisher* publisher)
{
    if (!publisher)
        return;
    publisher->m_subscribers.removeAll(this);
    m_publishers.remove(publisher);
}

void NodeSubscriber::notify_(NodePublisher* publisher, Event event)
{
    if (!publisher)
        return;
    auto it = m_publishers.constFind(publisher);
    notify(it != m_publishers.constEnd() ? it.value() : publisher->publisherNode(), event);
}

} // namespace KelNodes

#include "nodes/Terminal.h"

#include "nodes/KindSettling.h"
#include "nodes/Node.h"
#include "nodes/NodeDependencies.h"
#include "nodes/NodeGraph.h"

namespace KelNodes {

Terminal::Terminal(Node* host, QString const& name, unsigned int inputMask,
                   unsigned int outputMask, KelUtils::HelpItem const& help)
    : m_name(name)
    , m_help(help)
    , m_host(host)
    , m_inputMask(inputMask)
    , m_outputMask(outputMask)
{
}

Terminal::~Terminal() = default;

bool Terminal::isConnectedTo(Terminal const* peer) const
{
    return m_connections.contains(const_cast<Terminal*>(peer));
}

bool Terminal::fits(Terminal const* peer) const
{
    if (!peer || peer == this)
        return false;
    if ((peer->m_inputMask & m_outputMask) == 0 && (peer->m_outputMask & m_inputMask) == 0)
        return false;
    return !isConnectedTo(peer);
}

bool Terminal::admitted(Terminal const* peer) const
{
    return (!m_host || m_host->admitsLink(this, peer)) && (!peer->m_host || peer->m_host->admitsLink(peer, this));
}

bool Terminal::canConnect(Terminal const* peer) const
{
    if (!fits(peer) || !admitted(peer))
        return false;
    return !NodeDependencies::linkWouldCycle(m_host, m_inputMask != 0, peer->m_host,
                                             peer->m_inputMask != 0);
}

int Terminal::connect(Terminal* peer)
{
    return link(peer, true);
}

int Terminal::link(Terminal* peer, bool walk)
{
    // A link made again while kinds settle is made on the widest kinds its ends can take.
    KindSettling::openEnds(this, peer);
    // Checked before anything is dropped, so a refused link changes nothing.
    if (walk ? !canConnect(peer) : (!fits(peer) || !admitted(peer)))
        return -1;

    if (!m_connections.isEmpty() && !allowsManyLinks())
        disconnectAll();
    if (!peer->m_connections.isEmpty() && !peer->allowsManyLinks())
        peer->disconnectAll();

    if (m_host && m_host->onConnect(this, peer) < 0)
        return -1;
    if (peer->m_host && peer->m_host->onConnect(peer, this) < 0)
        return -1;

    if (m_host && m_host->parentGraph())
        m_host->parentGraph()->setDirty();
    if (peer->m_host && peer->m_host->parentGraph())
        peer->m_host->parentGraph()->setDirty();

    m_connections.append(peer);
    peer->m_connections.append(this);
    if (m_host)
        m_host->linksChanged(this);
    if (peer->m_host)
        peer->m_host->linksChanged(peer);

    if (m_host)
        m_host->sendNotification(NodeSubscriber::Connected);
    if (peer->m_host)
        peer->m_host->sendNotification(NodeSubscriber::Connected);
    return 0;
}

int Terminal::connect(Node* node, QString const& name)
{
    if (!node)
        return -1;
    Terminal* found = node->getTerminal(name);
    if (!found)
        return -1;
    return found->connect(this);
}

void Terminal::disconnect(Terminal* peer)
{
    if (!peer)
        return;
    bool own = false;
    bool theirs = false;
    if (m_connections.contains(peer)) {
        if (m_host)
            m_host->onDisconnect(this, peer);
        m_connections.removeOne(peer);
        own = true;
    }
    if (peer->m_connections.contains(this)) {
        if (peer->m_host)
            peer->m_host->onDisconnect(peer, this);
        peer->m_connections.removeOne(this);
        theirs = true;
    }
    if (own && m_host)
        m_host->linksChanged(this);
    if (theirs && peer->m_host)
        peer->m_host->linksChanged(peer);
    if (own && m_host)
        m_host->sendNotification(NodeSubscriber::Disconnected);
    if (theirs && peer->m_host)
        peer->m_host->sendNotification(NodeSubscriber::Disconnected);
}

void Terminal::disconnectAll()
{
    const QList<Terminal*> peers = m_connections;
    for (Terminal* peer : peers)
        disconnect(peer);
}

Node* Terminal::hostNode() const
{
    return m_host;
}

Node* Terminal::connectedToHost(int index) const
{
    if (index < 0 || index >= m_connections.size())
        return nullptr;
    return m_connections.at(index)->hostNode();
}

Terminal* Terminal::connectedTo(int index) const
{
    if (index < 0 || index >= m_connections.size())
        return nullptr;
    return m_connections.at(index);
}

} // namespace KelNodes

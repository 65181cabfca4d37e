#pragma once

#include "params/HelpItem.h"

#include <QList>
#include <QString>

namespace KelNodes {

class Node;

// A connection point of a node. Each link is held on both sides.
//
// Masks: bit 0 (value 1) lets the terminal hold several links; the other bits are data kinds
// whose meaning belongs to the node family (for effect nodes 2 = one channel, 4 = colour,
// 8 = curve). Two terminals are compatible when one's output mask meets the other's input mask.
// A terminal with an input mask counts its peers as upstream of its host.
class Terminal
{
public:
    enum : unsigned int { MultiLink = 1u };

    Terminal(Node* host, QString const& name, unsigned int inputMask, unsigned int outputMask,
             KelUtils::HelpItem const& help = KelUtils::HelpItem());
    // Releases its fields only: the owning node disconnects a terminal before deleting it.
    virtual ~Terminal();

    Terminal(Terminal const&) = delete;
    Terminal& operator=(Terminal const&) = delete;

    // Whether connect() would take the link, a host's onConnect aside: false for a null or the
    // same terminal, incompatible masks, a link already made, a link a host does not admit, or a
    // link that would make a node depend on itself (also through graph membership). Changes
    // nothing.
    bool canConnect(Terminal const* peer) const;
    // 0, or -1 when refused: canConnect() false, or a host's onConnect refusing. A single-link
    // terminal drops its old link first.
    virtual int connect(Terminal* peer);
    // Looks up `name` on `node` and lets that terminal connect to this one; -1 if none.
    virtual int connect(Node* node, QString const& name);
    virtual void disconnect(Terminal* peer);
    virtual void disconnectAll();

    virtual Node* hostNode() const;
    // Null when the index is out of range.
    virtual Node* connectedToHost(int index) const;
    virtual Terminal* connectedTo(int index) const;

    QString const& name() const { return m_name; }
    void setName(QString const& name) { m_name = name; }
    KelUtils::HelpItem const& help() const { return m_help; }
    KelUtils::HelpItem& help() { return m_help; }
    void setHelp(KelUtils::HelpItem const& help) { m_help = help; }

    unsigned int inputMask() const { return m_inputMask; }
    unsigned int outputMask() const { return m_outputMask; }
    void setInputMask(unsigned int mask) { m_inputMask = mask; }
    void setOutputMask(unsigned int mask) { m_outputMask = mask; }
    bool isInput() const { return m_inputMask != 0; }
    bool isOutput() const { return m_outputMask != 0; }
    bool allowsManyLinks() const { return ((m_inputMask | m_outputMask) & MultiLink) != 0; }

    int numConnections() const { return int(m_connections.size()); }
    QList<Terminal*> const& connections() const { return m_connections; }
    bool isConnectedTo(Terminal const* peer) const;

private:
    friend class LinkBatch;

    // connect(), with the cycle walk left to the caller when `walk` is false (a batch that
    // weighed all its links at once).
    int link(Terminal* peer, bool walk);
    // canConnect() without the cycle walk and the hosts' say.
    bool fits(Terminal const* peer) const;
    // Both hosts take the link (Node::admitsLink).
    bool admitted(Terminal const* peer) const;

    QString m_name;
    KelUtils::HelpItem m_help;
    Node* m_host;
    QList<Terminal*> m_connections;
    unsigned int m_inputMask;
    unsigned int m_outputMask;
};

} // namespace KelNodes

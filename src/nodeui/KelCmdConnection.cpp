#include "nodeui/KelCmdConnection.h"

#include "app/ShownText.h"
#include "app/UnrestoredLinksText.h"
#include "app/TwCore.h"
#include "nodes/KindSettling.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeConnection.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/NodeEditHooks.h"

#include <QObject>

KelCmdConnection::KelCmdConnection(TwCore* core, KelNGNodeGraphView* view,
                                   KelNodes::NodeGraph* graph, KelNGNodeConnection* wire, bool make)
    : m_view(view)
    , m_graph(graph)
    , m_wire(wire)
    , m_make(make)
    , m_core(core)
{
    KelNodes::Node* source = wire && wire->sourceNode() ? wire->sourceNode()->node() : nullptr;
    KelNodes::Node* destination =
        wire && wire->destinationNode() ? wire->destinationNode()->node() : nullptr;
    KelNodes::Terminal const* from = wire ? wire->sourceTerminal() : nullptr;
    KelNodes::Terminal const* to = wire ? wire->destinationTerminal() : nullptr;
    // The item's node names the step; the terminal's own node is the one linked.
    KelNodes::Node const* fromHost = from && from->hostNode() ? from->hostNode() : source;
    KelNodes::Node const* toHost = to && to->hostNode() ? to->hostNode() : destination;
    if (fromHost)
        m_sourceUid = fromHost->uid();
    if (toHost)
        m_destinationUid = toHost->uid();
    if (from)
        m_sourceTerminal = from->name();
    if (to)
        m_destinationTerminal = to->name();
    setText((make ? QObject::tr("Connection") : QObject::tr("Break Connection")) + QLatin1Char(' ')
            + (source ? ShownText::name(source->displayName()) : QString()) + QStringLiteral("->")
            + (destination ? ShownText::name(destination->displayName()) : QString()));
}

KelCmdConnection::~KelCmdConnection() = default;

void KelCmdConnection::redo()
{
    if (m_core)
        m_core->cancelRender();
    if (m_firstRedo) {
        firstRedo();
    } else if (step(m_make) && m_core) {
        m_core->updateUIAfterGraphOfNodeChanged(m_graph->findNode(m_sourceUid, true));
    }
    if (m_core)
        m_core->start();
}

void KelCmdConnection::undo()
{
    if (m_core)
        m_core->cancelRender();
    if (step(!m_make) && m_core)
        m_core->updateUIAfterGraphOfNodeChanged(m_graph->findNode(m_sourceUid, true));
    if (m_core)
        m_core->start();
}

void KelCmdConnection::firstRedo()
{
    m_firstRedo = false;
    KelNGNodeConnection* wire = m_wire;
    m_wire = nullptr;
    KelNodes::Node* source = m_graph ? m_graph->findNode(m_sourceUid, true) : nullptr;
    if (!source || !wire)
        return;
    if (m_make) {
        const QList<Link> before = linksOf({wire->sourceTerminal(), wire->destinationTerminal()});
        if (m_view)
            m_view->addConnection(wire);
        if (!wire->isConnected()) {
            // The model refused the link: nothing to undo, and the wire has no place in the view.
            setObsolete(true);
            if (m_view)
                m_view->updateGraph();
            return;
        }
        const QList<Link> after = linksOf({wire->sourceTerminal(), wire->destinationTerminal()});
        for (Link const& old : before) {
            if (!after.contains(old))
                m_displaced.append(old);
        }
        if (m_core)
            m_core->updateUIAfterGraphOfNodeChanged(source);
        return;
    }
    KelNodes::Terminal const* from = wire->sourceTerminal();
    KelNodes::Terminal const* to = wire->destinationTerminal();
    Q_UNUSED(from);
    Q_UNUSED(to);
    wire->disconnect();
    // The view goes on with the wire it picked up: the change is marked without a rebuild.
    if (m_core)
        m_core->markGraphOfNodeChanged(source);
}

bool KelCmdConnection::step(bool connect) const
{
    QList<KelNodes::UnrestoredLink> unmade;
    bool linked = false;
    {
        KelNodes::KindSettling settling;
        // Displaced links go before the made link is made again, and come back after it is broken.
        if (m_make && connect)
            linkDisplaced(false, unmade);
        linked = link(madeLink(), connect, unmade);
        if (linked && m_make && !connect)
            linkDisplaced(true, unmade);
        for (KelNodes::KindSettling::Unserved const& broken : settling.settle()) {
            unmade.append({broken.outputNode->displayName(), broken.outputTerminal,
                           broken.inputNode->displayName(), broken.inputTerminal,
                           KelNodes::UnrestoredLink::Why::Refused});
        }
    }
    UnrestoredLinksText::tell(m_core, QObject::tr("Not every link came back."), unmade);
    return linked;
}

KelCmdConnection::Link KelCmdConnection::madeLink() const
{
    return {m_sourceUid, m_sourceTerminal, m_destinationUid, m_destinationTerminal};
}

void KelCmdConnection::linkDisplaced(bool connect, QList<KelNodes::UnrestoredLink>& unmade) const
{
    for (Link const& displaced : m_displaced)
        link(displaced, connect, unmade);
}

KelNodes::UnrestoredLink KelCmdConnection::named(Link const& ends, KelNodes::UnrestoredLink::Why why) const
{
    auto nameOf = [this](int uid) {
        KelNodes::Node const* node = m_graph ? m_graph->findNode(uid, true) : nullptr;
        return node ? node->displayName() : QObject::tr("a node that is gone");
    };
    return {nameOf(ends.sourceUid), ends.sourceTerminal, nameOf(ends.destinationUid), ends.destinationTerminal, why};
}

QList<KelCmdConnection::Link> KelCmdConnection::linksOf(QList<KelNodes::Terminal*> const& terminals)
{
    QList<Link> links;
    for (KelNodes::Terminal* terminal : terminals) {
        if (!terminal || !terminal->hostNode())
            continue;
        for (KelNodes::Terminal* peer : terminal->connections()) {
            if (peer && peer->hostNode())
                links.append({terminal->hostNode()->uid(), terminal->name(), peer->hostNode()->uid(),
                              peer->name()});
        }
    }
    return links;
}

bool KelCmdConnection::link(Link const& ends, bool connect, QList<KelNodes::UnrestoredLink>& unmade) const
{
    if (!m_graph)
        return false;
    KelNodes::Node* source = m_graph->findNode(ends.sourceUid, true);
    KelNodes::Node* destination = m_graph->findNode(ends.destinationUid, true);
    KelNodes::Terminal* from = source ? source->getTerminal(ends.sourceTerminal) : nullptr;
    KelNodes::Terminal* to = destination ? destination->getTerminal(ends.destinationTerminal) : nullptr;
    if (!from || !to) {
        if (connect)
            unmade.append(named(ends, KelNodes::UnrestoredLink::Why::NoTerminal));
        return false;
    }
    NodeEditHooks::beforeWrite();
    if (!connect)
        from->disconnect(to);
    else if (!from->isConnectedTo(to) && from->connect(to) != 0)
        unmade.append(named(ends, KelNodes::UnrestoredLink::Why::Refused));
    return true;
}

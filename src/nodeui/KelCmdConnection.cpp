#include "nodeui/KelCmdConnection.h"

#include "app/ShownText.h"
#include "app/TwCore.h"
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
    } else if (step(m_make, m_kindsAfter) && m_core) {
        m_core->updateUIAfterGraphOfNodeChanged(m_graph->findNode(m_sourceUid, true));
    }
    if (m_core)
        m_core->start();
}

void KelCmdConnection::undo()
{
    if (m_core)
        m_core->cancelRender();
    if (step(!m_make, m_kindsBefore) && m_core)
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
    m_kindsBefore = kindsAround(wire->sourceTerminal(), wire->destinationTerminal());
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
        recordKindsAfter(wire->sourceTerminal(), wire->destinationTerminal());
        if (m_core)
            m_core->updateUIAfterGraphOfNodeChanged(source);
        return;
    }
    KelNodes::Terminal const* from = wire->sourceTerminal();
    KelNodes::Terminal const* to = wire->destinationTerminal();
    wire->disconnect();
    recordKindsAfter(from, to);
    // The view goes on with the wire it picked up: the change is marked without a rebuild.
    if (m_core)
        m_core->markGraphOfNodeChanged(source);
}

bool KelCmdConnection::step(bool connect, KelNodes::TerminalKinds const& kinds) const
{
    // Displaced links go before the made link is made again, and come back after it is broken.
    if (m_make && connect)
        linkDisplaced(false, kinds);
    const bool linked = link(madeLink(), connect, kinds);
    if (linked && m_make && !connect)
        linkDisplaced(true, kinds);
    kinds.apply(m_graph);
    return linked;
}

KelNodes::TerminalKinds KelCmdConnection::kindsAround(KelNodes::Terminal const* a,
                                                     KelNodes::Terminal const* b) const
{
    KelNodes::TerminalKinds kinds;
    for (KelNodes::Terminal const* terminal : {a, b}) {
        if (!terminal)
            continue;
        kinds.record(terminal->hostNode());
        for (KelNodes::Terminal const* peer : terminal->connections())
            kinds.record(peer ? peer->hostNode() : nullptr);
    }
    return kinds;
}

void KelCmdConnection::recordKindsAfter(KelNodes::Terminal const* a, KelNodes::Terminal const* b)
{
    m_kindsAfter = kindsAround(a, b);
    // A displaced peer is no longer linked to either end, but its kinds changed with it.
    for (int uid : m_kindsBefore.uids())
        m_kindsAfter.record(m_graph->findNode(uid, true));
}

KelCmdConnection::Link KelCmdConnection::madeLink() const
{
    return {m_sourceUid, m_sourceTerminal, m_destinationUid, m_destinationTerminal};
}

void KelCmdConnection::linkDisplaced(bool connect, KelNodes::TerminalKinds const& kinds) const
{
    for (Link const& displaced : m_displaced)
        link(displaced, connect, kinds);
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

bool KelCmdConnection::link(Link const& ends, bool connect, KelNodes::TerminalKinds const& kinds) const
{
    if (!m_graph)
        return false;
    KelNodes::Node* source = m_graph->findNode(ends.sourceUid, true);
    KelNodes::Node* destination = m_graph->findNode(ends.destinationUid, true);
    KelNodes::Terminal* from = source ? source->getTerminal(ends.sourceTerminal) : nullptr;
    KelNodes::Terminal* to = destination ? destination->getTerminal(ends.destinationTerminal) : nullptr;
    if (!from || !to)
        return false;
    NodeEditHooks::beforeWrite();
    // Each link is made on the kinds it was made with, whatever the one before it narrowed.
    kinds.apply(m_graph);
    if (connect)
        KelNodes::TerminalKinds::linkAsRecorded(from, to);
    else
        from->disconnect(to);
    return true;
}

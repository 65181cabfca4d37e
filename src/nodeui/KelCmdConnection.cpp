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
    if (source)
        m_sourceUid = source->uid();
    if (destination)
        m_destinationUid = destination->uid();
    if (wire && wire->sourceTerminal())
        m_sourceTerminal = wire->sourceTerminal()->name();
    if (wire && wire->destinationTerminal())
        m_destinationTerminal = wire->destinationTerminal()->name();
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
    } else {
        if (m_make)
            linkDisplaced(false);
        if (link(madeLink(), m_make) && m_core)
            m_core->updateUIAfterGraphOfNodeChanged(m_graph->findNode(m_sourceUid, true));
    }
    if (m_core)
        m_core->start();
}

void KelCmdConnection::undo()
{
    if (m_core)
        m_core->cancelRender();
    if (link(madeLink(), !m_make)) {
        if (m_make)
            linkDisplaced(true);
        if (m_core)
            m_core->updateUIAfterGraphOfNodeChanged(m_graph->findNode(m_sourceUid, true));
    }
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
    wire->disconnect();
    // The view goes on with the wire it picked up: the change is marked without a rebuild.
    if (m_core)
        m_core->markGraphOfNodeChanged(source);
}

KelCmdConnection::Link KelCmdConnection::madeLink() const
{
    return {m_sourceUid, m_sourceTerminal, m_destinationUid, m_destinationTerminal};
}

void KelCmdConnection::linkDisplaced(bool connect) const
{
    for (Link const& displaced : m_displaced)
        link(displaced, connect);
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

bool KelCmdConnection::link(Link const& ends, bool connect) const
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
    if (connect)
        from->connect(to);
    else
        from->disconnect(to);
    return true;
}

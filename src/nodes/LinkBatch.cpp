#include "nodes/LinkBatch.h"

#include "nodes/Node.h"
#include "nodes/NodeDependencies.h"
#include "nodes/Terminal.h"

#include <QDebug>

namespace KelNodes {

LinkBatch::LinkBatch(bool reportMissing) : m_reportMissing(reportMissing) {}

void LinkBatch::add(Node* a, QString const& aTerminal, Node* b, QString const& bTerminal)
{
    m_links.append({a, aTerminal, b, bTerminal});
}

bool LinkBatch::weigh()
{
    // Links only add dependencies, and dropping the old link of a single-link terminal only
    // takes some away: if the union of what is there and every link of the batch is free of
    // cycles, so is every state on the way.
    QList<NodeDependencies::Edge> edges;
    for (Link& link : m_links) {
        Terminal* own = link.a ? link.a->getTerminal(link.aTerminal) : nullptr;
        Terminal* peer = link.b ? link.b->getTerminal(link.bTerminal) : nullptr;
        if (!own || !peer || !own->fits(peer))
            continue;
        if (!NodeDependencies::linkEdges(own->hostNode(), own->inputMask() != 0,
                                         peer->hostNode(), peer->inputMask() != 0, &edges))
            return false;
        link.weighedA = own;
        link.weighedB = peer;
    }
    return !NodeDependencies::edgesWouldCycle(edges);
}

int LinkBatch::connectAll()
{
    const bool trusted = weigh();
    int made = 0;
    for (Link const& link : std::as_const(m_links)) {
        if (!link.a || !link.b)
            continue;
        Terminal* own = link.a->getTerminal(link.aTerminal);
        Terminal* peer = link.b->getTerminal(link.bTerminal);
        if (!own || !peer) {
            if (m_reportMissing)
                qDebug() << "Connection load error: terminal"
                         << (own ? link.bTerminal : link.aTerminal) << "not found ("
                         << link.a->displayName() << ":" << link.aTerminal << "->"
                         << link.b->displayName() << ":" << link.bTerminal << ")";
            continue;
        }
        // A terminal that an earlier link brought into being was not weighed.
        const bool weighed = trusted && own == link.weighedA && peer == link.weighedB;
        if (own->link(peer, !weighed) == 0)
            ++made;
    }
    m_links.clear();
    return made;
}

} // namespace KelNodes

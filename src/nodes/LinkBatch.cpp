#include "nodes/LinkBatch.h"

#include "nodes/KindSettling.h"
#include "nodes/Node.h"
#include "nodes/NodeDependencies.h"
#include "nodes/Terminal.h"

#include <QDebug>

namespace KelNodes {

LinkBatch::LinkBatch(bool report) : m_report(report) {}

void LinkBatch::add(Node* a, QString const& aTerminal, Node* b, QString const& bTerminal)
{
    m_links.append({a, aTerminal, b, bTerminal});
}

QList<LinkCycleCheck::Link> LinkBatch::weigh()
{
    QList<LinkCycleCheck::Link> weighed;
    weighed.reserve(m_links.size());
    for (Link& link : m_links) {
        LinkCycleCheck::Link dependency;
        Terminal* own = link.a ? link.a->getTerminal(link.aTerminal) : nullptr;
        Terminal* peer = link.b ? link.b->getTerminal(link.bTerminal) : nullptr;
        // Links made again while kinds settle are weighed on the widest kinds their ends take.
        KindSettling::openEnds(own, peer);
        // A link made already may be dropped and made again within the batch.
        if (own && peer && (own->fits(peer) || own->isConnectedTo(peer))) {
            link.weighedA = own;
            link.weighedB = peer;
            NodeDependencies::Edge edge;
            link.closesCycle = !NodeDependencies::linkDependency(
                own->hostNode(), own->isInput(), peer->hostNode(), peer->isInput(), &edge);
            if (edge.first) {
                dependency.terminals = own->isInput() ? LinkCycleCheck::TerminalLink(own, peer)
                                                  : LinkCycleCheck::TerminalLink(peer, own);
                dependency.dependent = edge.first;
                dependency.dependency = edge.second;
            }
        }
        weighed.append(dependency);
    }
    return weighed;
}

int LinkBatch::connectAll()
{
    m_refusedForCycles = 0;
    m_unmade.clear();
    const QList<LinkCycleCheck::Link> weighed = weigh();
    LinkCycleCheck cycles(weighed);
    int made = 0;
    for (qsizetype i = 0; i < m_links.size(); ++i) {
        Link const& link = m_links.at(i);
        if (!link.a || !link.b)
            continue;
        Terminal* own = link.a->getTerminal(link.aTerminal);
        Terminal* peer = link.b->getTerminal(link.bTerminal);
        if (!own || !peer) {
            if (m_report)
                qDebug() << "Connection load error: terminal"
                         << (own ? link.bTerminal : link.aTerminal) << "not found ("
                         << link.a->displayName() << ":" << link.aTerminal << "->"
                         << link.b->displayName() << ":" << link.bTerminal << ")";
            m_unmade.append({link.a, link.aTerminal, link.b, link.bTerminal, Refusal::NoTerminal});
            continue;
        }
        KindSettling::openEnds(own, peer);
        if (!own->fits(peer)) {
            if (!own->isConnectedTo(peer))
                m_unmade.append({link.a, link.aTerminal, link.b, link.bTerminal, Refusal::Refused});
            continue;
        }
        // A terminal that an earlier link brought into being was not weighed.
        const bool isWeighed = own == link.weighedA && peer == link.weighedB;
        const bool closesCycle = isWeighed && cycles.valid()
            ? link.closesCycle || cycles.closesCycle(i)
            : NodeDependencies::linkWouldCycle(own->hostNode(), own->isInput(), peer->hostNode(),
                                               peer->isInput());
        if (closesCycle) {
            ++m_refusedForCycles;
            if (m_report)
                qDebug() << "Connection load error: the link would close a cycle ("
                         << link.a->displayName() << ":" << link.aTerminal << "->"
                         << link.b->displayName() << ":" << link.bTerminal << ")";
            m_unmade.append({link.a, link.aTerminal, link.b, link.bTerminal, Refusal::ClosesCycle});
            continue;
        }
        const QList<LinkCycleCheck::TerminalLink> before = LinkCycleCheck::replaceable(own, peer);
        const bool isMade = own->link(peer, false) == 0;
        cycles.linked(before, weighed.at(i).terminals, isMade && isWeighed);
        if (isMade) {
            ++made;
            // Links the check never saw may stand from now on.
            if (!isWeighed)
                cycles.invalidate();
        } else {
            m_unmade.append({link.a, link.aTerminal, link.b, link.bTerminal, Refusal::Refused});
        }
    }
    m_links.clear();
    return made;
}

} // namespace KelNodes

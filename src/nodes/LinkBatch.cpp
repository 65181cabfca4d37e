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

void LinkBatch::weigh()
{
    // Links only add dependencies, and dropping the old link of a single-link terminal only
    // takes some away: if the union of what is there and every link kept is free of cycles, so
    // is every state on the way, and no kept link needs a walk of its own.
    QList<NodeDependencies::Edge> dependencies;
    dependencies.reserve(m_links.size());
    for (Link& link : m_links) {
        NodeDependencies::Edge dependency(nullptr, nullptr);
        Terminal* own = link.a ? link.a->getTerminal(link.aTerminal) : nullptr;
        Terminal* peer = link.b ? link.b->getTerminal(link.bTerminal) : nullptr;
        if (own && peer && own->fits(peer)) {
            link.weighedA = own;
            link.weighedB = peer;
            link.closesCycle = !NodeDependencies::linkDependency(
                own->hostNode(), own->inputMask() != 0, peer->hostNode(), peer->inputMask() != 0,
                &dependency);
        }
        dependencies.append(dependency);
    }
    const QList<bool> cyclic = NodeDependencies::cyclicLinks(dependencies);
    for (qsizetype i = 0; i < m_links.size(); ++i)
        m_links[i].closesCycle = m_links.at(i).closesCycle || cyclic.at(i);
}

int LinkBatch::connectAll()
{
    weigh();
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
        const bool weighed = own == link.weighedA && peer == link.weighedB;
        if (weighed && link.closesCycle)
            continue;
        // A terminal that an earlier link brought into being was not weighed.
        if (own->link(peer, !weighed) == 0)
            ++made;
    }
    m_links.clear();
    return made;
}

} // namespace KelNodes

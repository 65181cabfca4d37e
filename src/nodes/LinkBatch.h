#pragma once

#include "nodes/LinkCycleCheck.h"

#include <QList>
#include <QString>

namespace KelNodes {

class Node;
class Terminal;

// Many links made in one go, each as Terminal::connect would make it in that order (a link is
// refused when it would close a cycle with the links standing at that moment, a replaced one
// gone, a refused one never made), without a walk over everything upstream for every link.
class LinkBatch
{
public:
    // `report`: a terminal name that its node does not have, and a link refused for closing a
    // cycle, are written to the debug log (as a loaded document's link is).
    explicit LinkBatch(bool report = false);

    // Links `a`'s terminal `aTerminal` with `b`'s terminal `bTerminal`; names are looked up
    // when the link is made.
    void add(Node* a, QString const& aTerminal, Node* b, QString const& bTerminal);
    int size() const { return int(m_links.size()); }

    // Makes the links in the order added and forgets them. The count made.
    int connectAll();
    // How many links the last connectAll refused because they would have closed a cycle.
    int refusedForCycles() const { return m_refusedForCycles; }

    enum class Refusal {
        NoTerminal,  // a terminal name that its node does not have
        ClosesCycle, // a node would depend on itself
        Refused      // the kinds of the two ends do not meet, or a node's onConnect said no
    };
    struct Unmade
    {
        Node* a;
        QString aTerminal;
        Node* b;
        QString bTerminal;
        Refusal why;
    };
    // The links the last connectAll left unmade, in the order added (a link standing already
    // counts as made).
    QList<Unmade> const& unmade() const { return m_unmade; }

private:
    struct Link
    {
        Node* a;
        QString aTerminal;
        Node* b;
        QString bTerminal;
        Terminal* weighedA = nullptr;
        Terminal* weighedB = nullptr;
        bool closesCycle = false;
    };

    QList<LinkCycleCheck::Link> weigh();

    bool m_report;
    QList<Link> m_links;
    int m_refusedForCycles = 0;
    QList<Unmade> m_unmade;
};

} // namespace KelNodes

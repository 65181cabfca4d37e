#pragma once

#include <QList>
#include <QString>

namespace KelNodes {

class Node;
class Terminal;

// Many links made in one go, each as Terminal::connect would make it in that order, without a
// walk over everything upstream for every link: one pass over the nodes the links reach finds
// the links that close a cycle (of those on one cycle the last); they are refused, and the
// others together with those already there close none, so that no single one of them can.
class LinkBatch
{
public:
    // `reportMissing`: a terminal name that its node does not have is written to the debug log
    // (as a loaded document's link is).
    explicit LinkBatch(bool reportMissing = false);

    // Links `a`'s terminal `aTerminal` with `b`'s terminal `bTerminal`; names are looked up
    // when the link is made.
    void add(Node* a, QString const& aTerminal, Node* b, QString const& bTerminal);
    int size() const { return int(m_links.size()); }

    // Makes the links in the order added and forgets them. The count made.
    int connectAll();

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

    void weigh();

    bool m_reportMissing;
    QList<Link> m_links;
};

} // namespace KelNodes

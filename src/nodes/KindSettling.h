#pragma once

#include <QList>
#include <QSet>

namespace KelNodes {

class Node;
class Terminal;

// Some node types give a terminal the kind its links call for (KINDS.md). A node settles its
// kinds after each link made or broken; while a KindSettling is alive on the thread, it settles
// once instead, when the outermost one ends or settle() is called: a load, an undo step or a
// graph emptied then costs each node's kinds once, not once a link.
//
// Links the program makes again inside one (a document's, an undo step's) are made on the widest
// kinds the nodes can take, whatever order they come in: each end is opened before it is
// linked. The kinds then settled may leave a link that nothing can serve (a file that names a
// one-channel source and a colour-only reader of one node); such a link is broken and returned.
class KindSettling
{
public:
    // A link broken because the settled kinds could not serve it: output end, input end.
    struct Unserved
    {
        Node* outputNode;
        QString outputTerminal;
        Node* inputNode;
        QString inputTerminal;
    };

    // What one settling has done so far: the nodes settled, the links that cannot be served.
    struct Round
    {
        QSet<Node const*> settled;
        QList<QPair<Terminal*, Terminal*>> unserved; // output, input
    };

    KindSettling();
    ~KindSettling();
    KindSettling(KindSettling const&) = delete;
    KindSettling& operator=(KindSettling const&) = delete;

    static bool active();
    // Inside one: the node will settle at the end; `open` also gives it its widest kinds now
    // (once a settling). Outside: nothing.
    static void takeIn(Node* node, bool open);
    // Opens both ends' hosts before a link is made again.
    static void openEnds(Terminal const* a, Terminal const* b);
    // A node that dies is settled no more.
    static void forget(Node const* node);

    // Settles every node taken in so far, breaks the links nothing can serve, and returns them.
    QList<Unserved> settle();

private:
    static QList<Unserved> settlePending();
};

} // namespace KelNodes

#include "nodes/KindSettling.h"

#include "nodes/Node.h"
#include "nodes/Terminal.h"

namespace KelNodes {

namespace {

struct Pending
{
    int depth = 0;
    QList<Node*> nodes;
    QSet<Node const*> listed;
    QSet<Node const*> opened;
};

thread_local Pending t_pending;

} // namespace

KindSettling::KindSettling()
{
    ++t_pending.depth;
}

KindSettling::~KindSettling()
{
    if (t_pending.depth == 1)
        settlePending();
    --t_pending.depth;
}

bool KindSettling::active()
{
    return t_pending.depth > 0;
}

void KindSettling::takeIn(Node* node, bool open)
{
    if (!node || t_pending.depth == 0)
        return;
    if (!t_pending.listed.contains(node)) {
        t_pending.listed.insert(node);
        t_pending.nodes.append(node);
    }
    if (open && !t_pending.opened.contains(node)) {
        t_pending.opened.insert(node);
        node->openKinds();
    }
}

void KindSettling::openEnds(Terminal const* a, Terminal const* b)
{
    if (t_pending.depth == 0)
        return;
    takeIn(a ? a->hostNode() : nullptr, true);
    takeIn(b ? b->hostNode() : nullptr, true);
}

void KindSettling::forget(Node const* node)
{
    // Left in the list, passed over when settling: taking it out would cost the list's length
    // for every node of a graph emptied.
    t_pending.listed.remove(node);
    t_pending.opened.remove(node);
}

QList<KindSettling::Unserved> KindSettling::settle()
{
    return settlePending();
}

QList<KindSettling::Unserved> KindSettling::settlePending()
{
    QList<Unserved> broken;
    // Breaking a link takes its ends in again; each round breaks one link at least or ends.
    while (!t_pending.nodes.isEmpty()) {
        const QList<Node*> nodes = t_pending.nodes;
        const QSet<Node const*> listed = t_pending.listed;
        t_pending.nodes.clear();
        t_pending.listed.clear();
        t_pending.opened.clear();
        Round round;
        for (Node* node : nodes) {
            if (listed.contains(node))
                node->settleKinds(round);
        }
        for (auto const& [output, input] : std::as_const(round.unserved)) {
            if (!output->isConnectedTo(input))
                continue;
            broken.append({output->hostNode(), output->name(), input->hostNode(), input->name()});
            output->disconnect(input);
        }
    }
    return broken;
}

} // namespace KelNodes

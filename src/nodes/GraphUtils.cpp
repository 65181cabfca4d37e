#include "nodes/GraphUtils.h"

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

namespace KelNodes {
namespace GraphUtils {

namespace {

bool occupied(Terminal const* t, unsigned int mask)
{
    return t->numConnections() > 0 && (mask & Terminal::MultiLink) == 0;
}

} // namespace

int connectNodes(Node* from, Node* to, bool force)
{
    if (!from || !to)
        return -1;
    for (int i = 0; i < from->numTerminals(); ++i) {
        Terminal* out = from->terminal(i);
        if (!out || out->outputMask() == 0 || (!force && occupied(out, out->outputMask())))
            continue;
        for (int j = 0; j < to->numTerminals(); ++j) {
            Terminal* in = to->terminal(j);
            if (!in || in->inputMask() == 0 || (!force && occupied(in, in->inputMask())))
                continue;
            if ((out->outputMask() & in->inputMask()) != 0)
                return out->connect(in);
        }
    }
    return -1;
}

int deleteNodeInFrontOf(Node* node, bool all)
{
    if (!node)
        return 0;
    const QList<Node*> upstream = node->getSubTree();
    // Collected first: removing a node may remove others with it (a graph's members).
    QList<Node*> doomed;
    for (Node* candidate : upstream) {
        if (all || node->isConnectedTo(candidate))
            doomed.append(candidate);
    }
    NodeGraph* root = node->topLevelGraph();
    for (Node* candidate : std::as_const(doomed)) {
        // Only pointers are compared until the node is known to be alive.
        if (!root || !root->containsNode(candidate, true))
            continue;
        candidate->parentGraph()->removeNode(candidate);
    }
    return 0;
}

} // namespace GraphUtils
} // namespace KelNodes

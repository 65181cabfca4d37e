#pragma once

namespace KelNodes {

class Node;

namespace GraphUtils {

// Links the first output terminal of `from` to the first input terminal of `to` that share a
// data kind. Without `force` occupied single-link terminals are passed over; with it, linking
// one drops its old link. The connect result, or -1 when no pair fits.
int connectNodes(Node* from, Node* to, bool force);

// Removes the nodes feeding only `node` (all of its sub-tree with `all`, else only those
// linked to it directly), each through its own graph. Always 0.
int deleteNodeInFrontOf(Node* node, bool all);

} // namespace GraphUtils
} // namespace KelNodes

#pragma once

#include <QString>
#include <QUuid>

namespace KelNodes {

class Node;

// One static record per node type. The type id names the node's container and therefore the
// tag of its section in graph documents; the type uuid is stored as the section's "uuid".
struct NodeDescriptor
{
    QString typeId;              // e.g. "generator.noise"
    QUuid typeUuid;
    QString displayName;         // translated; shown (and stored) when a node has no name
    QString further;
    Node* (*create)(int uid) = nullptr; // without it the type cannot be made from a document
};

} // namespace KelNodes

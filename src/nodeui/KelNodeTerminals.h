#pragma once

#include <QList>

namespace KelNodes {
class Node;
class Terminal;
}

// Walks over a node's terminals and a terminal's links, as the view, its node items and the
// layout read them.
class KelNodeTerminals
{
public:
    KelNodeTerminals() = delete;

    // The node's terminals in order (none for null).
    static QList<KelNodes::Terminal*> all(KelNodes::Node const* node);
    // Those with a non-zero output mask, or input mask.
    static QList<KelNodes::Terminal*> outputs(KelNodes::Node const* node);
    static QList<KelNodes::Terminal*> inputs(KelNodes::Node const* node);
    // The hosts of the terminals linked with `terminal`, in link order.
    static QList<KelNodes::Node*> linkedHosts(KelNodes::Terminal const* terminal);
};

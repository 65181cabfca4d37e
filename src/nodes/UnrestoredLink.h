#pragma once

#include <QString>

namespace KelNodes {

// A link a graph document names that its load could not make again, named as the user knows
// its ends: the nodes' shown names and the terminals' names. `from` is the end that gives the
// value when the terminals say so; otherwise the end the document names first.
struct UnrestoredLink
{
    enum class Why {
        NoTerminal,  // one end has no terminal of that name
        ClosesCycle, // a node would depend on itself
        Refused      // the two ends do not take each other's kind of value
    };

    QString fromNode;
    QString fromTerminal;
    QString toNode;
    QString toTerminal;
    Why why = Why::Refused;
};

} // namespace KelNodes

#pragma once

// Every link of a graph at any depth, each once, as "uid.terminal - uid.terminal" (its ends in
// text order), sorted: two graphs with the same nodes compare by their links.

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

#include <QSet>
#include <QStringList>

#include <string>

namespace GraphLinks {

inline QString end(KelNodes::Terminal const* terminal)
{
    KelNodes::Node const* host = terminal->hostNode();
    return QString::number(host ? host->uid() : -1) + QLatin1Char('.') + terminal->name();
}

inline void collect(KelNodes::Node const* node, QSet<QString>& links)
{
    for (int i = 0; i < node->numTerminals(); ++i) {
        KelNodes::Terminal const* terminal = node->terminal(i);
        if (!terminal)
            continue;
        for (KelNodes::Terminal const* peer : terminal->connections()) {
            const QString a = end(terminal);
            const QString b = end(peer);
            links.insert(a < b ? a + QStringLiteral(" - ") + b : b + QStringLiteral(" - ") + a);
        }
    }
    if (KelNodes::NodeGraph const* graph = node->toNodeGraph()) {
        for (KelNodes::Node const* member : graph->nodes())
            collect(member, links);
    }
}

inline QStringList of(KelNodes::NodeGraph const* graph)
{
    QSet<QString> links;
    if (graph)
        collect(graph, links);
    QStringList sorted(links.cbegin(), links.cend());
    sorted.sort();
    return sorted;
}

// Every node's own terminals at any depth with their kinds, as "uid.terminal in/out", sorted: a
// terminal's kind decides which links it takes.
inline void collectKinds(KelNodes::Node const* node, QStringList& kinds)
{
    for (int i = 0; i < node->numTerminals(); ++i) {
        KelNodes::Terminal const* terminal = node->terminal(i);
        if (terminal && terminal->hostNode() == node)
            kinds.append(QStringLiteral("%1 %2/%3").arg(end(terminal)).arg(terminal->inputMask()).arg(terminal->outputMask()));
    }
    if (KelNodes::NodeGraph const* graph = node->toNodeGraph()) {
        for (KelNodes::Node const* member : graph->nodes())
            collectKinds(member, kinds);
    }
}

inline std::string kindsText(KelNodes::NodeGraph const* graph)
{
    QStringList kinds;
    if (graph)
        collectKinds(graph, kinds);
    kinds.sort();
    return kinds.join(QLatin1Char('\n')).toStdString();
}

// One link a line, for a comparison that shows what differs.
inline std::string text(KelNodes::NodeGraph const* graph)
{
    return of(graph).join(QLatin1Char('\n')).toStdString();
}

} // namespace GraphLinks

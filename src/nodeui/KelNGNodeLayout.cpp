#include "nodeui/KelNGNodeLayout.h"

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"
#include "nodeui/KelNodeTerminals.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <algorithm>
#include <atomic>

int KelNGNodeLayout::smallestLevelFed(KelNodes::Node* node, int level)
{
    int result = level;
    for (KelNodes::Terminal* terminal : KelNodeTerminals::outputs(node)) {
        for (KelNodes::Node* host : KelNodeTerminals::linkedHosts(terminal))
            result = std::min(result, host->getLevel(true));
    }
    return result;
}

int KelNGNodeLayout::inputIndexAtLevel(KelNodes::Node* node, int level)
{
    for (KelNodes::Terminal* terminal : KelNodeTerminals::outputs(node)) {
        for (KelNodes::Node* host : KelNodeTerminals::linkedHosts(terminal)) {
            if (host->getLevel(true) != level)
                continue;
            const QList<KelNodes::Terminal*> hostTerminals = KelNodeTerminals::all(host);
            for (int k = 0; k < hostTerminals.size(); ++k) {
                KelNodes::Terminal* input = hostTerminals.at(k);
                if (input->isInput() && KelNodeTerminals::linkedHosts(input).contains(node))
                    return k + 1;
            }
        }
    }
    return 0;
}

namespace {

std::atomic<quint64> nodesWeighed{0};

// The nodes Node::isConnectedTo answers true for, each once: the hosts of every link of every
// terminal.
QSet<KelNodes::Node*> linkedNodes(KelNodes::Node const* node)
{
    QSet<KelNodes::Node*> linked;
    for (int i = 0; i < node->numTerminals(); ++i) {
        KelNodes::Terminal const* own = node->terminal(i);
        if (!own)
            continue;
        for (KelNodes::Terminal const* peer : own->connections()) {
            if (peer && peer->hostNode())
                linked.insert(peer->hostNode());
        }
    }
    return linked;
}

// By the level each node feeds, then by the input it feeds there; a key beyond the last level
// places no node.
QList<KelNodes::Node*> orderByLevelFed(QList<KelNodes::Node*> const& column, int maxLevel)
{
    struct Keyed
    {
        int key;
        int input;
        KelNodes::Node* node;
    };
    QList<Keyed> keyed;
    keyed.reserve(column.size());
    for (KelNodes::Node* node : column) {
        const int key = KelNGNodeLayout::smallestLevelFed(node, maxLevel);
        if (key >= 0 && key <= maxLevel)
            keyed.append({key, KelNGNodeLayout::inputIndexAtLevel(node, key), node});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](Keyed const& a, Keyed const& b) {
        return a.key != b.key ? a.key < b.key : a.input < b.input;
    });
    QList<KelNodes::Node*> ordered;
    ordered.reserve(keyed.size());
    for (Keyed const& each : std::as_const(keyed))
        ordered.append(each.node);
    return ordered;
}

// Next to what they are linked with in the previous column: for each node there in order, the
// column's nodes linked with it in column order; then the rest in column order.
QList<KelNodes::Node*> orderByPrevious(QList<KelNodes::Node*> const& column, QList<KelNodes::Node*> const& previous)
{
    QHash<KelNodes::Node*, int> place;
    place.reserve(column.size());
    for (int i = 0; i < column.size(); ++i)
        place.insert(column.at(i), i);
    QList<bool> taken(column.size(), false);
    QList<KelNodes::Node*> ordered;
    ordered.reserve(column.size());
    for (KelNodes::Node* upper : previous) {
        QList<int> linked;
        for (KelNodes::Node* node : linkedNodes(upper)) {
            const int i = place.value(node, -1);
            if (i >= 0 && !taken.at(i)) {
                taken[i] = true;
                linked.append(i);
            }
        }
        std::sort(linked.begin(), linked.end());
        for (int i : std::as_const(linked))
            ordered.append(column.at(i));
    }
    for (int i = 0; i < column.size(); ++i) {
        if (!taken.at(i))
            ordered.append(column.at(i));
    }
    return ordered;
}

} // namespace

void KelNGNodeLayout::arrange(KelNodes::NodeGraph* graph, Place const& place)
{
    if (!graph)
        return;
    graph->sortNodes();
    QList<KelNodes::Node*> const list = graph->nodes();
    const int maxLevel = list.isEmpty() ? -1 : list.last()->getLevel(true);
    int level = list.isEmpty() ? 0 : list.first()->getLevel(true);
    // Each level's column in list order, gathered in one pass.
    QHash<int, QList<KelNodes::Node*>> columns;
    for (KelNodes::Node* node : list)
        columns[node->getLevel(true)].append(node);
    nodesWeighed.fetch_add(quint64(list.size()), std::memory_order_relaxed);
    int columnX = 20;
    QList<KelNodes::Node*> previous;
    while (level <= maxLevel) {
        QList<KelNodes::Node*> const column = columns.value(level);
        nodesWeighed.fetch_add(quint64(column.size()), std::memory_order_relaxed);
        QList<KelNodes::Node*> const ordered =
            previous.isEmpty() ? orderByLevelFed(column, maxLevel) : orderByPrevious(column, previous);
        double y = 20.0;
        bool first = true;
        const int x = columnX;
        for (KelNodes::Node* node : ordered) {
            const QSizeF size = place(node, QPointF(x, y));
            if (size.isEmpty())
                continue;
            if (first) {
                columnX = int(columnX + size.width() + 40);
                first = false;
            }
            y = int(y + size.height() + 20);
        }
        previous = ordered;
        ++level;
    }
}

quint64 KelNGNodeLayout::nodesWeighedCount()
{
    return nodesWeighed.load(std::memory_order_relaxed);
}

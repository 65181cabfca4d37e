#include "nodeui/KelNGNodeLayout.h"

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

#include <QList>

#include <algorithm>

namespace {

QList<KelNodes::Terminal*> terminalsOf(KelNodes::Node const* node)
{
    QList<KelNodes::Terminal*> list;
    for (int i = 0; node; ++i) {
        KelNodes::Terminal* terminal = node->terminal(i);
        if (!terminal)
            break;
        list.append(terminal);
    }
    return list;
}

} // namespace

int KelNGNodeLayout::smallestLevelFed(KelNodes::Node* node, int level)
{
    int result = level;
    for (KelNodes::Terminal* terminal : terminalsOf(node)) {
        if (terminal->outputMask() == 0)
            continue;
        for (int j = 0;; ++j) {
            KelNodes::Node* host = terminal->connectedToHost(j);
            if (!host)
                break;
            result = std::min(result, host->getLevel(true));
        }
    }
    return result;
}

int KelNGNodeLayout::inputIndexAtLevel(KelNodes::Node* node, int level)
{
    for (KelNodes::Terminal* terminal : terminalsOf(node)) {
        if (terminal->outputMask() == 0)
            continue;
        for (int j = 0;; ++j) {
            KelNodes::Node* host = terminal->connectedToHost(j);
            if (!host)
                break;
            if (host->getLevel(true) != level)
                continue;
            const QList<KelNodes::Terminal*> hostTerminals = terminalsOf(host);
            for (int k = 0; k < hostTerminals.size(); ++k) {
                KelNodes::Terminal* input = hostTerminals.at(k);
                if (input->inputMask() == 0)
                    continue;
                for (int m = 0;; ++m) {
                    KelNodes::Node* holder = input->connectedToHost(m);
                    if (!holder)
                        break;
                    if (holder == node)
                        return k + 1;
                }
            }
        }
    }
    return 0;
}

void KelNGNodeLayout::arrange(KelNodes::NodeGraph* graph, Place const& place)
{
    if (!graph)
        return;
    graph->sortNodes();
    QList<KelNodes::Node*> const list = graph->nodes();
    const int maxLevel = list.isEmpty() ? -1 : list.last()->getLevel(true);
    int level = list.isEmpty() ? 0 : list.first()->getLevel(true);
    int columnX = 20;
    QList<KelNodes::Node*> previous;
    while (level <= maxLevel) {
        QList<KelNodes::Node*> column;
        for (KelNodes::Node* node : list) {
            if (node->getLevel(true) == level)
                column.append(node);
        }
        QList<KelNodes::Node*> ordered;
        if (previous.isEmpty()) {
            // By the level each node feeds, then by the input it feeds there.
            QList<int> keys;
            for (KelNodes::Node* node : column)
                keys.append(smallestLevelFed(node, maxLevel));
            for (int key = 0; key <= maxLevel; ++key) {
                QList<KelNodes::Node*> withKey;
                for (int i = 0; i < column.size(); ++i) {
                    if (keys.at(i) == key)
                        withKey.append(column.at(i));
                }
                std::stable_sort(withKey.begin(), withKey.end(), [key](KelNodes::Node* a, KelNodes::Node* b) {
                    return inputIndexAtLevel(a, key) < inputIndexAtLevel(b, key);
                });
                ordered += withKey;
            }
        } else {
            // Next to what they are linked with in the previous column.
            for (KelNodes::Node* upper : std::as_const(previous)) {
                for (KelNodes::Node* node : column) {
                    if (upper->isConnectedTo(node) && !ordered.contains(node))
                        ordered.append(node);
                }
            }
            for (KelNodes::Node* node : column) {
                if (!ordered.contains(node))
                    ordered.append(node);
            }
        }
        double y = 20.0;
        bool first = true;
        const int x = columnX;
        for (KelNodes::Node* node : std::as_const(ordered)) {
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

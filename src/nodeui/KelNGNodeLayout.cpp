#include "nodeui/KelNGNodeLayout.h"

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"
#include "nodeui/KelNodeTerminals.h"

#include <QList>

#include <algorithm>

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

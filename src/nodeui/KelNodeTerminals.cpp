#include "nodeui/KelNodeTerminals.h"

#include "nodes/Node.h"
#include "nodes/Terminal.h"

namespace {

QList<KelNodes::Terminal*> filtered(KelNodes::Node const* node, bool (KelNodes::Terminal::*keep)() const)
{
    QList<KelNodes::Terminal*> list;
    for (int i = 0; node; ++i) {
        KelNodes::Terminal* terminal = node->terminal(i);
        if (!terminal)
            break;
        if (!keep || (terminal->*keep)())
            list.append(terminal);
    }
    return list;
}

} // namespace

QList<KelNodes::Terminal*> KelNodeTerminals::all(KelNodes::Node const* node)
{
    return filtered(node, nullptr);
}

QList<KelNodes::Terminal*> KelNodeTerminals::outputs(KelNodes::Node const* node)
{
    return filtered(node, &KelNodes::Terminal::isOutput);
}

QList<KelNodes::Terminal*> KelNodeTerminals::inputs(KelNodes::Node const* node)
{
    return filtered(node, &KelNodes::Terminal::isInput);
}

QList<KelNodes::Node*> KelNodeTerminals::linkedHosts(KelNodes::Terminal const* terminal)
{
    QList<KelNodes::Node*> hosts;
    for (int i = 0; terminal; ++i) {
        KelNodes::Node* host = terminal->connectedToHost(i);
        if (!host)
            break;
        hosts.append(host);
    }
    return hosts;
}

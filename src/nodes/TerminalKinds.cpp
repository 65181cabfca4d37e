#include "nodes/TerminalKinds.h"

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

namespace KelNodes {

void TerminalKinds::record(Node const* node)
{
    if (!node || m_masks.contains(node->uid()))
        return;
    QList<Masks>& masks = m_masks[node->uid()];
    for (int i = 0; i < node->numTerminals(); ++i) {
        Terminal const* terminal = node->terminal(i);
        if (terminal && terminal->hostNode() == node)
            masks.append({terminal->name(), terminal->inputMask(), terminal->outputMask()});
    }
}

void TerminalKinds::recordWithNeighbours(Node const* node)
{
    if (!node)
        return;
    record(node);
    for (int i = 0; i < node->numTerminals(); ++i) {
        Terminal const* terminal = node->terminal(i);
        if (!terminal)
            continue;
        record(terminal->hostNode());
        for (Terminal const* peer : terminal->connections())
            record(peer ? peer->hostNode() : nullptr);
    }
    if (NodeGraph const* graph = node->toNodeGraph()) {
        // A copy: asking a member graph for its terminals may sort the list.
        const QList<Node*> members = graph->nodes();
        for (Node const* member : members)
            recordWithNeighbours(member);
    }
}

void TerminalKinds::apply(NodeGraph* top) const
{
    if (!top)
        return;
    for (auto it = m_masks.cbegin(); it != m_masks.cend(); ++it) {
        Node* node = top->uid() == it.key() ? top : top->findNode(it.key(), true);
        if (!node)
            continue;
        for (Masks const& masks : it.value()) {
            Terminal* terminal = node->getTerminal(masks.terminal);
            if (!terminal || terminal->hostNode() != node)
                continue;
            terminal->setInputMask(masks.input);
            terminal->setOutputMask(masks.output);
        }
    }
}

bool TerminalKinds::holds(Node const* node) const
{
    return node && m_masks.contains(node->uid());
}

int TerminalKinds::linkAsRecorded(Terminal* a, Terminal* b, Widen widen, TerminalKinds const* recorded)
{
    if (!a || !b)
        return -1;
    Terminal* output = a->isOutput() && b->isInput() ? a : b;
    Terminal* input = output == a ? b : a;
    const unsigned int kinds = ~unsigned(Terminal::MultiLink);
    const unsigned int outputMask = output->outputMask();
    const unsigned int inputMask = input->inputMask();
    if (!output->isOutput() || !input->isInput() || (outputMask & inputMask & kinds) != 0)
        return a->connect(b);
    auto mayWiden = [widen, recorded](Terminal const* end) {
        Node const* host = end->hostNode();
        return widen == Widen::EitherEnd
               || (host && (host->keepsStoredKind(end) || (recorded && recorded->holds(host))));
    };
    if (!mayWiden(output) && !mayWiden(input))
        return a->connect(b);
    if (mayWiden(output))
        output->setOutputMask(outputMask | (inputMask & kinds));
    if (mayWiden(input))
        input->setInputMask(inputMask | (outputMask & kinds));
    const int result = a->connect(b);
    output->setOutputMask(outputMask);
    input->setInputMask(inputMask);
    return result;
}

} // namespace KelNodes

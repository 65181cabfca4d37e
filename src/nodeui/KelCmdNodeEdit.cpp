#include "nodeui/KelCmdNodeEdit.h"

#include "app/ShownText.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelParam.h"
#include "nodeui/KelParamSnapshot.h"
#include "nodeui/NodeEditHooks.h"
#include "params/ParameterContainer.h"

#include <QBuffer>
#include <QObject>

namespace {

// The node and, for a graph, every node inside it: a graph's snapshot carries them all.
QList<KelNodes::Node*> nodeAndMembers(KelNodes::Node* node)
{
    QList<KelNodes::Node*> nodes{node};
    for (int i = 0; i < nodes.size(); ++i) {
        if (KelNodes::NodeGraph* graph = nodes.at(i)->toNodeGraph())
            nodes.append(graph->nodes());
    }
    return nodes;
}

} // namespace

KelCmdNodeEdit::KelCmdNodeEdit(KelNGNodeGraphView* view, KelNodes::NodeGraph* graph, KelNodes::Node* node,
                               QBuffer* before)
    : m_view(view)
    , m_graph(graph)
    , m_oldState(before)
    , m_nodeUid(node ? node->uid() : -1)
    , m_ownerUid(-1)
{
    if (node) {
        KelNodes::NodeGraph* owner = node->parentGraph();
        m_ownerUid = (!owner || owner == graph) ? 0 : owner->uid();
        setText(ShownText::name(node->displayName()) + QLatin1Char(' ') + QObject::tr("edit"));
    }
}

KelCmdNodeEdit::~KelCmdNodeEdit()
{
    delete m_oldState;
    delete m_newState;
}

KelNodes::Node* KelCmdNodeEdit::findNode() const
{
    if (!m_graph || m_nodeUid < 0)
        return nullptr;
    KelNodes::Node* owner = m_graph->findNode(m_ownerUid, true);
    KelNodes::NodeGraph* ownerGraph = owner ? owner->toNodeGraph() : nullptr;
    if (!ownerGraph)
        return nullptr;
    return ownerGraph->findNode(m_nodeUid, true);
}

void KelCmdNodeEdit::redo()
{
    KelNodes::Node* node = findNode();
    if (!node)
        return;
    if (!m_newState)
        m_newState = KelParamSnapshot::store(node->paramContainer());
    else
        restore(node, m_newState);
    announce(node);
}

void KelCmdNodeEdit::undo()
{
    KelNodes::Node* node = findNode();
    if (!node)
        return;
    restore(node, m_oldState);
    announce(node);
}

void KelCmdNodeEdit::restore(KelNodes::Node* node, QBuffer* state)
{
    NodeEditHooks::beforeWrite();
    KelParamSnapshot::load(node->paramContainer(), state);
    for (KelNodes::Node* changed : nodeAndMembers(node)) {
        if (auto* panel = qobject_cast<KelParam*>(changed->viewItem()))
            panel->applyParamStateToUI();
    }
}

void KelCmdNodeEdit::announce(KelNodes::Node* node)
{
    if (!m_view)
        return;
    for (KelNodes::Node* changed : nodeAndMembers(node))
        emit m_view->nodeParameterChanged(m_view.data(), changed);
}

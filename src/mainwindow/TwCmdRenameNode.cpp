#include "mainwindow/TwCmdRenameNode.h"

#include "app/TwCore.h"
#include "app/TwMainWindowInterface.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectSettings.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"

namespace {

KelNodes::Node* modelNodeOf(KelNGNode* viewNode)
{
    return viewNode ? viewNode->node() : nullptr;
}

} // namespace

TwCmdRenameNode::TwCmdRenameNode(TwCore* core, TwObjectEditor* editor, KelNGNode* viewNode,
                                 QString const& newName, QString const& oldName)
    : TwCmdRenameNode(core, editor, modelNodeOf(viewNode), newName, oldName)
{
}

TwCmdRenameNode::TwCmdRenameNode(TwCore* core, TwObjectEditor* editor, KelNodes::Node* node,
                                 QString const& newName, QString const& oldName)
    : m_core(core), m_editor(editor), m_topLevel(core, node),
      m_uid(node ? node->uid() : -1), m_newName(newName), m_oldName(oldName)
{
    setText(QObject::tr("Rename Node"));
}

void TwCmdRenameNode::redo()
{
    apply(m_newName);
}

void TwCmdRenameNode::undo()
{
    apply(m_oldName);
}

void TwCmdRenameNode::apply(QString const& name)
{
    KelNodes::Node* node = TwObjectSettings::findNode(m_core, m_topLevel.graph(), m_uid);
    if (!node)
        return;
    // The change rule, as for every edit of the project: the render reads the graph.
    if (m_core)
        m_core->cancelRender();
    // The name is the node's whether or not the view shows it now.
    node->setName(name);
    if (auto* item = qobject_cast<KelNGNode*>(node->viewItem())) {
        item->updatePixmap();
        if (m_editor)
            m_editor->setNodeName(item, name);
    }
    TwObjectSettings::markEdited(m_core, node);
    if (TwMainWindowInterface* window = m_core ? m_core->mainWindow() : nullptr)
        window->nodesOfGraphChanged();
    if (m_core)
        m_core->start();
}

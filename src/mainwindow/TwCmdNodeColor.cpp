#include "mainwindow/TwCmdNodeColor.h"

#include "app/TwCore.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectSettings.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"

#include <utility>

TwCmdNodeColor::TwCmdNodeColor(TwCore* core, TwObjectEditor* editor, KelNodes::Node* node, Attributes before,
                               Attributes after)
    : m_core(core), m_editor(editor), m_topLevel(node ? node->topLevelGraph() : nullptr),
      m_uid(node ? node->uid() : -1), m_before(std::move(before)), m_after(std::move(after))
{
    setText(QObject::tr("Node Color"));
}

void TwCmdNodeColor::redo()
{
    apply(m_after);
}

void TwCmdNodeColor::undo()
{
    apply(m_before);
}

void TwCmdNodeColor::apply(Attributes const& attributes)
{
    KelNodes::Node* node = TwObjectSettings::findNode(m_core, m_topLevel, m_uid);
    if (!node)
        return;
    // The colour's own attributes only: where the node view laid the node out since stays.
    QMap<QString, QVariant>& kept = node->paramContainer()->auxData();
    for (QString const& key : {QStringLiteral("hasCustomNodeColor"), QStringLiteral("customNodeColor")}) {
        if (attributes.contains(key))
            kept.insert(key, attributes.value(key));
        else
            kept.remove(key);
    }
    // A shown node takes the colour from the attributes, as when it is shown anew.
    if (auto* item = qobject_cast<KelNGNode*>(node->viewItem())) {
        item->setHasCustomNodeColor(attributes.value(QStringLiteral("hasCustomNodeColor")).toBool());
        if (attributes.contains(QStringLiteral("customNodeColor")))
            item->setCustomNodeColor(QColor::fromString(attributes.value(QStringLiteral("customNodeColor")).toString()));
        item->updatePixmap();
        if (m_editor && m_editor->panelNode() == item)
            m_editor->selectedNodeChanged(item);
    }
    TwObjectSettings::markEdited(m_core, node);
}

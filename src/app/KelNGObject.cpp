#include "app/KelNGObject.h"

#include "app/KelTemplate.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeGraph.h"

#include <QListWidget>
#include <QListWidgetItem>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QUuid>

namespace {

const QString BasedOnTemplateKey = QStringLiteral("basedOnTemplateUuid");

} // namespace

KelNGObject::KelNGObject(KelNodes::NodeGraph* graph) : m_graph(graph)
{
    initGraphRefs();
    m_uuid = QUuid::createUuid().toString();
    if (m_graph && m_graph->paramContainer()) {
        auto const& settings = m_graph->paramContainer()->auxData();
        auto it = settings.constFind(BasedOnTemplateKey);
        if (it != settings.constEnd()) {
            m_basedOnTemplateUuid = it.value().toString();
            m_graphChanged = true;
            getRootObject()->setGraphChanged(true);
        }
    }
}

KelNGObject::~KelNGObject()
{
    if (m_graph) {
        QList<KelNodes::Node*> const& nodes = m_graph->nodes();
        while (!nodes.isEmpty() && nodes.first()) {
            KelNodes::Node* first = nodes.first();
            KelNodes::NodeGraph* sub = first->toNodeGraph();
            if (KelNGObject* child = objectOf(sub))
                delete child;
            else
                m_graph->removeNode(first);
            // A node that neither way could take out would loop forever.
            if (!nodes.isEmpty() && nodes.first() == first)
                break;
        }
        if (KelNodes::NodeGraph* parent = m_graph->parentGraph()) {
            // Event 1 for the graph still finds this object, so the core drops it from its lists.
            parent->removeNode(m_graph);
        } else if (m_graph->projectObject() == this) {
            m_graph->setProjectObject(nullptr);
        }
        m_graph = nullptr;
    }
    deletePanelItems();
    if (m_template) {
        if (m_template->objectInstance() == this)
            m_template->setObjectInstance(nullptr);
        if (!m_templateInstance)
            delete m_template;
        m_template = nullptr;
    }
}

KelNGObject* KelNGObject::objectOf(KelNodes::NodeGraph const* graph)
{
    return graph ? qobject_cast<KelNGObject*>(graph->projectObject()) : nullptr;
}

void KelNGObject::initGraphRefs()
{
    if (!m_graph)
        return;
    m_graph->setProjectObject(this);
    QList<KelNodes::Node*> const nodes = m_graph->nodes();
    m_lastNode = nodes.isEmpty() ? nullptr : nodes.last();
    for (KelNodes::Node* node : nodes) {
        if (!node)
            break;
        if (KelNodes::NodeGraph* sub = node->toNodeGraph())
            new KelNGObject(sub);
    }
}

KelVyxNodes::VyxNodeGraph* KelNGObject::effectGraph() const
{
    return dynamic_cast<KelVyxNodes::VyxNodeGraph*>(m_graph);
}

KelNGObject* KelNGObject::getRootObject()
{
    if (!m_graph || !m_graph->parentGraph())
        return this;
    KelNodes::NodeGraph* graph = m_graph;
    while (graph->parentGraph() && graph->parentGraph()->parentGraph())
        graph = graph->parentGraph();
    KelNGObject* root = objectOf(graph);
    return root ? root : this;
}

KelTemplate* KelNGObject::getValidTemplate()
{
    KelNGObject* object = getValidTemplateObject();
    return object ? object->m_template : nullptr;
}

KelNGObject* KelNGObject::getValidTemplateObject()
{
    if (m_template)
        return this;
    for (KelNodes::NodeGraph* graph = m_graph; graph; graph = graph->parentGraph()) {
        KelNGObject* object = objectOf(graph);
        if (!object)
            return nullptr;
        if (object->m_template)
            return object;
    }
    return nullptr;
}

bool KelNGObject::containsNode(KelNodes::Node* node, bool recursive)
{
    if (!m_graph || !node)
        return false;
    if (node == static_cast<KelNodes::Node*>(m_graph))
        return true;
    for (KelNodes::Node* member : m_graph->nodes()) {
        if (!member)
            break;
        if (member == node)
            return true;
        if (KelNGObject* child = objectOf(member->toNodeGraph())) {
            if (child->containsNode(node, recursive))
                return true;
        }
    }
    return false;
}

void KelNGObject::getTotalNodesCount(int& count, int& unused)
{
    if (!m_graph)
        return;
    count += m_graph->numNodes();
    for (KelNodes::Node* member : m_graph->nodes()) {
        if (!member)
            break;
        if (KelNGObject* child = objectOf(member->toNodeGraph()))
            child->getTotalNodesCount(count, unused);
    }
}

KelNodes::Node* KelNGObject::getSignatureNode(SignatureNodes which)
{
    if (!m_graph)
        return nullptr;
    QList<KelNodes::Node*> const& nodes = m_graph->nodes();
    switch (which) {
    case LastNode:
        return nodes.isEmpty() ? nullptr : nodes.last();
    case FirstSubGraphNode:
        for (KelNodes::Node* node : nodes) {
            if (node && node->toNodeGraph())
                return node;
        }
        return nullptr;
    }
    return nullptr;
}

int KelNGObject::deleteNode(KelNodes::Node* node)
{
    if (!m_graph || !node)
        return -1;
    if (KelNodes::NodeGraph* sub = node->toNodeGraph()) {
        KelNGObject* child = objectOf(sub);
        if (!child || sub->parentGraph() != m_graph)
            return -1;
        delete child;
        return 0;
    }
    return m_graph->removeNode(node);
}

void KelNGObject::setBasedOnTemplateUuid(QString const& uuid)
{
    m_basedOnTemplateUuid = uuid;
    if (m_graph && m_graph->paramContainer())
        m_graph->paramContainer()->auxData().insert(BasedOnTemplateKey, QVariant(uuid));
}

QList<KelNGObject*> KelNGObject::getChildObjectList(bool all)
{
    QList<KelNGObject*> children;
    if (!m_graph)
        return children;
    for (KelNodes::Node* member : m_graph->nodes()) {
        if (!member)
            break;
        if (KelNGObject* child = objectOf(member->toNodeGraph())) {
            children.append(child);
            if (all)
                children.append(child->getChildObjectList(true));
        }
    }
    return children;
}

void KelNGObject::deleteUIItems()
{
    for (KelNGObject* child : getChildObjectList(false))
        child->deleteUIItems();
    deletePanelItems();
    getRootObject()->setGraphChanged(true);
}

void KelNGObject::deletePanelItems()
{
    delete projectBrowserItem;
    delete templateTreeItem2;
    delete objectEditorItem;
    delete templateTreeItem;
    delete templateListItem;
    delete furtherItem;
    projectBrowserItem = nullptr;
    templateTreeItem2 = nullptr;
    objectEditorItem = nullptr;
    templateTreeItem = nullptr;
    templateListItem = nullptr;
    furtherItem = nullptr;
}

void KelNGObject::applyNewMaterialIcon(QIcon const& icon)
{
    if (templateListItem) {
        QListWidget* list = templateListItem->listWidget();
        QSignalBlocker blocker(list);
        templateListItem->setIcon(icon);
        templateListItem->setHidden(false);
    }
    for (QTreeWidgetItem* item : {templateTreeItem, templateTreeItem2}) {
        if (!item)
            continue;
        QSignalBlocker blocker(item->treeWidget());
        item->setIcon(0, icon);
    }
}

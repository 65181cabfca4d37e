#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

class KelTemplate;
class QListWidgetItem;
class QTreeWidgetItem;

namespace KelNodes {
class Node;
class NodeGraph;
}
namespace KelVyxNodes {
class VyxNodeGraph;
}

// One project object: an effect graph of the project with its identity, its template and the
// rows the panels show for it. Graph and object point at each other (the graph's project-object
// slot); a graph's sub-graphs get child objects, so objects mirror the nesting of graphs.
class KelNGObject : public QObject
{
    Q_OBJECT

public:
    // Selects a node in getSignatureNode.
    enum SignatureNodes { LastNode = 0, FirstSubGraphNode = 2 };

    // Links the graph to this object and makes child objects for its sub-graphs.
    explicit KelNGObject(KelNodes::NodeGraph* graph);
    // Empties the graph (child objects deleted with their sub-graphs), removes it from its parent
    // graph (which deletes it; a graph without parent is left empty), deletes the panel items and
    // the template unless this object is that template's own instance.
    ~KelNGObject() override;

    // The object a graph carries, or null.
    static KelNGObject* objectOf(KelNodes::NodeGraph const* graph);

    // The top-level project object this one belongs to (itself at the top).
    KelNGObject* getRootObject();
    // This object's template, else the nearest ancestor object's.
    KelTemplate* getValidTemplate();
    KelNGObject* getValidTemplateObject();
    // Whether the node is this object's graph or lies in it at any depth (through child objects).
    bool containsNode(KelNodes::Node* node, bool recursive = true);
    // Adds the node count of the graph and of every sub-graph with an object to `count`.
    void getTotalNodesCount(int& count, int& unused);
    KelNodes::Node* getSignatureNode(SignatureNodes which);
    // Removes a node of this object's graph: a sub-graph through its object, a sub-graph without
    // object not at all, any other node through the graph. -1 when nothing was removed.
    int deleteNode(KelNodes::Node* node);
    // Also stored in the graph's settings map as "basedOnTemplateUuid".
    void setBasedOnTemplateUuid(QString const& uuid);
    // Child objects in node order; with `all` each followed by its descendants (pre-order).
    QList<KelNGObject*> getChildObjectList(bool all);
    // Deletes the panel items of this object and all its descendants.
    void deleteUIItems();
    // Links graph and object, records the last node, makes child objects.
    void initGraphRefs();
    // The icon of the object's template rows and list entry.
    void applyNewMaterialIcon(QIcon const& icon);

    KelNodes::NodeGraph* graph() const { return m_graph; }
    // The graph as an effect graph, or null.
    KelVyxNodes::VyxNodeGraph* effectGraph() const;
    QString const& uuid() const { return m_uuid; }
    QString const& basedOnTemplateUuid() const { return m_basedOnTemplateUuid; }
    // The object's template: owned unless this object is the template's own instance.
    KelTemplate* objectTemplate() const { return m_template; }
    void setObjectTemplate(KelTemplate* objectTemplate) { m_template = objectTemplate; }
    // The object is a store template's own instance: edits mark the template, not the project.
    bool isTemplateInstance() const { return m_templateInstance; }
    void setTemplateInstance(bool instance) { m_templateInstance = instance; }
    // The graph changed; the object's rows need refreshing.
    bool graphChanged() const { return m_graphChanged; }
    void setGraphChanged(bool changed) { m_graphChanged = changed; }
    bool isDeletable() const { return m_deletable; }
    void setDeletable(bool deletable) { m_deletable = deletable; }
    int changeCount() const { return m_changeCount; }
    void setChangeCount(int count) { m_changeCount = count; }
    // The last node of the graph's list at construction.
    KelNodes::Node* lastNode() const { return m_lastNode; }

    // Panel rows, deleted by the object. 1: project browser, 2 and 4: template trees,
    // 3: object editor, 5: template list entry, 6: a further row.
    QTreeWidgetItem* projectBrowserItem = nullptr;
    QTreeWidgetItem* templateTreeItem2 = nullptr;
    QTreeWidgetItem* objectEditorItem = nullptr;
    QTreeWidgetItem* templateTreeItem = nullptr;
    QListWidgetItem* templateListItem = nullptr;
    QTreeWidgetItem* furtherItem = nullptr;

private:
    void deletePanelItems();

    KelNodes::NodeGraph* m_graph;
    QString m_uuid;
    QString m_basedOnTemplateUuid;
    KelTemplate* m_template = nullptr;
    bool m_templateInstance = false;
    bool m_graphChanged = false;
    bool m_deletable = true;
    int m_changeCount = 0;
    KelNodes::Node* m_lastNode = nullptr;
};

#pragma once

#include "nodeui/KelNGNode.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPoint>
#include <QPointer>
#include <QPointF>
#include <QString>

class KelNGNodeConnection;
class KelParam;
class KelParamAtom;
class QAction;
class QBuffer;
class QMenu;

namespace KelNodes {
class Node;
class NodeGraph;
class Terminal;
}
namespace KelUtils {
class IParameterContainer;
}

// The graphics view of one node graph: a node item per node, a wire per drawn link, a grid
// behind. The view changes no graph structure by itself except creating a dropped node: every
// structural edit leaves it as a signal that the main window turns into an undo command, whose
// first redo runs inside the emission and calls back (addConnection, setObject, updateGraph).
//
// Node items belong to their nodes and may be deleted by the core at any time (a node leaving
// its graph): the view holds them by guarded pointers and forgets a terminal with its node.
class KelNGNodeGraphView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit KelNGNodeGraphView(QWidget* parent = nullptr);
    ~KelNGNodeGraphView() override;

    // 0 top-level graph, 1 an object's graph, 2 a material graph; written by the owner.
    int viewKind = 0;
    // While set, the scene rectangle is left alone (the main window moves the view).
    bool layoutFrozen = false;

    void setObject(KelNodes::NodeGraph* graph);
    KelNodes::NodeGraph* graph() const { return m_graph; }
    void updateGraph();
    void setSelectedNode(KelNGNode* node);
    KelNGNode* selectedNode() const { return m_selectedNode; }
    // Lists the wire and puts its curve in the scene, each unless already so, then links it.
    void addConnection(KelNGNodeConnection* wire);
    // Unlists the wire and takes its curve out, then unlinks it; the wire is not deleted.
    void removeConnection(KelNGNodeConnection* wire);
    void deleteConnections();
    void updateConnectionsFor(KelNGNode* node);
    void deleteSelectedNode();
    // The scene rectangle: at least the viewport, items beyond it with a 40-pixel margin.
    void computeLayout();
    // Emits the graph-changed signal of the view's kind.
    void graphHasChanged();

    // Parameter snapshots of a node's container ("nodes" root, one section); the caller owns
    // the buffer.
    QBuffer* storeParamState(KelUtils::IParameterContainer* container);
    void loadParamState(KelUtils::IParameterContainer* container, QBuffer* state);

    KelNGNode* nodeOfTerminal(KelNodes::Terminal* terminal) const;
    // Terminals walked so far to find which node holds a terminal: what drawing the wires
    // costs, for the tests.
    static quint64 terminalsWalkedCount();
    KelNGNodeConnection* connectionOfTerminal(KelNodes::Terminal* terminal) const;
    bool isValidSourceTerminal(KelNodes::Terminal* terminal) const;
    int numberOfConnectedOutputTerminals(KelNodes::Node* node) const;
    int smallestNodeLevelForRightConnectedNode(KelNodes::Node* node, int level) const;
    int indexForConnectionToNodeOfLevel(KelNodes::Node* node, int level) const;

    QList<KelNGNodeConnection*> const& connections() const { return m_connections; }
    QGraphicsScene* graphScene() { return &m_scene; }
    QAction* action(QString const& key) const { return m_actions.value(key); }
    // The menu a right press at the view point shows (empty when it offers nothing); the
    // caller owns it.
    QMenu* createContextMenu(QPoint viewPoint);
    // The node item under a view point, topmost first; wire curves are skipped.
    KelNGNode* nodeAt(QPoint viewPoint) const;
    KelNodes::Terminal* hoverTerminal() const;
    KelNGNode* hoverNode() const { return m_hoverNode; }
    QString const& dragNodePath() const { return m_dragNodePath; }

public slots:
    KelNGNode* createNode(QString path, QPoint point);
    KelNGNode* createNode(QString path);
    void redrawNodes();
    // A change of a node's keys on the timeline (the node's container or, for a graph, its
    // graph's) becomes a node-edit command like a typed value (which takes `before`).
    void addKeyframeUndo(KelUtils::IParameterContainer* container, QBuffer* before);

signals:
    // The node picked (null: none), also for a click on the node that is picked already.
    void selectedNodeChanged(KelNGNode* node);
    void addNodeToGraphView(KelNGNodeGraphView* view, KelNodes::Node* node);
    void deleteNodeFromGraphView(KelNGNodeGraphView* view, KelNodes::Node* node);
    void collapseNodeInGraph(KelNGNodeGraphView* view, KelNodes::Node* node);
    void expandNodeInGraph(KelNGNodeGraphView* view, KelNodes::Node* node);
    void nodeConnectionChangedInGraphView(KelNGNodeGraphView* view, KelNGNodeConnection* wire,
                                          bool connected);
    void nodeDragAndDrop(KelNGNodeGraphView* view, KelNodes::Node* node, KelNodes::Node* group);
    void topLevelGraphChanged();
    void objectGraphChanged();
    void materialGraphChanged();
    void nodeParameterChanged(KelNGNodeGraphView* view, KelNodes::Node* node);
    // Nodes were moved by hand or by the Reorder action; their places are in their settings.
    void nodePositionsChanged(KelNGNodeGraphView* view);

protected slots:
    // A finished edit in a node's panel or in an atom bound to a node becomes one node-edit
    // command on the node's top-level graph's undo stack (which takes `before`).
    void addNodeUndo(KelParam* panel, QBuffer* before);
    void addNodeUndo(KelParamAtom* atom, QBuffer* before);
    void reorderNodes();
    void collapseAction_triggered();
    void expandAction_triggered();
    void deleteAction_triggered();
    void breakConnectionsAction_triggered();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawBackground(QPainter* painter, QRectF const& exposed) override;

private slots:
    void reorderAction_triggered();

private:
    // Each terminal of the nodes with the first of them that lists it.
    static QHash<KelNodes::Terminal*, KelNodes::Node*> terminalHolders(QList<KelNodes::Node*> const& nodes);
    // Forgets terminals whose node items are gone.
    void dropStaleTerminals();
    void storeNodePositions();
    void leftPress(QMouseEvent* event);
    KelNGNode* nodeAtExcept(QPoint viewPoint, KelNGNode* except) const;
    KelNodes::Terminal* terminalUnder(KelNGNode* node, QPointF scenePoint) const;
    void pushNodeEdit(KelNodes::Node* node, QBuffer* before);

    KelNodes::NodeGraph* m_graph = nullptr;
    QGraphicsScene m_scene;
    QList<KelNGNodeConnection*> m_connections;
    QPointer<KelNGNode> m_selectedNode;
    QPointer<KelNGNode> m_topNode;
    QPointer<KelNGNode> m_hoverNode;
    QPointer<KelNGNode> m_targetNode;
    KelNodes::Terminal* m_hoverTerminal = nullptr;
    KelNodes::Terminal* m_targetTerminal = nullptr;
    KelNGNodeConnection* m_draggedWire = nullptr;
    bool m_wireDrag = false;
    QPoint m_grabOffset;
    QPoint m_pressPos;
    bool m_nodeDrag = false;
    QPointF m_pressItemPos;
    QMap<QString, QAction*> m_actions;
    QString m_dragNodePath;
    KelNodes::Terminal* m_menuTerminal = nullptr;
    QPointer<KelNGNode> m_menuNode;
};

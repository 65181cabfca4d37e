#include "nodeui/KelNGNodeGraphView.h"

#include "app/ItemModelDragData.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeGraph.h"
#include "nodes/NodeParameterContainer.h"
#include "nodes/Terminal.h"
#include "nodeui/KelCmdNodeEdit.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeConnection.h"
#include "nodeui/KelNGNodeLayout.h"
#include "nodeui/KelNodeTerminals.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamSnapshot.h"
#include "nodeui/NodeEditHooks.h"
#include "params/ParameterContainer.h"
#include "style/ConnectingLineItem.h"
#include "style/KelStyleConfig.h"

#include <QAction>
#include <QBuffer>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QGraphicsPixmapItem>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QUndoStack>
#include <QUuid>

#include <algorithm>
#include <atomic>

namespace {

const QString kInsertNodePath = QStringLiteral("Insert:NodePath");
constexpr int kGridStep = 46;

} // namespace

KelNGNodeGraphView::KelNGNodeGraphView(QWidget* parent)
    : QGraphicsView(parent)
{
    // Every rebuild takes each item out and puts it back: an index would cost more to keep
    // than the few searches by position it saves.
    m_scene.setItemIndexMethod(QGraphicsScene::NoIndex);
    setScene(&m_scene);
    struct Entry { const char* key; const char* text; void (KelNGNodeGraphView::*slot)(); };
    const Entry entries[] = {
        {"collapse", QT_TR_NOOP("Collapse"), &KelNGNodeGraphView::collapseAction_triggered},
        {"expand", QT_TR_NOOP("Expand"), &KelNGNodeGraphView::expandAction_triggered},
        {"delete", QT_TR_NOOP("Delete"), &KelNGNodeGraphView::deleteAction_triggered},
        {"reorder", QT_TR_NOOP("Reorder Nodes"), &KelNGNodeGraphView::reorderAction_triggered},
        {"breakConnections", QT_TR_NOOP("Break Connections"),
         &KelNGNodeGraphView::breakConnectionsAction_triggered},
    };
    for (Entry const& entry : entries) {
        auto* action = new QAction(tr(entry.text), this);
        connect(action, &QAction::triggered, this, entry.slot);
        m_actions.insert(QLatin1String(entry.key), action);
    }
    setFrameStyle(0);
    setMouseTracking(true);
    // Moves without a button must reach the handler: the press rules read the hover state.
    viewport()->setMouseTracking(true);
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
}

KelNGNodeGraphView::~KelNGNodeGraphView()
{
    // The pixmap items belong to their node items: out of the scene before it goes, oldest
    // first (see updateGraph).
    const QList<QGraphicsItem*> items = m_scene.items(Qt::AscendingOrder);
    for (QGraphicsItem* item : items) {
        KelNGNode* node = KelNGNode::fromSceneItem(item);
        if (node)
            node->storePixmapSettingsInNode();
        if (item->scene() == &m_scene)
            m_scene.removeItem(item);
        // A graph no view shows makes no previews.
        if (node)
            node->updatePreviewWish();
    }
    delete m_draggedWire;
    m_draggedWire = nullptr;
    deleteConnections();
}

// --- model and scene ------------------------------------------------------------------------

void KelNGNodeGraphView::setObject(KelNodes::NodeGraph* graph)
{
    m_graph = graph;
    updateGraph();
}

void KelNGNodeGraphView::updateGraph()
{
    // Items put in since the event loop last ran wait in a list of the scene's that each removal
    // searches: the scene's own queued work runs first. Then oldest first, as the scene drops
    // each from the front of its lists, where the search is short.
    QCoreApplication::sendPostedEvents(&m_scene, QEvent::MetaCall);
    const QList<QGraphicsItem*> items = m_scene.items(Qt::AscendingOrder);
    for (QGraphicsItem* item : items) {
        KelNGNode* node = KelNGNode::fromSceneItem(item);
        if (node) {
            node->storePixmapSettingsInNode();
            disconnect(node, &KelParam::addParamUndo, this,
                       qOverload<KelParam*, QBuffer*>(&KelNGNodeGraphView::addNodeUndo));
        }
        if (item->scene() == &m_scene)
            m_scene.removeItem(item);
        if (node)
            node->updatePreviewWish();
    }
    deleteConnections();
    m_scene.clear();
    if (!m_graph) {
        // The items are gone from the view: whoever shows the selected node shows none.
        if (m_selectedNode)
            setSelectedNode(nullptr);
        return;
    }

    m_selectedNode = nullptr;
    bool allPlaced = true;
    KelNGNode* selected = nullptr;
    // A copy: a new item asks its node for its terminals, which may sort the graph's list anew.
    const QList<KelNodes::Node*> members = m_graph->nodes();
    for (KelNodes::Node* node : members) {
        KelNGNode* item = KelNGNode::itemOf(node);
        if (!item)
            item = new KelNGNode(node);
        connect(item, &KelParam::addParamUndo, this,
                qOverload<KelParam*, QBuffer*>(&KelNGNodeGraphView::addNodeUndo),
                Qt::UniqueConnection);
        item->calculateUI();
        if (!item->pixmapItem())
            item->allocatePixmapItem();
        allPlaced = allPlaced && item->positionKnown();
        if (item->isSelected())
            selected = item;
        item->updatePixmap();
        if (item->pixmapItem()->scene() != &m_scene) {
            m_scene.addItem(item->pixmapItem());
            item->updatePreviewWish();
        }
    }
    m_selectedNode = selected;
    if (!allPlaced)
        reorderNodes();

    QList<KelNodes::Node*> const nodes = m_graph->nodes();
    QHash<KelNodes::Terminal*, KelNodes::Node*> const holders = terminalHolders(nodes);
    for (KelNodes::Node* node : nodes) {
        KelNGNode* source = KelNGNode::itemOf(node);
        for (KelNodes::Terminal* terminal : KelNodeTerminals::outputs(node)) {
            for (int k = 0;; ++k) {
                KelNodes::Terminal* other = terminal->connectedTo(k);
                if (!other)
                    break;
                KelNodes::Node* holder = holders.value(other);
                KelNGNode* destination = holder ? KelNGNode::itemOf(holder) : nullptr;
                if (!destination || destination == source)
                    continue;
                auto* wire = new KelNGNodeConnection(&m_scene, source, terminal);
                // A rebuilt wire highlights nothing.
                source->setHighlightedTerminal(nullptr);
                wire->setConnectedDestination(destination, other);
                wire->update();
                m_connections.append(wire);
            }
        }
    }

    if (m_selectedNode)
        setSelectedNode(m_selectedNode);
    else
        setSelectedNode(nodes.isEmpty() ? nullptr : KelNGNode::itemOf(nodes.last()));
    computeLayout();
}

void KelNGNodeGraphView::setSelectedNode(KelNGNode* node)
{
    m_selectedNode = node;
    if (node) {
        node->setSelected(true);
        node->updatePixmap();
    }
    if (m_graph) {
        // A copy: repainting an effect asks for its terminals, which may sort the list anew.
        const QList<KelNodes::Node*> members = m_graph->nodes();
        for (KelNodes::Node* each : members) {
            KelNGNode* item = KelNGNode::itemOf(each);
            if (item && item != node && item->isSelected()) {
                item->setSelected(false);
                item->updatePixmap();
            }
        }
    }
    emit selectedNodeChanged(m_selectedNode);
}

void KelNGNodeGraphView::redrawNodes()
{
    if (!m_graph)
        return;
    // A copy: repainting an effect asks for its terminals, which may sort the list anew.
    const QList<KelNodes::Node*> members = m_graph->nodes();
    for (KelNodes::Node* node : members) {
        if (KelNGNode* item = KelNGNode::itemOf(node))
            item->updatePixmap();
    }
}

void KelNGNodeGraphView::addConnection(KelNGNodeConnection* wire)
{
    if (!wire)
        return;
    if (!m_connections.contains(wire))
        m_connections.append(wire);
    if (wire->lineItem()->scene() != &m_scene)
        m_scene.addItem(wire->lineItem());
    wire->connect();
}

void KelNGNodeGraphView::removeConnection(KelNGNodeConnection* wire)
{
    if (!wire)
        return;
    m_connections.removeOne(wire);
    if (wire->lineItem()->scene() == &m_scene)
        m_scene.removeItem(wire->lineItem());
    wire->disconnect();
}

void KelNGNodeGraphView::deleteConnections()
{
    while (!m_connections.isEmpty())
        delete m_connections.takeFirst();
}

void KelNGNodeGraphView::updateConnectionsFor(KelNGNode* node)
{
    for (KelNGNodeConnection* wire : std::as_const(m_connections)) {
        if (wire->sourceNode() == node || wire->destinationNode() == node)
            wire->update();
    }
}

void KelNGNodeGraphView::deleteSelectedNode()
{
    deleteAction_triggered();
}

void KelNGNodeGraphView::computeLayout()
{
    if (layoutFrozen)
        return;
    const int w = viewport()->width();
    const int h = viewport()->height();
    const QRectF bounds = m_scene.itemsBoundingRect();
    const int right = int(bounds.x() + bounds.width());
    const int bottom = int(bounds.y() + bounds.height());
    const int width = right > w ? right + 40 : w;
    const int height = bottom > h ? bottom + 40 : h;
    m_scene.setSceneRect(0, 0, width, height);
    setSceneRect(0, 0, width, height);
}

void KelNGNodeGraphView::graphHasChanged()
{
    switch (viewKind) {
    case 0:
        emit topLevelGraphChanged();
        break;
    case 1:
        emit objectGraphChanged();
        break;
    case 2:
        emit materialGraphChanged();
        break;
    default:
        break;
    }
}

void KelNGNodeGraphView::drawBackground(QPainter* painter, QRectF const& exposed)
{
    KelStyleConfig const* style = KelStyleConfig::instance();
    painter->fillRect(exposed, style->value<QColor>(QStringLiteral("KelNodeGraphView.backgroundColor")));
    painter->setPen(style->value<QPen>(QStringLiteral("KelNodeGraphView.gridPen")));
    const QRectF area = sceneRect();
    const double w = area.width();
    const double h = area.height();
    for (int x = kGridStep; x < w; x += kGridStep)
        painter->drawLine(x, 0, x, int(h));
    for (int y = kGridStep; y < h; y += kGridStep)
        painter->drawLine(0, y, int(w), y);
}

void KelNGNodeGraphView::resizeEvent(QResizeEvent*)
{
    computeLayout();
}

// --- snapshots ------------------------------------------------------------------------------

QBuffer* KelNGNodeGraphView::storeParamState(KelUtils::IParameterContainer* container)
{
    return KelParamSnapshot::store(container);
}

void KelNGNodeGraphView::loadParamState(KelUtils::IParameterContainer* container, QBuffer* state)
{
    if (!container || !state)
        return;
    NodeEditHooks::beforeWrite();
    KelParamSnapshot::load(container, state);
}

void KelNGNodeGraphView::addNodeUndo(KelParam* panel, QBuffer* before)
{
    auto* item = qobject_cast<KelNGNode*>(panel);
    pushNodeEdit(item ? item->node() : nullptr, before);
}

void KelNGNodeGraphView::addNodeUndo(KelParamAtom* atom, QBuffer* before)
{
    pushNodeEdit(atom ? atom->node() : nullptr, before);
}

void KelNGNodeGraphView::addKeyframeUndo(KelUtils::IParameterContainer* container, QBuffer* before)
{
    auto* owned = dynamic_cast<KelNodes::NodeParameterContainer*>(container);
    pushNodeEdit(owned ? owned->node() : nullptr, before);
}

void KelNGNodeGraphView::pushNodeEdit(KelNodes::Node* node, QBuffer* before)
{
    KelNodes::NodeGraph* top = node ? node->topLevelGraph() : nullptr;
    auto* stack = top ? qobject_cast<QUndoStack*>(top->undoStack()) : nullptr;
    if (!stack) {
        // Nowhere to record the edit: the snapshot is dropped.
        delete before;
        return;
    }
    stack->push(new KelCmdNodeEdit(this, top, node, before));
}

// --- queries --------------------------------------------------------------------------------

namespace {

std::atomic<quint64> terminalsWalked{0};

} // namespace

KelNGNode* KelNGNodeGraphView::nodeOfTerminal(KelNodes::Terminal* terminal) const
{
    if (!m_graph || !terminal)
        return nullptr;
    // A copy: an effect's terminals are renewed on request, which may sort the list anew.
    const QList<KelNodes::Node*> members = m_graph->nodes();
    for (KelNodes::Node* node : members) {
        QList<KelNodes::Terminal*> const terminals = KelNodeTerminals::all(node);
        terminalsWalked.fetch_add(quint64(terminals.size()), std::memory_order_relaxed);
        if (terminals.contains(terminal))
            return KelNGNode::itemOf(node);
    }
    return nullptr;
}

QHash<KelNodes::Terminal*, KelNodes::Node*> KelNGNodeGraphView::terminalHolders(QList<KelNodes::Node*> const& nodes)
{
    // Should two nodes list one terminal, the first holds it, as a walk in list order finds it.
    QHash<KelNodes::Terminal*, KelNodes::Node*> holders;
    for (KelNodes::Node* node : nodes) {
        QList<KelNodes::Terminal*> const terminals = KelNodeTerminals::all(node);
        terminalsWalked.fetch_add(quint64(terminals.size()), std::memory_order_relaxed);
        for (KelNodes::Terminal* terminal : terminals) {
            if (!holders.contains(terminal))
                holders.insert(terminal, node);
        }
    }
    return holders;
}

quint64 KelNGNodeGraphView::terminalsWalkedCount()
{
    return terminalsWalked.load(std::memory_order_relaxed);
}

KelNGNodeConnection* KelNGNodeGraphView::connectionOfTerminal(KelNodes::Terminal* terminal) const
{
    for (KelNGNodeConnection* wire : m_connections) {
        if (wire->sourceTerminal() == terminal || wire->destinationTerminal() == terminal)
            return wire;
    }
    return nullptr;
}

bool KelNGNodeGraphView::isValidSourceTerminal(KelNodes::Terminal* terminal) const
{
    return terminal && (terminal->outputMask() != 0 || terminal->numConnections() == 0);
}

int KelNGNodeGraphView::numberOfConnectedOutputTerminals(KelNodes::Node* node) const
{
    int count = 0;
    for (KelNodes::Terminal* terminal : KelNodeTerminals::outputs(node))
        count += terminal->numConnections();
    return count;
}

KelNGNode* KelNGNodeGraphView::nodeAt(QPoint viewPoint) const
{
    return nodeAtExcept(viewPoint, nullptr);
}

KelNGNode* KelNGNodeGraphView::nodeAtExcept(QPoint viewPoint, KelNGNode* except) const
{
    const QList<QGraphicsItem*> under = items(viewPoint);
    for (QGraphicsItem* item : under) {
        KelNGNode* node = KelNGNode::fromSceneItem(item);
        if (node && node != except)
            return node;
    }
    return nullptr;
}

KelNodes::Terminal* KelNGNodeGraphView::terminalUnder(KelNGNode* node, QPointF scenePoint) const
{
    if (!node)
        return nullptr;
    if (KelNodes::Terminal* input = node->terminalAtPos(scenePoint, false))
        return input;
    return node->terminalAtPos(scenePoint, true);
}

namespace {

// A terminal is only good while its node item lives, still has its node and that node holds it:
// an item may outlive its node (destroyed with its graph), and a node may renew its terminals.
KelNodes::Terminal* liveTerminal(KelNGNode const* item, KelNodes::Terminal* terminal)
{
    if (!item || !terminal || !item->node())
        return nullptr;
    return KelNodeTerminals::all(item->node()).contains(terminal) ? terminal : nullptr;
}

} // namespace

KelNodes::Terminal* KelNGNodeGraphView::hoverTerminal() const
{
    return liveTerminal(m_hoverNode, m_hoverTerminal);
}

void KelNGNodeGraphView::dropStaleTerminals()
{
    m_hoverTerminal = liveTerminal(m_hoverNode, m_hoverTerminal);
    m_targetTerminal = liveTerminal(m_targetNode, m_targetTerminal);
    m_menuTerminal = liveTerminal(m_menuNode, m_menuTerminal);
}

void KelNGNodeGraphView::storeNodePositions()
{
    const QList<QGraphicsItem*> items = m_scene.items();
    for (QGraphicsItem* item : items) {
        if (KelNGNode* node = KelNGNode::fromSceneItem(item))
            node->storePixmapSettingsInNode();
    }
}

// --- context menu and actions ---------------------------------------------------------------

QMenu* KelNGNodeGraphView::createContextMenu(QPoint viewPoint)
{
    dropStaleTerminals();
    auto* menu = new QMenu(this);
    KelNGNode* hit = nodeAt(viewPoint);
    if (hit && m_hoverNode && m_hoverTerminal && m_hoverTerminal->numConnections() > 0) {
        menu->addAction(m_actions.value(QStringLiteral("breakConnections")));
        m_menuTerminal = m_hoverTerminal;
        m_menuNode = m_hoverNode;
        return menu;
    }
    if (hit) {
        setSelectedNode(hit);
        KelNodes::Node* node = hit->node();
        const bool group = node && node->toNodeGraph();
        const bool isStatic = !node || node->isStatic();
        m_actions.value(QStringLiteral("collapse"))->setEnabled(!group);
        m_actions.value(QStringLiteral("expand"))->setEnabled(group);
        // This product never offers Collapse and Expand (only another product name would).
        menu->addSeparator();
        menu->addAction(m_actions.value(QStringLiteral("reorder")));
        menu->addSeparator();
        QAction* remove = m_actions.value(QStringLiteral("delete"));
        remove->setEnabled(!isStatic);
        menu->addAction(remove);
        return menu;
    }
    if (viewKind == 0 || m_graph) {
        menu->addSeparator();
        menu->addAction(m_actions.value(QStringLiteral("reorder")));
    }
    return menu;
}

void KelNGNodeGraphView::collapseAction_triggered()
{
    if (m_selectedNode && m_selectedNode->node())
        emit collapseNodeInGraph(this, m_selectedNode->node());
}

void KelNGNodeGraphView::expandAction_triggered()
{
    if (m_selectedNode && m_selectedNode->node())
        emit expandNodeInGraph(this, m_selectedNode->node());
}

void KelNGNodeGraphView::deleteAction_triggered()
{
    if (!m_selectedNode || !m_selectedNode->node())
        return;
    emit deleteNodeFromGraphView(this, m_selectedNode->node());
    m_selectedNode = nullptr;
    emit selectedNodeChanged(nullptr);
    m_topNode = nullptr;
}

void KelNGNodeGraphView::breakConnectionsAction_triggered()
{
    dropStaleTerminals();
    KelNodes::Terminal* terminal = m_menuTerminal;
    if (!terminal)
        return;
    const QList<KelNodes::Terminal*> linked = terminal->connections();
    bool broken = false;
    for (KelNodes::Terminal* other : linked) {
        KelNGNodeConnection* wire = nullptr;
        for (KelNGNodeConnection* each : std::as_const(m_connections)) {
            const bool sourceMatches = each->sourceTerminal() == terminal || each->sourceTerminal() == other;
            const bool destinationMatches =
                each->destinationTerminal() == terminal || each->destinationTerminal() == other;
            if (sourceMatches && destinationMatches) {
                wire = each;
                break;
            }
        }
        if (!wire)
            continue;
        QPointer<KelNGNodeConnection> guard(wire);
        emit nodeConnectionChangedInGraphView(this, wire, false);
        broken = true;
        // The receiver may have rebuilt the view, which deletes every listed wire.
        if (guard) {
            m_connections.removeOne(wire);
            delete wire;
        }
        m_hoverTerminal = nullptr;
    }
    // The main window marks the project modified and renders on this signal.
    if (broken)
        graphHasChanged();
}

// --- mouse and keys -------------------------------------------------------------------------

void KelNGNodeGraphView::mouseMoveEvent(QMouseEvent* event)
{
    dropStaleTerminals();
    const QPoint point = event->position().toPoint();
    const QPointF scenePoint = mapToScene(point);
    if (QGraphicsItem* top = itemAt(point)) {
        if (KelNGNode* node = KelNGNode::fromSceneItem(top))
            m_topNode = node;
    } else {
        m_topNode = nullptr;
    }
    if (!m_wireDrag) {
        // The node carried stays the hovered one: after a long move (or moves merged while the
        // window was busy) another node lies under the pointer until the carried one gets there.
        const bool carrying = m_nodeDrag && m_selectedNode && event->buttons() != Qt::NoButton;
        m_hoverNode = carrying ? m_selectedNode.data() : nodeAt(point);
        // Carried by its body, which comes under the pointer again below.
        m_hoverTerminal = carrying ? nullptr : terminalUnder(m_hoverNode, scenePoint);
    }
    if (event->buttons() != Qt::NoButton) {
        if (m_wireDrag && m_draggedWire) {
            m_targetNode = nodeAtExcept(point, m_hoverNode);
            m_targetTerminal = nullptr;
            if (m_targetNode) {
                m_targetNode->setHighlightedTerminal(nullptr);
                m_targetTerminal = terminalUnder(m_targetNode, scenePoint);
            }
            m_draggedWire->setDestination(m_targetNode, m_targetTerminal);
            m_draggedWire->previewTo(scenePoint);
            if (m_targetNode)
                m_targetNode->updatePixmap();
        } else if (!m_wireDrag && m_selectedNode && m_nodeDrag && m_selectedNode->pixmapItem()) {
            m_selectedNode->pixmapItem()->setPos(std::max(0, point.x() - m_grabOffset.x()),
                                                 std::max(0, point.y() - m_grabOffset.y()));
            updateConnectionsFor(m_selectedNode);
        }
    }
    QGraphicsView::mouseMoveEvent(event);
}

void KelNGNodeGraphView::mousePressEvent(QMouseEvent* event)
{
    dropStaleTerminals();
    if (event->button() == Qt::LeftButton) {
        leftPress(event);
    } else if (event->button() == Qt::RightButton) {
        QMenu* menu = createContextMenu(event->position().toPoint());
        if (!menu->isEmpty())
            menu->exec(event->globalPosition().toPoint());
        delete menu;
    }
    QGraphicsView::mousePressEvent(event);
}

void KelNGNodeGraphView::leftPress(QMouseEvent* event)
{
    m_wireDrag = false;
    m_targetNode = nullptr;
    m_targetTerminal = nullptr;
    m_draggedWire = nullptr;
    const QPoint point = event->position().toPoint();
    KelNGNode* hit = nodeAt(point);
    if (!hit) {
        m_nodeDrag = false;
        return;
    }
    // Also when it is drawn selected already: the panels may have turned to another container
    // (the timeline to the effect's row) since it was picked.
    setSelectedNode(hit);
    if (!hit->pixmapItem())
        return;
    const QPointF itemPos = hit->pixmapItem()->pos();
    m_grabOffset = QPoint(int(point.x() - itemPos.x()), int(point.y() - itemPos.y()));
    m_pressPos = point;
    m_pressItemPos = itemPos;
    if (!m_hoverNode || !m_hoverTerminal) {
        m_nodeDrag = true;
        return;
    }
    if (m_hoverTerminal->outputMask() != 0 || m_hoverTerminal->numConnections() == 0) {
        m_nodeDrag = false;
        m_wireDrag = true;
        m_draggedWire = new KelNGNodeConnection(&m_scene, m_hoverNode, m_hoverTerminal);
        m_hoverNode->updatePixmap();
        return;
    }
    KelNGNodeConnection* wire = nullptr;
    for (KelNGNodeConnection* each : std::as_const(m_connections)) {
        if (each->destinationNode() == m_hoverNode && each->destinationTerminal() == m_hoverTerminal) {
            wire = each;
            break;
        }
    }
    if (!wire)
        return;
    QPointer<KelNGNodeConnection> guard(wire);
    m_draggedWire = wire;
    emit nodeConnectionChangedInGraphView(this, wire, false);
    if (!guard || !m_hoverNode) {
        // A rebuild inside the receiver took the wire: nothing to drag.
        m_draggedWire = nullptr;
        return;
    }
    wire->setDestination(m_hoverNode, m_hoverTerminal);
    m_hoverNode = wire->sourceNode();
    m_hoverTerminal = m_hoverNode ? wire->sourceTerminal() : nullptr;
    if (m_hoverNode) {
        m_hoverNode->setHighlightedTerminal(m_hoverTerminal);
        m_hoverNode->updatePixmap();
    }
    m_nodeDrag = false;
    m_wireDrag = true;
    m_connections.removeOne(wire);
}

void KelNGNodeGraphView::mouseReleaseEvent(QMouseEvent* event)
{
    dropStaleTerminals();
    const QPoint point = event->position().toPoint();
    const QPointF scenePoint = mapToScene(point);
    if (m_wireDrag) {
        KelNGNodeConnection* wire = m_draggedWire;
        m_draggedWire = nullptr;
        // A link the model would refuse becomes no step: pushing even an obsolete command cuts
        // the redo history.
        if (wire && m_targetNode && m_targetTerminal && wire->canConnect(m_targetTerminal)
            && wire->sourceTerminal()->canConnect(m_targetTerminal)) {
            QPointer<KelNGNodeConnection> guard(wire);
            emit nodeConnectionChangedInGraphView(this, wire, true);
            // Nobody took the wire: it goes.
            if (guard && !m_connections.contains(wire))
                delete wire;
            graphHasChanged();
            m_hoverNode = nullptr;
        } else {
            if (wire) {
                for (KelNGNode* node : {wire->sourceNode(), wire->destinationNode()}) {
                    if (!node)
                        continue;
                    node->setHighlightedTerminal(nullptr);
                    node->updatePixmap();
                }
                delete wire;
            }
            graphHasChanged();
        }
    } else {
        if (m_topNode && point == m_pressPos && m_topNode->checkForUIActionAtPos(scenePoint))
            updateConnectionsFor(m_topNode);
        const bool moved = m_nodeDrag && m_selectedNode && m_selectedNode->pixmapItem()
                           && m_selectedNode->pixmapItem()->pos() != m_pressItemPos;
        if (moved) {
            storeNodePositions();
            emit nodePositionsChanged(this);
            // A node dragged onto a group node goes into that group.
            if (m_hoverNode) {
                KelNGNode* group = nodeAtExcept(point, m_hoverNode);
                if (group && group->node() && group->node()->toNodeGraph() && m_hoverNode->node())
                    emit nodeDragAndDrop(this, m_hoverNode->node(), group->node());
            }
        }
    }
    m_wireDrag = false;
    m_nodeDrag = false;
    computeLayout();
    QGraphicsView::mouseReleaseEvent(event);
}

void KelNGNodeGraphView::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) && m_selectedNode
        && m_selectedNode->node() && !m_selectedNode->node()->isStatic()) {
        emit deleteNodeFromGraphView(this, m_selectedNode->node());
        m_selectedNode = nullptr;
        emit selectedNodeChanged(nullptr);
        m_topNode = nullptr;
    }
    QGraphicsView::keyPressEvent(event);
}

// --- drag and drop --------------------------------------------------------------------------

void KelNGNodeGraphView::dragEnterEvent(QDragEnterEvent* event)
{
    m_dragNodePath.clear();
    if (!m_graph && (viewKind == 1 || viewKind == 2)) {
        event->ignore();
        return;
    }
    QMimeData const* data = event->mimeData();
    if (!data || !data->hasFormat(ItemModelDragData::mimeType())) {
        event->ignore();
        return;
    }
    const QString kind = ItemModelDragData::lastValue(data, Qt::UserRole);
    const QString path = ItemModelDragData::lastValue(data, Qt::UserRole + 1);
    if (kind == kInsertNodePath && !path.isEmpty()) {
        m_dragNodePath = path;
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void KelNGNodeGraphView::dragMoveEvent(QDragMoveEvent* event)
{
    if (m_dragNodePath.isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void KelNGNodeGraphView::dropEvent(QDropEvent* event)
{
    if (m_dragNodePath.isEmpty()) {
        event->ignore();
        return;
    }
    // The node lands under the cursor whatever the scroll position.
    const QPoint point = mapToScene(event->position().toPoint()).toPoint();
    if (KelNGNode* item = createNode(m_dragNodePath, point); item && item->node())
        emit addNodeToGraphView(this, item->node());
    event->acceptProposedAction();
}

// --- creating and laying out ----------------------------------------------------------------

KelNGNode* KelNGNodeGraphView::createNode(QString path)
{
    return createNode(path, QPoint(0, 0));
}

KelNGNode* KelNGNodeGraphView::createNode(QString path, QPoint point)
{
    if (!m_graph)
        return nullptr;
    // The registry is asked first, so that the render is only stopped for a real write.
    QList<KelNodes::NodeDescriptor const*> const* types = m_graph->nodeTypes();
    const QUuid uuid(path);
    const bool known = types && std::any_of(types->begin(), types->end(), [&](auto const* type) {
        return type && type->create && (type->typeId == path || (!uuid.isNull() && type->typeUuid == uuid));
    });
    if (!known)
        return nullptr;
    NodeEditHooks::beforeWrite();
    KelNodes::Node* node = m_graph->addNode(path, -1);
    if (!node)
        return nullptr;
    auto* item = new KelNGNode(node);
    const QPoint place = (point.x() != 0 && point.y() != 0) ? point : QPoint(300, 300);
    QMap<QString, QVariant>& settings = node->paramContainer()->auxData();
    settings.insert(QStringLiteral("posX"), double(place.x()));
    settings.insert(QStringLiteral("posY"), double(place.y()));
    return item;
}

int KelNGNodeGraphView::smallestNodeLevelForRightConnectedNode(KelNodes::Node* node, int level) const
{
    return KelNGNodeLayout::smallestLevelFed(node, level);
}

int KelNGNodeGraphView::indexForConnectionToNodeOfLevel(KelNodes::Node* node, int level) const
{
    return KelNGNodeLayout::inputIndexAtLevel(node, level);
}

void KelNGNodeGraphView::reorderNodes()
{
    if (!m_graph)
        return;
    // Each node's wires, found once rather than in every wire at every node.
    QMultiHash<KelNGNode*, KelNGNodeConnection*> wires;
    for (KelNGNodeConnection* wire : std::as_const(m_connections)) {
        wires.insert(wire->sourceNode(), wire);
        if (wire->destinationNode() != wire->sourceNode())
            wires.insert(wire->destinationNode(), wire);
    }
    KelNGNodeLayout::arrange(m_graph, [&wires](KelNodes::Node* node, QPointF position) {
        KelNGNode* item = KelNGNode::itemOf(node);
        if (!item || !item->pixmapItem())
            return QSizeF();
        item->pixmapItem()->setPos(position);
        auto const [first, last] = wires.equal_range(item);
        for (auto it = first; it != last; ++it)
            (*it)->update();
        return item->pixmapItem()->boundingRect().size();
    });
}

void KelNGNodeGraphView::reorderAction_triggered()
{
    if (!m_graph)
        return;
    reorderNodes();
    storeNodePositions();
    emit nodePositionsChanged(this);
}

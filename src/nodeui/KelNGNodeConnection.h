#pragma once

#include "nodeui/KelNGNode.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>

class ConnectingLineItem;
class QGraphicsScene;

namespace KelNodes {
class Terminal;
}

// One wire of the node-graph view: from a terminal of one node item to a terminal of another,
// drawn as a straight curve item in the view's scene, and the model link it makes or breaks.
// While dragged its destination is loose and follows the mouse.
class KelNGNodeConnection : public QObject
{
    Q_OBJECT

public:
    // Starts at `terminal` of `node` and highlights it there; the curve item enters the scene
    // at stacking value 1. The caller repaints the node.
    KelNGNodeConnection(QGraphicsScene* scene, KelNGNode* node, KelNodes::Terminal* terminal);
    // Takes the curve item out of its scene and deletes it.
    ~KelNGNodeConnection() override;

    // Whether `other` fits the source terminal, in either direction.
    bool canConnect(KelNodes::Terminal* other) const;
    ConnectingLineItem* lineItem() const { return m_lineItem; }

    // The loose end while dragging; a compatible terminal is highlighted on its node.
    void setDestination(KelNGNode* node, KelNodes::Terminal* terminal);
    // For a link that already exists in the model.
    void setConnectedDestination(KelNGNode* node, KelNodes::Terminal* terminal);
    // Redraws the curve, towards `point` while the destination is incomplete.
    void previewTo(QPointF point);
    // Re-takes both terminal rectangles and redraws.
    void update();
    // Links the two terminals in the model (the output end becomes the source); false when the
    // model refuses the link, which leaves the wire unconnected.
    bool connect();
    void disconnect();

    KelNGNode* sourceNode() const { return m_sourceNode; }
    KelNGNode* destinationNode() const { return m_destinationNode; }
    // Null once the terminal's node (or its item) is gone.
    KelNodes::Terminal* sourceTerminal() const;
    KelNodes::Terminal* destinationTerminal() const;
    bool isConnected() const { return m_connected; }
    QRectF sourceRect() const { return m_sourceRect; }
    QRectF destinationRect() const { return m_destinationRect; }

private:
    void clearHighlights();

    QGraphicsScene* m_scene;
    ConnectingLineItem* m_lineItem;
    // Node items may be deleted by the core while a wire still names them.
    QPointer<KelNGNode> m_sourceNode;
    QPointer<KelNGNode> m_destinationNode;
    KelNodes::Terminal* m_sourceTerminal;
    KelNodes::Terminal* m_destinationTerminal = nullptr;
    QRectF m_sourceRect;
    QRectF m_destinationRect;
    bool m_connected = false;
};

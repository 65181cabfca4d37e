#pragma once

#include "nodes/NodeSubscriber.h"
#include "nodeui/KelParam.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QRectF>

class QGraphicsItem;
class QGraphicsPixmapItem;

namespace KelNodes {
class Node;
class Terminal;
}

// One node of the node-graph view: the node's parameter panel and the painter of its picture
// (title, terminal list, preview, connection indicators) shown by a pixmap item it owns. The
// picture's state (position, colour, expanded flags) lives in the node's settings map. The item
// registers itself as the node's view item and lets go of the node when either goes.
class KelNGNode : public KelParam, public KelNodes::NodeSubscriber
{
    Q_OBJECT

public:
    static constexpr int kWidth = 154;
    static constexpr int kPreviewHeight = 118;
    static constexpr int kPreviewImageWidth = 136;
    static constexpr int kPreviewImageHeight = 104;
    static constexpr int kTitleWidth = 100;

    explicit KelNGNode(KelNodes::Node* node);
    ~KelNGNode() override;

    // The item of a model node, or null.
    static KelNGNode* itemOf(KelNodes::Node const* node);
    // The node item a scene item stands for (data key 0), or null.
    static KelNGNode* fromSceneItem(QGraphicsItem const* item);

    // Null once the node is gone.
    KelNodes::Node* node() const { return m_node; }

    // Makes the pixmap item (no scene), applies the stored settings and lays out.
    QGraphicsPixmapItem* allocatePixmapItem();
    // Stores the settings, then takes the item out of its scene and deletes it.
    void deallocatePixmapItem();
    QGraphicsPixmapItem* pixmapItem() const { return m_pixmapItem; }
    // Tells the node whether its preview is shown (expanded in a picture on a scene): renders
    // make it meanwhile. A wish the latest render did not serve asks for a render. Called
    // whenever the picture joins or leaves a scene.
    void updatePreviewWish();
    void storePixmapSettingsInNode();

    void calculateUI();
    void updatePixmap();
    // Flips the terminal-list or preview toggle under a scene point; false when none is hit.
    bool checkForUIActionAtPos(QPointF scenePoint);

    int numberOfTerminals(bool outputs) const;
    bool connected(bool outputs) const;
    KelNodes::Terminal* terminalAt(int index, bool outputs) const;
    // Where a wire attaches to the terminal, in scene coordinates.
    QRectF rectForTerminal(KelNodes::Terminal* terminal) const;
    // The terminal whose expanded-layout box holds the scene point, or null.
    KelNodes::Terminal* terminalAtPos(QPointF scenePoint, bool outputs) const;

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }
    KelNodes::Terminal* highlightedTerminal() const { return m_highlightedTerminal; }
    void setHighlightedTerminal(KelNodes::Terminal* terminal) { m_highlightedTerminal = terminal; }
    bool hasCustomNodeColor() const { return m_hasCustomColor; }
    void setHasCustomNodeColor(bool has) { m_hasCustomColor = has; }
    QColor customNodeColor() const { return m_customColor; }
    void setCustomNodeColor(QColor const& color) { m_customColor = color; }
    bool terminalsExpanded() const { return m_terminalsExpanded; }
    void setTerminalsExpanded(bool expanded) { m_terminalsExpanded = expanded; }
    bool previewExpanded() const { return m_previewExpanded; }
    void setPreviewExpanded(bool expanded) { m_previewExpanded = expanded && m_hasPreview; }
    bool hasPreview() const { return m_hasPreview; }
    bool positionKnown() const { return m_positionKnown; }
    int pixmapWidth() const { return m_width; }
    int pixmapHeight() const { return m_height; }
    int terminalAreaHeight() const { return m_terminalAreaHeight; }
    QList<QRectF> const& inputRects() const { return m_inputRects; }
    QList<QRectF> const& outputRects() const { return m_outputRects; }
    QRectF collapsedInputRect() const { return m_collapsedInputRect; }
    QRectF collapsedOutputRect() const { return m_collapsedOutputRect; }
    // The title as the picture shows it: cut to the title box, ending in "…" when cut.
    QString shownTitle() const;
    // The last preview shown (null before the first).
    QImage const& lastPreview() const { return m_lastPreview; }

    // NodeSubscriber: forgets the node when it is destroyed.
    void notify(KelNodes::Node* node, KelNodes::NodeSubscriber::Event event) override;

private:
    QString title() const;
    void paintTerminals(QPainter& painter) const;
    void paintPreview(QPainter& painter);
    void releaseNode();

    KelNodes::Node* m_node;
    bool m_hasPreview = false;
    bool m_selected = false;
    int m_width = kWidth;
    int m_height = 38;
    int m_terminalAreaHeight = 0;
    int m_previewHeight = 0;
    bool m_terminalsExpanded = true;
    // A node that can preview starts with the preview collapsed too.
    bool m_previewExpanded = false;
    QRectF m_collapsedInputRect;
    QRectF m_collapsedOutputRect;
    QList<QRectF> m_inputRects;
    QList<QRectF> m_outputRects;
    KelNodes::Terminal* m_highlightedTerminal = nullptr;
    bool m_hasCustomColor = false;
    QColor m_customColor;
    QGraphicsPixmapItem* m_pixmapItem = nullptr;
    bool m_positionKnown = false;
    QImage m_lastPreview;
    bool m_previewWished = false;
};

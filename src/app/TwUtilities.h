#pragma once

#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>

class KelNGObject;
class QBuffer;
class TwCore;

namespace KelNodes {
class Node;
class NodeGraph;
}

// Static helpers shared by the application: its folders, object snapshots (graph documents of
// project objects in a QBuffer, with the editor's node attributes and embedded data) for undo,
// Copy and Paste, and moving a node into another graph.
class TwUtilities
{
public:
    TwUtilities() = default;

    // The resources folder (styles, help, default preview image).
    static QString getResourcesDirectory();
    // The per-user storage root of templates and icons.
    static QString getStorageLocation();

    // Moves `node` into the graph of `target`'s object (or into `target` itself when it is a
    // graph without object), keeping its uid; nothing when the move is refused. A moved object
    // graph loses its panel items and, moved into another graph, leaves the core's object list
    // (the root graph is re-chained); moved back to the top level, the caller lists it again
    // (TwCore::objectAddedToGraph, after recording its index). The target's root object is
    // marked changed.
    static void moveNodeToNodeGraph(TwCore* core, KelNodes::Node* node, KelNodes::Node* target);

    // Writes the objects' graphs (every depth, embedded data, node attributes, connections with
    // at least one end among them) into `buffer`, replacing its content, or into a new buffer
    // when it is null. Returns the buffer; the caller owns it.
    static QBuffer* storeObjectsToXML(TwCore* core, QList<KelNGObject*> objects,
                                      QBuffer* buffer = nullptr);
    static QBuffer* storeObjectToXML(TwCore* core, KelNGObject* object, QBuffer* buffer = nullptr);

    // Re-creates the snapshot's nodes inside `graph` (uids kept or renewed) with every listed
    // connection whose ends are there; a link to a node that is not (an effect copied from
    // another project, a neighbour since deleted) is left open. Each graph that lands at the
    // top level of the core's root graph becomes a new project object
    // (TwCore::addObjectFromNodeGraph); a graph loaded into an object's graph gets its child
    // object back. Ends with TwCore::updateAndSync. Returns the load's result (0, -1 after
    // skipped parts or links left open, -2 when the buffer holds no graph document).
    static int loadObjectFromBuffer(TwCore* core, KelNodes::NodeGraph* graph, QBuffer* buffer,
                                    bool keepUids);

    // The image centred on a transparent canvas of the given size (cropped when larger).
    static QPixmap createPixmapWithCenteredImage(QSize size, QPixmap image);
};

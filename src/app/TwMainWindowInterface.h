#pragma once

#include <QString>

class KelNGObject;
class KelTemplate;
class QWidget;

namespace KelNodes {
class Node;
class NodeGraph;
}

// What the application core asks of the main window and its panels (image view, status bar,
// debug window, project browser, object editor with its node-graph view, node dock). The core
// holds a pointer to it that may be null: then every such call is skipped. TwMainWindow
// implements it; tests use a recording stand-in.
//
// The core connects its own signals to the window's slots below (objectAdded -> initObject,
// objectQueuedToBeRemoved -> deinitObject, finished -> renderingFinished, modifiedStateChanged,
// selectedObjectChanged); the window must not connect them a second time.
class TwMainWindowInterface
{
public:
    virtual ~TwMainWindowInterface() = default;

    // The window as parent of dialogs and message boxes; null when there is none.
    virtual QWidget* widget() = 0;

    // Window slots reached by the core's signals.
    // Shows the result image when the renderer succeeded, else "Rendering failed or canceled",
    // followed by the renderer's reason when the render failed for one of its own.
    virtual void renderingFinished() = 0;
    // Title mark and Save actions from the core's modified and has-project-file flags.
    virtual void modifiedStateChanged() = 0;
    // Adds the object to the project browser and the object editor (each asking the core's
    // insertionIndexFor for the row position), then calls TwCore::initObject.
    virtual void initObject(KelNGObject* object) = 0;
    // Drops the object's browser entry and the node dock's widgets for it, then calls
    // TwCore::deinitObject with the object editor's signals blocked.
    virtual void deinitObject(KelNGObject* object) = 0;
    virtual void selectedObjectChanged(KelNGObject* object) = 0;
    // Around a batch of objects (an open, a paste): the panels may lay their rows out once, at
    // the end, instead of once per object.
    virtual void holdPanelRows(bool /*hold*/) {}
    // The template store's signal of the same name.
    virtual void templateHasBeenAddedOrUpdated(bool added, KelTemplate* objectTemplate) = 0;

    // Window operations.
    // The project browser and the node dock drop what they show of the node.
    virtual void nodeAboutToBeDeleted(KelNodes::Node* node) = 0;
    // The panels show the object again after a change: the undo stack of its graph (the core's
    // for null) is one Edit > Undo may walk; which one it walks, the steps and selections decide.
    virtual void adjustUI(KelNGObject* object) = 0;
    // A node was added to a graph, removed from it or renamed: the panels that list the nodes of
    // their object (the important parameters of the project browser and of the node dock) list
    // them anew.
    virtual void nodesOfGraphChanged() {}
    // Whether the current view mode is the node-graph view.
    virtual bool isNodeGraphViewMode() const = 0;
    virtual void statusBarShowMessage(QString const& text) = 0;
    // A message that stays until the user dismisses it (what a step could not do). Default: the
    // status bar's.
    virtual void showLastingMessage(QString const& text) { statusBarShowMessage(text); }
    virtual void imageViewSetMessage(QString const& text) = 0;
    // Appends a paragraph to the debug window; nothing when the window has none.
    virtual void debugWindowAppend(QString const& text) = 0;

    // The object editor's node-graph view.
    virtual void nodeGraphViewSetObject(KelNodes::NodeGraph* graph) = 0;
    virtual void nodeGraphViewUpdateGraph() = 0;
    virtual void nodeGraphViewRedrawNodes() = 0;

    // The node dock: its important-parameters panel of the selected object, and the one of the
    // current node's sub-graph.
    virtual bool nodeDockObjectPanelEditsNode(KelNodes::Node* node) = 0;
    virtual void nodeDockCrucialObjectSettingsFor(KelNGObject* object) = 0;
    virtual bool nodeDockSubGraphPanelEditsNode(KelNodes::Node* node) = 0;
    // Marks the sub-graph panel as being destroyed, deletes it and forgets it.
    virtual void nodeDockDeleteSubGraphPanel() = 0;

    // The project browser. sortFilters re-lists its rows in the core's object order (the core
    // itself re-chains the root graph).
    virtual void projectBrowserSortFilters() = 0;
    virtual void projectBrowserDynamicObjectSettingsFor(KelNGObject* object) = 0;
    virtual void projectBrowserNodeAboutToBeDeleted(KelNodes::Node* node) = 0;
    virtual void projectBrowserUpdateObject(KelNGObject* object) = 0;

    // The object editor.
    virtual void objectEditorAdjustUI(KelNGObject* object) = 0;
    virtual void objectEditorUpdateObject(KelNGObject* object) = 0;
    virtual void objectEditorTemplateHasBeenAddedOrUpdated(KelTemplate* objectTemplate) = 0;
};

#pragma once

#include "app/KelCore.h"
#include "nodes/NodeSubscriber.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class KelNGObject;
class KelTemplateContainer;
class QUndoCommand;
class QUndoStack;
class Renderer;
class TwMainWindowInterface;
class TwTemplateContainer;
class TwWebFlows;

namespace KelNodes {
class Node;
class NodeGraph;
}
namespace KelVyxNodes {
class VyxNodeGraph;
}

// The application core: the root effect graph holding every project object's graph, the object
// list and the selection, the source and result images, the project's undo stack, the template
// store and the render thread.
//
// Rendering rule (see RENDER_REQUESTS.md): everything that reads or changes a graph, the object
// list or the selection first calls cancelRender(), which stops a running render and waits for
// it; a render is only ever asked for (start()), never started inside a change: the core starts
// it from the event loop once the change has returned. A render stopped by a change is asked for
// again by itself, and the stopped run's end is never announced. Only the latest render's end is
// announced by finished().
class TwCore : public QObject, public KelCore, public KelNodes::NodeSubscriber
{
    Q_OBJECT
    Q_PROPERTY(int width READ width WRITE setWidth)
    Q_PROPERTY(int height READ height WRITE setHeight)

public:
    // window may be null (no panels: their calls are skipped).
    explicit TwCore(TwMainWindowInterface* window);
    // Cancels and waits for the render thread. Project objects and the root graph are not
    // deleted (the owner clears the project first).
    ~TwCore() override;

    // KelNGObjectsAccessor
    KelNGObject* selectedObject() override;
    QList<KelNGObject*> selectedObjects() override;
    void addToSelectedObjects(KelNGObject* object) override;
    QList<KelNGObject*> objectList() override;

    // KelCore
    bool blockFocusOutEvents() override;
    KelTemplateContainer* templateContainer() override;
    KelNGObject* findObjectOfNode(KelNodes::Node* node) override;
    void updateAfterChangingGraph(QList<KelNGObject*>* objects) override;
    void updateAndSync() override;
    void currentFrameChanged() override;
    void removeObject(KelNGObject* object) override;
    void graphEdited() override;
    void cancelRender() override;

    // NodeSubscriber: node events of the root graph and of every object graph.
    void notify(KelNodes::Node* node, KelNodes::NodeSubscriber::Event event) override;

    // Pushes the command onto the core's undo stack (which runs it); null refreshes the panels.
    virtual void notifyChange(QUndoCommand* command);
    virtual int hideDialog(int id);
    virtual QObject* getProgressDialog(QString const& title);

    // Asks for a render of the current graph onto the result image (a copy of the source with
    // effects off). Nothing starts here: a running render, which reads the project as it stood,
    // is stopped and its end never announced; the render starts from the event loop after the
    // change that asked for it has returned, and requests made until then give one render.
    void start();
    // Whether a render runs or is asked for and not yet started: until neither, the result image
    // is not the project's as it stands.
    bool isRenderPending() const;
    // Waits for the render the result image needs as the project stands: the one running, or the
    // one asked for (started at once), and for no render that starts later.
    // A modal wait (see ModalWait): nothing else runs inside it. False when the user ended it
    // with Esc; true when the render has ended (see Renderer::completedSucceeded) or none ran.
    bool waitForRender();
    // Reads the image's first layer as the new source image of every object; no render. On
    // failure *reason (when given) says why, without the file's name.
    bool setSourceImage(QString const& path, QString* reason = nullptr);
    // Removes and deletes every project object.
    void clear();
    QString getStorageLocation();
    KelNGObject* findObjectOfUuid(QString const& uuid);
    KelNGObject* findObjectTemplateInstanceOfNode(KelNodes::Node* node);
    // Wraps a graph of the root graph as a new project object, announces and selects it.
    KelNGObject* addObjectFromNodeGraph(KelVyxNodes::VyxNodeGraph* graph);
    KelNodes::Node* findNode(int id);
    // No cancel.
    KelNodes::Node* findNodeInCurrentGraph(int id);
    void updateUIAfterGraphOfNodeChanged(KelNodes::Node* node);
    // Its first half: marks the change of the node's graph (its template when the object is a
    // template instance, else the project) without rebuilding the view. False when the node
    // belongs to no object.
    bool markGraphOfNodeChanged(KelNodes::Node* node);
    void update();
    // Re-chains the root graph: source node, the objects in list order, filtered-image node.
    // The caller cancels before and starts a render after.
    void sortFilters();
    void redrawObjectEditorNodes();
    void nodeAboutToBeDeleted(KelNodes::Node* node);
    void showSplashScreenMessage(QString const& text);

    // Core side of adding an object to the project (the window's initObject calls it after its
    // panels took the object): sets the graph up with the source image, subscribes to it, puts
    // the object at insertionIndexFor(object) in the list, selects it, re-chains, marks the
    // project modified and renders.
    void initObject(KelNGObject* object);
    // While a batch is open (they nest), initObject leaves the re-chaining and the render to
    // the end of the outermost batch, which does both once when an object came: adding many
    // objects then costs what adding them one by one costs, not the square of it.
    void beginObjectBatch();
    void endObjectBatch();
    class ObjectBatch
    {
    public:
        explicit ObjectBatch(TwCore* core) : m_core(core) { m_core->beginObjectBatch(); }
        ~ObjectBatch() { m_core->endObjectBatch(); }
        ObjectBatch(ObjectBatch const&) = delete;
        ObjectBatch& operator=(ObjectBatch const&) = delete;

    private:
        TwCore* m_core;
    };
    // How often the root graph has been re-chained, for the tests.
    int rechainCount() const { return m_rechainCount; }
    // Both project panels show the object's row anew (name, node count, settings).
    void showObjectInPanels(KelNGObject* object);
    // Core side of removing an object (the window's deinitObject calls it): drops it from the
    // selection and the list, deletes it, re-chains and renders.
    void deinitObject(KelNGObject* object);
    // Where an object restored by undo goes in the object list: the index recorded for its
    // graph's uid, else -1 (append).
    int insertionIndexFor(KelNGObject* object) const;
    // Records the index for the object whose graph will come back with this uid (undo of a
    // deletion); index -1 forgets it. The entry is used up when the object is inserted.
    void setInsertionIndexFor(int graphUid, int index);
    // The object's position in the object list, or -1. No cancel.
    int indexOfObject(KelNGObject* object) const;

    // Plain accessors (no cancel).
    QList<KelNGObject*> const& listedObjects() const { return m_objects; }
    TwMainWindowInterface* mainWindow() const { return m_window; }
    Renderer* renderer() const { return m_renderer; }
    KelVyxNodes::VyxNodeGraph* rootGraph() const { return m_rootGraph; }
    // The graph start() renders; null renders the source image unchanged. Callers cancel first.
    KelVyxNodes::VyxNodeGraph* currentGraph() const { return m_currentGraph; }
    void setCurrentGraph(KelVyxNodes::VyxNodeGraph* graph);
    QUndoStack* undoStack() const { return m_undoStack; }
    TwTemplateContainer* templateStore() const;
    // The web-service flows made by the installed factory; null without one.
    TwWebFlows* webFlows() const { return m_webFlows; }
    QImage* sourceImage() const { return m_sourceImage; }
    QImage* resultImage() const { return m_resultImage; }
    int width() const { return m_width; }
    void setWidth(int width) { m_width = width; }
    int height() const { return m_height; }
    void setHeight(int height) { m_height = height; }
    bool isModified() const { return m_modified; }
    // Sets the flag and emits modifiedStateChanged().
    void setModified(bool modified);
    bool hasProjectFile() const { return m_hasProjectFile; }
    void setHasProjectFile(bool has) { m_hasProjectFile = has; }
    QString const& projectName() const { return m_projectName; }
    void setProjectName(QString const& name) { m_projectName = name; }
    void setBlockFocusOutEvents(bool block) { m_focusOutBlocked = block; }
    bool renderBlocked() const { return m_renderBlocked; }
    void setRenderBlocked(bool blocked) { m_renderBlocked = blocked; }
    bool areEffectsOn() const { return m_effectsOn; }

signals:
    // The latest render ended (see Renderer::completedSucceeded); also from start() with effects
    // off.
    void finished();
    void modifiedStateChanged();
    void objectAdded(KelNGObject* object);
    void objectQueuedToBeRemoved(KelNGObject* object);
    void selectedObjectChanged(KelNGObject* object);
    void showTemporaryMessageSignal(QString text);
    void toolSetIdChanged(int id, int state);

public slots:
    void objectAddedToGraph(KelNGObject* object);
    void queueObjectToBeRemoved(KelNGObject* object);
    void removeAndDeleteObject(KelNGObject* object);
    void showTemporaryMessage(QString text);
    // Until the user dismisses it.
    void showLastingMessage(QString text);
    void addDebugText(QString text);
    KelNGObject* addTemplateObject(QString templateUuid);
    void setSelectedObject(KelNGObject* object) override;
    void deleteSelectedObjects();
    void unselectObject(KelNGObject* object) override;
    bool selectedObjectsCanBeDeleted();
    void effectsOn(bool on);
    void onRenderProgress(int progress);

private:
    void onObjectAdded(KelNGObject* object);
    void onObjectQueuedToBeRemoved(KelNGObject* object);
    // Marks a render wanted and posts its start (once).
    void requestRender();
    // The one place a render starts: the posted call, or waitForRender.
    void startWantedRender();
    // A graph that goes away must not stay the one start() renders (the result is then the
    // source image).
    void forgetCurrentGraphIn(KelNodes::Node* node);
    void rechainRootGraph();
    void adjustWindowUndoStack();

    TwMainWindowInterface* m_window;
    Renderer* m_renderer;
    KelVyxNodes::VyxNodeGraph* m_rootGraph = nullptr;
    KelVyxNodes::VyxNodeGraph* m_currentGraph = nullptr;
    int m_width = 600;
    int m_height = 400;
    QImage* m_resultImage = nullptr;
    QImage* m_sourceImage = nullptr;
    bool m_modified = false;
    bool m_hasProjectFile = false;
    QString m_projectName;
    QUndoStack* m_undoStack = nullptr;
    // The store may be a child of the window widget as well.
    QPointer<TwTemplateContainer> m_templateStore;
    TwWebFlows* m_webFlows = nullptr;
    bool m_focusOutBlocked = false;
    QList<KelNGObject*> m_selection;
    QList<KelNGObject*> m_objects;
    bool m_renderBlocked = false;
    bool m_effectsOn = true;
    int m_objectBatchDepth = 0;
    bool m_objectBatchPending = false;
    KelNGObject* m_objectBatchSelection = nullptr;
    int m_rechainCount = 0;

    // A render asked for and not started yet; whether its start waits in the event loop.
    bool m_renderWanted = false;
    bool m_startPosted = false;
    // Graph uid -> object-list index for objects restored by undo.
    QHash<int, int> m_insertionIndexes;
};

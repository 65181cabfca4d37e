#include "app/TwCore.h"

#include "app/GflAdapter.h"
#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/ModalWait.h"
#include "app/PictureReadWait.h"
#include "app/Renderer.h"
#include "app/ShownText.h"
#include "app/TwCmdAddObject.h"
#include "app/TwCmdDeleteObject.h"
#include "app/TwMainWindowInterface.h"
#include "app/TwNodeGraphIOCallbacks.h"
#include "app/TwTemplateContainer.h"
#include "app/TwUtilities.h"
#include "app/UnrestoredLinksText.h"
#include "app/TwWebFlows.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/LinkBatch.h"
#include "nodes/NodeGraph.h"

#include <QDebug>
#include <QSet>
#include <QTimer>
#include <QUndoStack>

#include <utility>

TwCore::TwCore(TwMainWindowInterface* window)
    : m_window(window), m_renderer(new Renderer(this)), m_projectName(tr("Untitled"))
{
    m_rootGraph = new KelVyxNodes::VyxNodeGraph(nullptr);
    m_currentGraph = m_rootGraph;
    // A picture read for the window (a pick, a drop, an icon) never holds it.
    PictureReadWait::install();

    m_templateStore = new TwTemplateContainer(m_window ? m_window->widget() : nullptr, this);

    m_resultImage = new QImage(m_width, m_height, QImage::Format_ARGB32);
    m_resultImage->fill(0);
    m_sourceImage = new QImage(m_width, m_height, QImage::Format_ARGB32);
    m_sourceImage->fill(0);
    m_rootGraph->setUp(m_sourceImage, nullptr, nullptr, true);

    m_undoStack = new QUndoStack(this);
    m_rootGraph->setUndoStack(m_undoStack);

    subscribe(m_rootGraph);
    m_webFlows = TwWebFlows::create(this);

    connect(this, &TwCore::showTemporaryMessageSignal, this, &TwCore::showTemporaryMessage);
    connect(m_renderer, &Renderer::renderFinished, this, &TwCore::finished);
    connect(m_renderer, &Renderer::progress, this, &TwCore::onRenderProgress);

    // The window's slots for the core's signals.
    connect(this, &TwCore::objectAdded, this, &TwCore::onObjectAdded);
    connect(this, &TwCore::objectQueuedToBeRemoved, this, &TwCore::onObjectQueuedToBeRemoved);
    if (m_window) {
        connect(this, &TwCore::finished, this, [this] { m_window->renderingFinished(); });
        connect(this, &TwCore::modifiedStateChanged, this,
                [this] { m_window->modifiedStateChanged(); });
        connect(this, &TwCore::selectedObjectChanged, this,
                [this](KelNGObject* object) { m_window->selectedObjectChanged(object); });
        connect(m_templateStore, &TwTemplateContainer::templateHasBeenAddedOrUpdated, this,
                [this](bool added, KelTemplate* objectTemplate) {
                    m_window->templateHasBeenAddedOrUpdated(added, objectTemplate);
                });
    }
}

TwCore::~TwCore()
{
    m_renderBlocked = true;
    m_renderer->cancel();
    disconnect(m_renderer, nullptr, this, nullptr);
    for (KelNodes::NodePublisher* publisher : publishers().keys())
        unsubscribe(publisher);
    // Calls in flight end before the store and the graphs they use go.
    delete m_webFlows;
    m_webFlows = nullptr;

    m_rootGraph->setUndoStack(nullptr);
    delete m_undoStack;
    m_undoStack = nullptr;
    delete m_templateStore.data();
    // Objects the owner left in the project still use the root graph: then it stays.
    if (m_objects.isEmpty()) {
        delete m_rootGraph;
        m_rootGraph = nullptr;
    }
    m_currentGraph = nullptr;
    delete m_renderer;
    m_renderer = nullptr;
    delete m_resultImage;
    delete m_sourceImage;
}

TwTemplateContainer* TwCore::templateStore() const
{
    return m_templateStore.data();
}

// --- rendering ---------------------------------------------------------------------------------

void TwCore::start()
{
    if (m_renderBlocked)
        return;
    // The running render reads the project as it stood before the change that asks, and its end
    // (or one already on its way) must not pass for the answer.
    m_renderer->cancel();
    m_renderer->advanceGeneration();
    requestRender();
}

void TwCore::requestRender()
{
    if (m_renderBlocked)
        return;
    m_renderWanted = true;
    if (m_startPosted)
        return;
    m_startPosted = true;
    // Queued: the change that asked (an undo step, a removal with its panel updates) has
    // returned to the event loop before anything reads its graphs.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_startPosted = false;
            startWantedRender();
        },
        Qt::QueuedConnection);
}

void TwCore::startWantedRender()
{
    if (!std::exchange(m_renderWanted, false) || m_renderBlocked)
        return;
    if (!m_effectsOn) {
        m_renderer->cancel();
        // An earlier run's end must not follow this one.
        m_renderer->advanceGeneration();
        *m_resultImage = *m_sourceImage;
        m_renderer->setCompletedSucceeded(true);
        emit finished();
        return;
    }
    if (m_window)
        m_window->imageViewSetMessage(tr("Rendering in Progress: 0%"));
    m_renderer->render(m_sourceImage, m_resultImage, m_currentGraph);
}

bool TwCore::isRenderPending() const
{
    return m_renderer->isRunning() || m_renderWanted;
}

bool TwCore::waitForRender()
{
    // The start waits in the event loop, where it would come inside the wait: it starts now.
    startWantedRender();
    if (!m_renderer->isRunning())
        return true;
    const quint64 awaited = m_renderer->generation();
    ModalWait wait;
    auto endWhenOver = [this, &wait, awaited] {
        if (m_renderer->hasEnded(awaited))
            wait.end();
    };
    // Emitted as each run's thread ends, after the run has marked its end.
    connect(m_renderer, &QThread::finished, &wait, endWhenOver);
    endWhenOver();
    return wait.exec() == ModalWait::Outcome::Ended;
}

void TwCore::cancelRender()
{
    if (!m_renderer->cancel())
        return;
    // The stopped run is outdated at once: its end is never announced. The project still needs
    // its picture once the change that stopped it is done.
    m_renderer->advanceGeneration();
    requestRender();
}

void TwCore::effectsOn(bool on)
{
    m_effectsOn = on;
    cancelRender();
    start();
}

void TwCore::onRenderProgress(int progress)
{
    if (m_window)
        m_window->imageViewSetMessage(tr("Rendering in Progress: %1%").arg(progress));
}

void TwCore::currentFrameChanged()
{
    start();
}

void TwCore::graphEdited()
{
    cancelRender();
    setModified(true);
    start();
}

void TwCore::setCurrentGraph(KelVyxNodes::VyxNodeGraph* graph)
{
    cancelRender();
    m_currentGraph = graph;
}

bool TwCore::setSourceImage(QString const& path, QString* reason)
{
    cancelRender();
    QList<GflAdapter::Layer> layers;
    {
        GflAdapter adapter;
        // Only the first layer is used: a file's other frames, pages or layers are not decoded.
        layers = adapter.readImage(path, QByteArray(), 1);
        if (reason)
            *reason = adapter.errorReason();
    }
    if (layers.isEmpty())
        return false;
    // The window went on while the reader read: a render may have started meanwhile.
    cancelRender();
    QImage image = layers.first().second;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                              : QImage::Format_RGB32);
    *m_sourceImage = image;
    for (KelNGObject* object : std::as_const(m_objects)) {
        if (KelVyxNodes::VyxNodeGraph* graph = object->effectGraph())
            graph->setUp(m_sourceImage, nullptr, nullptr, true);
    }
    return true;
}

// --- node events -------------------------------------------------------------------------------

void TwCore::notify(KelNodes::Node* node, KelNodes::NodeSubscriber::Event event)
{
    cancelRender();
    switch (event) {
    case KelNodes::NodeSubscriber::SetUp:
        if (m_window && m_window->isNodeGraphViewMode())
            redrawObjectEditorNodes();
        break;
    case KelNodes::NodeSubscriber::Destroyed:
        forgetCurrentGraphIn(node);
        break;
    case KelNodes::NodeSubscriber::Removed:
    case KelNodes::NodeSubscriber::ParentSet: {
        if (!node)
            break;
        if (event == KelNodes::NodeSubscriber::Removed)
            forgetCurrentGraphIn(node);
        if (m_window)
            m_window->nodeAboutToBeDeleted(node);
        // A node that has left its graph's list is not found here: nothing is deleted.
        m_rootGraph->removeNode(node);
        if (m_currentGraph && m_currentGraph != m_rootGraph)
            m_currentGraph->removeNode(node);
        if (QObject* item = node->viewItem()) {
            node->setViewItem(nullptr);
            delete item;
        }
        if (KelNGObject* object = KelNGObject::objectOf(node->toNodeGraph())) {
            m_selection.removeOne(object);
            m_objects.removeOne(object);
            m_hasProjectFile = false;
            setModified(true);
        }
        break;
    }
    default:
        break;
    }
}

void TwCore::forgetCurrentGraphIn(KelNodes::Node* node)
{
    if (!m_currentGraph || !node)
        return;
    // A destroyed node is no graph any more by now: only its address is compared.
    KelNodes::NodeGraph* graph = node->toNodeGraph();
    if (static_cast<KelNodes::Node*>(m_currentGraph) == node
        || (graph && m_currentGraph->howDeepIn(graph) >= 0))
        m_currentGraph = nullptr;
}

// --- selection ---------------------------------------------------------------------------------

KelNGObject* TwCore::selectedObject()
{
    return m_selection.isEmpty() ? nullptr : m_selection.first();
}

QList<KelNGObject*> TwCore::selectedObjects()
{
    return m_selection;
}

void TwCore::setSelectedObject(KelNGObject* object)
{
    if (!m_selection.isEmpty()) {
        if (!object && m_window)
            m_window->nodeGraphViewSetObject(nullptr);
        m_selection.clear();
    }
    addToSelectedObjects(object);
}

void TwCore::addToSelectedObjects(KelNGObject* object)
{
    if (object)
        m_selection.append(object);
    emit selectedObjectChanged(object);
}

void TwCore::unselectObject(KelNGObject* object)
{
    if (!object || !m_selection.contains(object))
        return;
    if (m_selection.size() == 1)
        setSelectedObject(nullptr);
    else
        m_selection.removeOne(object);
}

bool TwCore::selectedObjectsCanBeDeleted()
{
    for (KelNGObject* object : std::as_const(m_selection)) {
        if (!object->isDeletable())
            return false;
    }
    return true;
}

// --- objects -----------------------------------------------------------------------------------

QList<KelNGObject*> TwCore::objectList()
{
    cancelRender();
    return m_objects;
}

int TwCore::indexOfObject(KelNGObject* object) const
{
    return int(m_objects.indexOf(object));
}

int TwCore::insertionIndexFor(KelNGObject* object) const
{
    if (!object || !object->graph())
        return -1;
    return m_insertionIndexes.value(object->graph()->uid(), -1);
}

void TwCore::setInsertionIndexFor(int graphUid, int index)
{
    if (index < 0)
        m_insertionIndexes.remove(graphUid);
    else
        m_insertionIndexes.insert(graphUid, index);
}

void TwCore::setModified(bool modified)
{
    m_modified = modified;
    emit modifiedStateChanged();
}

void TwCore::objectAddedToGraph(KelNGObject* object)
{
    cancelRender();
    // The receiver of objectAdded puts the object into the list.
    emit objectAdded(object);
    setModified(true);
}

void TwCore::onObjectAdded(KelNGObject* object)
{
    if (m_window)
        m_window->initObject(object);
    else
        initObject(object);
}

void TwCore::onObjectQueuedToBeRemoved(KelNGObject* object)
{
    if (m_window)
        m_window->deinitObject(object);
    else
        deinitObject(object);
}

void TwCore::initObject(KelNGObject* object)
{
    if (!object)
        return;
    // Setting the graph up makes its end nodes, in a tree the render may be reading.
    cancelRender();
    KelVyxNodes::VyxNodeGraph* graph = object->effectGraph();
    if (graph)
        graph->setUp(m_sourceImage, nullptr, nullptr, true);
    // The set-up may have made the graph's end nodes: the panels' rows count them.
    showObjectInPanels(object);
    // The root graph relays the events of everything inside it; only a graph elsewhere needs
    // its own subscription.
    if (graph && graph->topLevelGraph() != m_rootGraph)
        subscribe(graph);

    if (!m_objects.contains(object)) {
        const int index = insertionIndexFor(object);
        if (index >= 0 && index < m_objects.size())
            m_objects.insert(index, object);
        else
            m_objects.append(object);
        if (object->graph())
            m_insertionIndexes.remove(object->graph()->uid());
    }
    if (m_objectBatchDepth > 0) {
        // One selection at the end: selecting each object in turn would lay every panel row
        // out again for each of them.
        m_objectBatchSelection = object;
        m_objectBatchPending = true;
        setModified(true);
        return;
    }
    setSelectedObject(object);

    sortFilters();
    setModified(true);
    start();
}

void TwCore::beginObjectBatch()
{
    if (m_objectBatchDepth++ == 0 && m_window)
        m_window->holdPanelRows(true);
}

void TwCore::endObjectBatch()
{
    if (m_objectBatchDepth <= 0 || --m_objectBatchDepth > 0)
        return;
    if (m_window)
        m_window->holdPanelRows(false);
    if (!m_objectBatchPending)
        return;
    m_objectBatchPending = false;
    KelNGObject* const selected = std::exchange(m_objectBatchSelection, nullptr);
    if (selected && m_objects.contains(selected))
        setSelectedObject(selected);
    sortFilters();
    start();
}

void TwCore::deinitObject(KelNGObject* object)
{
    if (!object)
        return;
    removeAndDeleteObject(object);
    sortFilters();
}

void TwCore::removeObject(KelNGObject* object)
{
    cancelRender();
    m_objects.removeOne(object);
    m_hasProjectFile = false;
    setModified(true);
}

void TwCore::removeAndDeleteObject(KelNGObject* object)
{
    cancelRender();
    if (!object)
        return;
    m_objects.removeOne(object);
    // The selection must not keep a deleted object.
    if (m_selection.contains(object)) {
        if (m_selection.size() == 1)
            setSelectedObject(nullptr);
        else
            m_selection.removeAll(object);
    }
    delete object;
    m_hasProjectFile = false;
    setModified(true);
}

void TwCore::clear()
{
    cancelRender();
    while (!m_objects.isEmpty())
        removeAndDeleteObject(m_objects.first());
    sortFilters();
}

void TwCore::queueObjectToBeRemoved(KelNGObject* object)
{
    emit objectQueuedToBeRemoved(object);
}

KelNGObject* TwCore::addObjectFromNodeGraph(KelVyxNodes::VyxNodeGraph* graph)
{
    cancelRender();
    if (!graph)
        return nullptr;
    auto* object = new KelNGObject(graph);
    emit objectAdded(object);
    setSelectedObject(object);
    return object;
}

KelNGObject* TwCore::addTemplateObject(QString templateUuid)
{
    cancelRender();
    KelTemplate* stored =
        m_templateStore ? m_templateStore->getObjectTemplateFromUuid(templateUuid) : nullptr;
    if (!stored) {
        setModified(true);
        return nullptr;
    }
    auto* copy = new KelTemplate(*stored);

    QList<KelNodes::Node*> const before = m_rootGraph->nodes();
    KelNodes::NodeGraph* loaded = nullptr;
    int result = 0;
    {
        TwNodeGraphIOCallbacks callbacks(this, false);
        TwNodeGraphIOCallbacks::Scope hooks(m_rootGraph, &callbacks, false, true);
        loaded = copy->loadNodeGraphFromFile(m_rootGraph, false, true, false, &result);
    }
    auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(loaded);
    // Nothing but the template's sub-graph may stay: a stray node would become a phantom effect
    // of the saved project.
    QSet<KelNodes::Node*> const kept(before.cbegin(), before.cend());
    QList<KelNodes::Node*> const after = m_rootGraph->nodes();
    for (KelNodes::Node* node : after) {
        if (!kept.contains(node) && node != static_cast<KelNodes::Node*>(graph))
            m_rootGraph->removeNode(node);
    }
    if (!graph) {
        delete copy;
        return nullptr;
    }
    if (result < 0)
        qDebug().noquote() << QStringLiteral("TwCore: template file %1 loaded in part")
                                  .arg(copy->filePath());
    UnrestoredLinksText::tell(this, tr("The template \"%1\" was not read whole.").arg(ShownText::name(copy->name())),
                              m_rootGraph->unrestoredLinks());

    auto* object = new KelNGObject(graph);
    object->setObjectTemplate(copy);
    copy->setObjectInstance(object);
    graph->setName(copy->name());
    object->setBasedOnTemplateUuid(templateUuid);
    object->setGraphChanged(true);

    emit objectAdded(object);
    m_undoStack->push(new TwCmdAddObject(this, object));
    setSelectedObject(object);

    setModified(true);
    return object;
}

void TwCore::deleteSelectedObjects()
{
    QList<KelNGObject*> const selection = m_selection;
    for (KelNGObject* object : selection) {
        // An earlier deletion may have taken this one with it.
        if (!m_selection.contains(object))
            continue;
        if (object->isTemplateInstance()) {
            if (m_templateStore)
                m_templateStore->deleteTemplate(object->getValidTemplate(), true);
        } else {
            m_undoStack->push(new TwCmdDeleteObject(this, m_rootGraph, {object}));
        }
    }
}

// --- look-ups ----------------------------------------------------------------------------------

KelTemplateContainer* TwCore::templateContainer()
{
    cancelRender();
    return m_templateStore.data();
}

bool TwCore::blockFocusOutEvents()
{
    return m_focusOutBlocked;
}

KelNGObject* TwCore::findObjectOfNode(KelNodes::Node* node)
{
    cancelRender();
    if (!node)
        return nullptr;
    if (KelNodes::NodeGraph* graph = node->toNodeGraph())
        return KelNGObject::objectOf(graph);
    return KelNGObject::objectOf(node->parentGraph());
}

KelNGObject* TwCore::findObjectOfUuid(QString const& uuid)
{
    cancelRender();
    for (KelNGObject* object : std::as_const(m_objects)) {
        for (KelNGObject* child : object->getChildObjectList(true)) {
            if (child->uuid() == uuid)
                return child;
        }
        if (object->uuid() == uuid)
            return object;
    }
    return nullptr;
}

KelNGObject* TwCore::findObjectTemplateInstanceOfNode(KelNodes::Node* node)
{
    cancelRender();
    if (!m_templateStore)
        return nullptr;
    for (KelTemplate* objectTemplate : std::as_const(m_templateStore->objectTemplateList)) {
        KelNGObject* instance = objectTemplate ? objectTemplate->objectInstance() : nullptr;
        if (instance && instance->containsNode(node, true))
            return instance;
    }
    return nullptr;
}

KelNodes::Node* TwCore::findNode(int id)
{
    cancelRender();
    return m_rootGraph->findNode(id, true);
}

KelNodes::Node* TwCore::findNodeInCurrentGraph(int id)
{
    return m_currentGraph ? m_currentGraph->findNode(id, true) : nullptr;
}

// --- panels ------------------------------------------------------------------------------------

void TwCore::notifyChange(QUndoCommand* command)
{
    if (command) {
        m_undoStack->push(command);
        return;
    }
    updateAfterChangingGraph(nullptr);
    updateAndSync();
}

int TwCore::hideDialog(int)
{
    return -1;
}

QObject* TwCore::getProgressDialog(QString const&)
{
    return nullptr;
}

void TwCore::adjustWindowUndoStack()
{
    if (m_window)
        m_window->adjustUI(selectedObject());
}

void TwCore::update()
{
    if (m_window)
        m_window->nodeGraphViewUpdateGraph();
    adjustWindowUndoStack();
}

void TwCore::updateAndSync()
{
    cancelRender();
    if (!selectedObject())
        setSelectedObject(nullptr);
    KelNGObject* selected = selectedObject();
    if (m_window) {
        m_window->projectBrowserDynamicObjectSettingsFor(selected);
        m_window->objectEditorAdjustUI(selected);
        m_window->nodeGraphViewUpdateGraph();
    }
    adjustWindowUndoStack();
}

void TwCore::updateAfterChangingGraph(QList<KelNGObject*>*)
{
    cancelRender();
    for (KelNGObject* object : std::as_const(m_objects)) {
        if (!object->graphChanged())
            continue;
        showObjectInPanels(object);
        object->setGraphChanged(false);
    }
    setModified(true);
}

void TwCore::showObjectInPanels(KelNGObject* object)
{
    if (!m_window)
        return;
    m_window->projectBrowserUpdateObject(object);
    m_window->objectEditorUpdateObject(object);
}

void TwCore::updateUIAfterGraphOfNodeChanged(KelNodes::Node* node)
{
    cancelRender();
    if (!markGraphOfNodeChanged(node))
        return;
    if (m_window) {
        m_window->nodeGraphViewUpdateGraph();
        m_window->nodesOfGraphChanged();
    }
    adjustWindowUndoStack();
}

bool TwCore::markGraphOfNodeChanged(KelNodes::Node* node)
{
    cancelRender();
    KelNGObject* object = findObjectOfNode(node);
    if (!object)
        return false;
    KelNGObject* root = object->getRootObject();
    if (!root->isTemplateInstance()) {
        // Its node count, among others, has to be shown anew.
        root->setGraphChanged(true);
        updateAfterChangingGraph(nullptr);
    } else if (KelTemplate* objectTemplate = root->getValidTemplate()) {
        objectTemplate->setModified(true);
        if (objectTemplate->objectInstance() && m_window)
            m_window->objectEditorTemplateHasBeenAddedOrUpdated(objectTemplate);
    }
    return true;
}

void TwCore::redrawObjectEditorNodes()
{
    if (!m_window || !m_window->isNodeGraphViewMode())
        return;
    QTimer::singleShot(0, this, [this] {
        if (m_window)
            m_window->nodeGraphViewRedrawNodes();
    });
}

void TwCore::sortFilters()
{
    cancelRender();
    rechainRootGraph();
    if (m_window)
        m_window->projectBrowserSortFilters();
}

void TwCore::rechainRootGraph()
{
    ++m_rechainCount;
    QList<KelNodes::Node*> const members = m_rootGraph->nodes();
    for (KelNodes::Node* member : members) {
        QList<KelNodes::Node*> const peers = member->connectedNodes(~0u, ~0u);
        for (KelNodes::Node* peer : peers)
            member->disconnect(peer);
    }

    KelNodes::Node* source = m_rootGraph->sourceNode();
    KelNodes::Node* sink = m_rootGraph->destinationNode();
    KelNodes::Node* previous = nullptr;
    QList<KelNodes::Node*> chain;
    for (KelNGObject* object : std::as_const(m_objects)) {
        KelNodes::NodeGraph* graph = object->graph();
        if (graph && graph->parentGraph() == m_rootGraph)
            chain.append(graph);
    }
    // Each link made from the downstream end, as Node::connect makes it. The chain is weighed
    // for cycles as a whole: a walk upstream for each link would cost the square of its length.
    KelNodes::LinkBatch links;
    for (int i = 0; i < chain.size(); ++i) {
        KelNodes::Node* graph = chain.at(i);
        if (i == 0) {
            if (source) {
                links.add(graph, QStringLiteral("rgbIn"), source, QStringLiteral("rgb"));
                links.add(graph, QStringLiteral("alphaIn"), source, QStringLiteral("alpha"));
            }
        } else if (previous) {
            links.add(graph, QStringLiteral("rgbIn"), previous, QStringLiteral("rgbOut"));
            links.add(graph, QStringLiteral("alphaIn"), previous, QStringLiteral("alphaOut"));
        }
        if (i == chain.size() - 1 && sink) {
            links.add(sink, QStringLiteral("rgb"), graph, QStringLiteral("rgbOut"));
            links.add(sink, QStringLiteral("alpha"), graph, QStringLiteral("alphaOut"));
        }
        previous = graph;
    }
    if (chain.isEmpty() && source && sink) {
        links.add(sink, QStringLiteral("rgb"), source, QStringLiteral("rgb"));
        links.add(sink, QStringLiteral("alpha"), source, QStringLiteral("alpha"));
    }
    links.connectAll();
}

void TwCore::nodeAboutToBeDeleted(KelNodes::Node* node)
{
    cancelRender();
    // The same announcement as a node leaving the root graph: every panel lets go of it.
    if (m_window)
        m_window->nodeAboutToBeDeleted(node);
}

// --- messages ----------------------------------------------------------------------------------

void TwCore::showTemporaryMessage(QString text)
{
    if (m_window)
        m_window->statusBarShowMessage(text);
}

void TwCore::showLastingMessage(QString text)
{
    if (m_window)
        m_window->showLastingMessage(text);
}

void TwCore::addDebugText(QString text)
{
    if (m_window)
        m_window->debugWindowAppend(text);
}

QString TwCore::getStorageLocation()
{
    return TwUtilities::getStorageLocation();
}

void TwCore::showSplashScreenMessage(QString const&) {}

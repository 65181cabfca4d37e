#include "mainwindow/TwMainWindow.h"

#include "ui_ImageDock.h"
#include "ui_MainWindow.h"
#include "ui_ProjectBrowser.h"
#include "ui_ObjectBrowser.h"
#include "ui_ObjectEditor.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/PlainTextWidgets.h"
#include "app/Renderer.h"
#include "app/ShownText.h"
#include "app/TemplateEditor.h"
#include "app/TwCmdDeleteObject.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "app/TwUtilities.h"
#include "browser/ImageBrowser.h"
#include "io/picture/PictureFile.h"
#include "io/picture/PictureReader.h"
#include "browser/ImageView.h"
#include "dialogs/About.h"
#include "dialogs/CSplashScreen.h"
#include "dialogs/TwDebugWindow.h"
#include "dialogs/TwPreferencesDialog.h"
#include "effects/VyxNodeGraph.h"
#include "help/TwHelp.h"
#include "mainwindow/LastingMessage.h"
#include "mainwindow/PseudoDockWidget.h"
#include "mainwindow/PseudoDockWidgetArea.h"
#include "mainwindow/SplashBeforeBoxes.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectEditorDock.h"
#include "mainwindow/TwProjectBrowser.h"
#include "mainwindow/TwUndoHistories.h"
#include "mainwindow/VyxApplication.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelDescriptionLabel.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeConnection.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/NodeEditHooks.h"
#include "nodeui/VyxNodeGraphView.h"
#include "params/HelpItem.h"
#include "style/KelStyleConfig.h"

#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QRadioButton>
#include <QUndoGroup>
#include <QUndoStack>

namespace {

// A template's description in the panel beside its list: a few screens of it at most.
constexpr int kDescriptionChars = 4000;
constexpr int kDescriptionLines = 100;

QIcon styleIcon(QString const& key)
{
    return QIcon(KelStyleConfig::instance()->value<QPixmap>(key));
}

} // namespace

TwMainWindow::TwMainWindow(CSplashScreen* splash)
    : m_undoGroup(new QUndoGroup(this)), m_splash(splash)
{
    // A box of the start-up (a project that cannot be opened) must not open under the splash.
    new SplashBeforeBoxes(splash, [this] { finishSplashScreen(); }, this);
    m_core = new TwCore(this);
    m_ui = new Ui::MainWindow;
    m_ui->setupUi(this);
    m_ui->timeline->setCore(m_core);
    setCentralWidget(m_ui->mainSplitter);
    delete m_ui->centralwidget;
    m_ui->centralwidget = nullptr;
    m_lastingMessage = new LastingMessage(this);
    statusBar()->addPermanentWidget(m_lastingMessage, 1);
    NodeEditHooks::setPreWriteHook([this] {
        if (m_core)
            m_core->cancelRender();
    });
    NodeEditHooks::setRenderIdleQuery([this] {
        return !m_core || !m_core->renderer()->isRunning();
    });
    NodeEditHooks::setPreviewRequest([this] {
        if (!m_core || m_previewRenderPosted)
            return;
        m_previewRenderPosted = true;
        QTimer::singleShot(0, this, &TwMainWindow::renderForPreviews);
    });

    buildActions();

    setDockNestingEnabled(true);
    setDockOptions(dockOptions() & ~QMainWindow::AllowTabbedDocks);
    m_rightDock = new QDockWidget(this);
    m_rightDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    m_rightDock->setProperty("doubleArrowOnRightSide", true);
    m_rightDock->setWindowTitle(QString());
    addDockWidget(Qt::RightDockWidgetArea, m_rightDock, Qt::Horizontal);

    buildPanels();
    setupStorageLocations();

    // Tool bar with the view-mode menu.
    QToolBar* toolBar = addToolBar(QString());
    toolBar->setIconSize(QSize(28, 28));
    m_viewModeMenu = new QMenu(QStringLiteral("{%1}").arg(tr("Modelling")), this);
    m_viewModeMenu->addAction(m_ui->actionImageView);
    m_viewModeMenu->addAction(m_ui->actionNodeGraphView);
    m_viewModeMenu->setTitle(QStringLiteral("{%1}").arg(m_ui->actionImageView->text()));
    toolBar->addAction(m_viewModeMenu->menuAction());
    if (auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(m_viewModeMenu->menuAction())))
        button->setPopupMode(QToolButton::InstantPopup);
    toolBar->addSeparator();
    toolBar->addAction(m_undoAction);
    toolBar->addAction(m_redoAction);
    toolBar->addSeparator();
    toolBar->addAction(m_ui->actionOpen);
    toolBar->addAction(m_ui->actionSave);
    toolBar->addAction(m_ui->actionSaveAs);
    toolBar->addSeparator();
    toolBar->addAction(m_ui->actionToggleBrowser);
    toolBar->addSeparator();
    toolBar->addAction(m_ui->actionSaveSequence);
    toolBar->addAction(m_ui->actionSaveImage);
    toolBar->addSeparator();
    connect(m_viewModeMenu, &QMenu::triggered, this, &TwMainWindow::viewModeChanged);

    m_recentFileActions = {m_ui->actionRecentFile1, m_ui->actionRecentFile2, m_ui->actionRecentFile3,
                           m_ui->actionRecentFile4, m_ui->actionRecentFile5};
    for (QAction* action : std::as_const(m_recentFileActions)) {
        action->setVisible(false);
        connect(action, &QAction::triggered, this, &TwMainWindow::openRecentFile);
    }
    updateRecentFileActions();
    connect(m_ui->actionSaveImage, &QAction::triggered, this, &TwMainWindow::saveImage);
    connect(m_ui->actionSaveSequence, &QAction::triggered, this, &TwMainWindow::saveSequence);
    connect(m_ui->imageView, &ImageView::insertTemplate, m_core, &TwCore::addTemplateObject);

    m_undoAction->setIcon(styleIcon(QStringLiteral("undo")));
    m_redoAction->setIcon(styleIcon(QStringLiteral("redo")));
    m_ui->actionOpen->setIcon(styleIcon(QStringLiteral("open")));
    m_ui->actionSave->setIcon(styleIcon(QStringLiteral("save")));
    m_ui->actionSaveAs->setIcon(styleIcon(QStringLiteral("saveas")));
    m_ui->actionPreferences->setIcon(styleIcon(QStringLiteral("preferences")));
    m_ui->actionToggleBrowser->setIcon(styleIcon(QStringLiteral("showbrowser")));
    m_ui->actionSaveImage->setIcon(styleIcon(QStringLiteral("saveImage")));
    m_ui->actionSaveSequence->setIcon(styleIcon(QStringLiteral("saveSequence")));

    if (m_splash)
        m_core->showSplashScreenMessage(tr("Loading templates ..."));
    loadTemplates();

    m_core->setModified(false);
    viewModeChanged(m_ui->actionImageView);

    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), available));
    showMaximized();
    m_ui->timeline->updateTimeline();

    openStartupProjects();

    m_ui->imageBrowser->displayCurrentPath();
    connect(m_ui->imageBrowser, &ImageBrowser::currentImageChanged, this,
            &TwMainWindow::imageChangedInBrowser);
    m_ui->actionSaveAs->setEnabled(m_core->isModified());

    m_core->addDebugText(tr("Startup Completed."));
    if (m_splash)
        m_core->showSplashScreenMessage(tr("Startup Completed."));

    m_core->setSourceImage(TwUtilities::getResourcesDirectory() + QStringLiteral("/tw/preview_big.png"));
    // Without its reader the program shows no picture (a black start picture, blank thumbnails):
    // the user learns why once, when the window is up.
    QString readerMissing;
    if (!PictureReader::programPresent(&readerMissing))
        QMetaObject::invokeMethod(this, [this, readerMissing] { warn(readerMissing); }, Qt::QueuedConnection);
    m_core->start();
    QTimer::singleShot(2000, this, &TwMainWindow::finishSplashScreen);
}

void TwMainWindow::buildActions()
{
    m_undoAction = m_undoGroup->createUndoAction(this);
    m_redoAction = m_undoGroup->createRedoAction(this);
    m_undoAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    m_redoAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    // Their texts name what the last command changed, a name from a file among them.
    PlainTextWidgets::keepTextPlain(m_undoAction);
    PlainTextWidgets::keepTextPlain(m_redoAction);
    m_histories = new TwUndoHistories(
        m_undoGroup, m_core->undoStack(), [this] { return m_core ? m_core->selectedObject() : nullptr; }, this);
    QAction* before = m_ui->actionCopy;
    m_ui->menuEdit->insertAction(before, m_undoAction);
    m_ui->menuEdit->insertAction(before, m_redoAction);
    m_ui->menuEdit->insertSeparator(before);
}

void TwMainWindow::buildPanels()
{
    m_nodeGraphEditorDock = new PseudoDockWidget(nullptr);
    m_nodeGraphEditorDock->setWindowTitle(tr("Node Graph Editor"));
    m_objectEditorDock = new TwObjectEditorDock(this, m_core);
    m_objectEditorDock->hide();
    m_debugDock = new PseudoDockWidget(nullptr);
    m_debugDock->setWindowTitle(tr("Debug Window"));

    m_projectBrowser = new TwProjectBrowser(nullptr, m_core);
    connect(m_projectBrowser, &TwProjectBrowser::addNewEmptyFilter, this, &TwMainWindow::addNewEmptyFilter);
    connect(m_projectBrowser, &TwProjectBrowser::deleteCurrentFilter, this,
            &TwMainWindow::on_actionDelete_triggered);
    connect(m_projectBrowser, &TwProjectBrowser::downloadTemplates, this,
            &TwMainWindow::on_actionCheckForTemplates_triggered);
    connect(m_projectBrowser, &TwProjectBrowser::effectsOn, m_core, &TwCore::effectsOn);
    connect(m_projectBrowser, &TwProjectBrowser::selectedObjectChanged, m_core, &TwCore::setSelectedObject);

    auto makeBrowserPage = [this](Ui::ObjectBrowser*& form) {
        auto* page = new QWidget;
        form = new Ui::ObjectBrowser;
        form->setupUi(page);
        form->objectTemplates->setDragEnabled(true);
        form->objectTemplates->setDragDropMode(QAbstractItemView::DragOnly);
        form->objectTemplates->setIconSize(QSize(120, 80));
        return page;
    };
    m_filtersPage = makeBrowserPage(m_filtersUi);
    m_filtersUi->objectTemplates->setUniformRowHeights(true);
    m_effectsPage = makeBrowserPage(m_effectsUi);
    connect(m_filtersUi->objectTemplates, &QTreeWidget::currentItemChanged, this,
            &TwMainWindow::filtersTreeWidget_currentItemChanged);
    connect(m_effectsUi->objectTemplates, &QTreeWidget::currentItemChanged, this,
            &TwMainWindow::effectsTreeWidget_currentItemChanged);

    m_objectEditor = new TwObjectEditor(this, m_core);
    m_objectEditor->setObjectEditorDock(m_objectEditorDock);
    m_objectEditor->setMinimumWidth(600);
    connectGraphView();
    connect(m_objectEditor, &TwObjectEditor::selectedObjectChanged, m_core, &TwCore::setSelectedObject);
    connect(m_objectEditor, &TwObjectEditor::moveObject, this, &TwMainWindow::moveObject);
    // After the editor's own slots, which set the show mode.
    for (QRadioButton* show : {m_objectEditor->form()->projectRadioButton, m_objectEditor->form()->templatesRadioButton})
        connect(show, &QRadioButton::clicked, this, &TwMainWindow::updateEditActions);
    connect(m_projectBrowser, &TwProjectBrowser::objectNameChanged, m_objectEditor,
            &TwObjectEditor::setObjectName);
    connect(m_objectEditor, &TwObjectEditor::objectNameChanged, m_projectBrowser,
            &TwProjectBrowser::setObjectName);
    m_nodeGraphEditorDock->setWidget(m_objectEditor);
    m_objectEditorDock->setObjectEditor(m_objectEditor);

    m_debugWindow = new TwDebugWindow(m_debugDock, m_core);
    m_debugDock->setWidget(m_debugWindow);

    m_imageDockPage = new QWidget;
    m_imageDockUi = new Ui::ImageDock;
    m_imageDockUi->setupUi(m_imageDockPage);
    m_imageDockUi->tabWidget->addTab(m_projectBrowser, tr("Project"));
    m_imageDockUi->tabWidget->addTab(m_filtersPage, tr("Filters"));
    m_imageDockUi->tabWidget->addTab(m_effectsPage, tr("Effects"));
    m_imageDockPage->setMinimumWidth(400);
    m_projectBrowser->setObjectEditor(m_objectEditor);
}

void TwMainWindow::connectGraphView()
{
    KelNGNodeGraphView* view = objectEditorGraphView();
    connect(view, &KelNGNodeGraphView::addNodeToGraphView, this, &TwMainWindow::addNodeToGraphView);
    connect(view, &KelNGNodeGraphView::deleteNodeFromGraphView, this,
            &TwMainWindow::deleteNodeFromGraphView);
    connect(view, &KelNGNodeGraphView::nodeConnectionChangedInGraphView, this,
            &TwMainWindow::nodeConnectionChangedInGraphView);
    connect(view, &KelNGNodeGraphView::nodeParameterChanged, this, &TwMainWindow::nodeParameterChanged);
    connect(view, &KelNGNodeGraphView::nodeDragAndDrop, this, &TwMainWindow::nodeDragAndDrop);
    connect(view, &KelNGNodeGraphView::selectedNodeChanged, this, &TwMainWindow::selectedNodeChanged);
    connect(view, &KelNGNodeGraphView::objectGraphChanged, this, &TwMainWindow::objectGraphChanged);
    connect(view, &KelNGNodeGraphView::nodePositionsChanged, this, &TwMainWindow::nodePositionsChanged);
    // A change of keys is a node edit of the same undo history as a typed value; the timeline
    // shows the keys every such step leaves, done, undone or redone.
    connect(m_ui->timeline, &KelTimeline::keyframesChanged, view, &KelNGNodeGraphView::addKeyframeUndo);
    connect(view, &KelNGNodeGraphView::nodeParameterChanged, m_ui->timeline, &KelTimeline::showCurrentFrame);
}

void TwMainWindow::setupStorageLocations()
{
    const QString root = m_core->getStorageLocation();
    const QStringList folders = {root, root + QStringLiteral("/templates/lumora"),
                                 root + QStringLiteral("/templates/lumora/icons")};
    for (QString const& folder : folders) {
        if (QDir(folder).exists())
            m_core->addDebugText(folder + QStringLiteral(" exists"));
        else if (QDir().mkpath(folder))
            m_core->addDebugText(folder + QStringLiteral(" created"));
        else
            m_core->addDebugText(folder + QStringLiteral(" creation failed!!"));
    }
}

void TwMainWindow::loadTemplates()
{
    TwTemplateContainer* store = m_core->templateStore();
    store->loadObjectTemplates();
    store->setFilterBrowserTreeWidget(m_filtersUi->objectTemplates);
    store->setSpecialFXBrowserTreeWidget(m_effectsUi->objectTemplates);
    // The store's own signal reaches the window through the core.
    connect(m_objectEditor->templateEditor(), &TemplateEditor::templateHasBeenAddedOrUpdated, this,
            &TwMainWindow::templateHasBeenAddedOrUpdated);
    connect(m_projectBrowser, &TwProjectBrowser::vyxGraphSettingChanged, this,
            &TwMainWindow::vyxGraphSettingChanged);
    connect(m_objectEditor, &TwObjectEditor::vyxGraphSettingChanged, this,
            &TwMainWindow::vyxGraphSettingChanged);
    m_objectEditor->addObjectTemplatesToBrowser();
}

QString TwMainWindow::startupProjectArgument(QStringList const& arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) != QLatin1String("--nosplash"))
            return arguments.at(i);
    }
    return QString();
}

void TwMainWindow::openStartupProjects()
{
    QString path = startupProjectArgument(QCoreApplication::arguments());
    if (!path.isEmpty())
        openNodeGraph(m_core->rootGraph(), path);
    if (auto* application = qobject_cast<VyxApplication*>(QCoreApplication::instance())) {
        QString pending = application->pendingProjectPath();
        if (!pending.isEmpty()) {
            application->setPendingProjectPath(QString());
            openNodeGraph(m_core->rootGraph(), pending);
        }
    }
}

TwMainWindow::~TwMainWindow()
{
    stopTimelinePlayer();
    m_core->setRenderBlocked(true);
    m_core->cancelRender();
    m_core->renderer()->wait();
    resetNodeEditHooks();

    // The project and the store free their graphs below in an order of their own, templates
    // inside templates among them: nothing the editors hold may be read while that happens.
    m_tearingDown = true;
    if (m_ui && m_ui->timeline)
        m_ui->timeline->setMasterContainer(nullptr);
    if (KelNGNodeGraphView* view = objectEditorGraphView())
        view->setObject(nullptr);

    m_core->undoStack()->clear();
    // The store's clear() deletes the templates: the core must not render one of their graphs.
    m_core->setCurrentGraph(nullptr);
    // The core deletes no object: the project is emptied while the panels can still follow.
    if (m_objectEditor)
        m_objectEditor->setBlockSignals(true);
    m_core->clear();
    m_core->templateStore()->clear();

    delete m_filtersPage.data();
    delete m_effectsPage.data();
    delete m_imageDockPage.data();
    delete m_nodeGraphEditorDock.data();
    delete m_objectEditorDock.data();
    delete m_rightDock.data();
    delete m_debugDock.data();
    m_objectEditor = nullptr;
    m_projectBrowser = nullptr;
    m_debugWindow = nullptr;
    TwCore* core = m_core;
    m_core = nullptr;
    delete core;
    delete m_ui->timeline;
    m_ui->timeline = nullptr;
    delete m_filtersUi;
    delete m_effectsUi;
    delete m_imageDockUi;
    delete m_ui;
}

void TwMainWindow::resetNodeEditHooks()
{
    NodeEditHooks::setPreWriteHook({});
    NodeEditHooks::setRenderIdleQuery({});
    NodeEditHooks::setPreviewRequest({});
}

void TwMainWindow::stopTimelinePlayer()
{
    if (!m_ui || !m_ui->timeline)
        return;
    m_ui->timeline->stopPlayback();
}

// --- state of actions and title ----------------------------------------------------------------

bool TwMainWindow::isEditingProject() const
{
    return m_objectEditor && m_objectEditor->showMode() == 0;
}

void TwMainWindow::modifiedStateChanged()
{
    if (!m_core)
        return;
    // The project's history starts anew where it was saved, opened or made. Only then: a
    // template's rename is a step of that history that leaves the project unmodified.
    if (!m_core->isModified())
        m_core->undoStack()->clear();
    updateActionsAndTitle();
}

void TwMainWindow::updateActionsAndTitle()
{
    const bool modified = m_core->isModified();
    m_ui->actionSaveAs->setEnabled(modified);
    m_ui->actionSave->setEnabled(modified && m_core->hasProjectFile());
    updateEditActions();

    setWindowTitle(QStringLiteral("Vyx-Solenne - %1[*]").arg(ShownText::name(QFileInfo(m_core->projectName()).baseName())));
    setWindowModified(modified);
}

// While the object editor shows its Templates page, Copy, Delete and Paste stay disabled: what
// they would act on is not what that page shows.
void TwMainWindow::updateEditActions()
{
    const bool editing = isEditingProject();
    m_ui->actionCopy->setEnabled(editing && m_core->selectedObject() != nullptr);
    m_ui->actionDelete->setEnabled(editing && effectToDelete() != nullptr);
    m_ui->actionPaste->setEnabled(editing && m_clipboard.size() > 0);
}

void TwMainWindow::on_menuEdit_aboutToShow()
{
    updateEditActions();
    // A selection the core refuses to delete is not copied either.
    if (m_core->selectedObjects().isEmpty() || !m_core->selectedObjectsCanBeDeleted())
        m_ui->actionCopy->setEnabled(false);
}

KelNGObject* TwMainWindow::effectToDelete() const
{
    KelNGObject* effect = m_projectBrowser ? m_projectBrowser->shownEffect() : nullptr;
    return effect && effect->isDeletable() ? effect : nullptr;
}

void TwMainWindow::selectedObjectChanged(KelNGObject* object)
{
    if (!m_core)
        return;
    m_histories->selectionShown();
    showSelectionInEditors(object);
    adjustUI(object);
    updateActionsAndTitle();
}

void TwMainWindow::showSelectionInEditors(KelNGObject* selected)
{
    if (!selected) {
        // In Show: Templates the emptied selection is the templates list's: the Project tab
        // keeps its effect, as it does while a template is selected. Otherwise no row stays
        // highlighted over an empty Important Parameters panel.
        if (isEditingProject())
            m_projectBrowser->dynamicObjectSettingsFor(nullptr);
        m_objectEditor->setSelectedObject(nullptr);
    } else if (!selected->isTemplateInstance()) {
        m_projectBrowser->dynamicObjectSettingsFor(selected);
        m_projectBrowser->setSelectedObject(selected);
        // In either view mode: a change made while the image view was shown (a click, an undo)
        // must not leave the graph, the node panel and the node dock on another effect.
        m_objectEditor->setSelectedObject(selected);
    }
    // The Templates list keeps its own row, whatever became of the project's selection.
    if (m_objectEditor->showMode() != 0)
        m_objectEditor->showSelection(selected);
    showPickedNodeInEditors(false);
}

KelNGObject* TwMainWindow::shownEffect() const
{
    if (isNodeGraphViewMode())
        return m_objectEditor->currentObject();
    KelNGObject* selected = m_core->selectedObject();
    if (selected && !selected->isTemplateInstance())
        return selected;
    KelParamCrucial* panel = m_projectBrowser->crucialPanel();
    return panel ? panel->object() : nullptr;
}

void TwMainWindow::showPickedNodeInEditors(bool timelineOnNode)
{
    KelNGNodeGraphView* view = objectEditorGraphView();
    KelNGNode* picked = view && view->graph() ? view->selectedNode() : nullptr;
    if (picked && !picked->node())
        picked = nullptr;
    if (NodeDockTabWidget* dock = nodeDock())
        dock->showOnCurrentNodePage(picked);

    // The timeline holds the root graph's frames and the shown effect's keys, or in the
    // node-graph view, once the user picked a node, that node's.
    KelUtils::IParameterContainer* master = nullptr;
    KelUtils::IParameterContainer* keys = nullptr;
    KelNGObject* effect = shownEffect();
    if (isNodeGraphViewMode() && picked && timelineOnNode) {
        master = keys = picked->node()->paramContainer();
    } else if (effect && effect->graph()) {
        master = m_core->rootGraph()->paramContainer();
        keys = effect->graph()->paramContainer();
    }
    // A node picked again while the timeline shows it keeps the timeline's range and scroll.
    KelTimeline* timeline = m_ui->timeline;
    if (!master) {
        // No effect's keys: the frame field still reads the frame the project renders.
        master = m_core->rootGraph()->paramContainer();
        if (timeline->masterContainer() != master || timeline->selectedContainer())
            timeline->showFramesOnly(master);
        else
            timeline->showCurrentFrame();
        return;
    }
    if (timeline->masterContainer() == master && timeline->selectedContainer() == keys)
        return;
    timeline->setMasterContainer(master);
    timeline->selectedContainerChanged(keys);
}

void TwMainWindow::templateHasBeenAddedOrUpdated(bool added, KelTemplate* objectTemplate)
{
    if (added && m_objectEditor)
        m_objectEditor->objectTemplateHasBeenAddedOrUpdated(objectTemplate);
}

// --- rendering ---------------------------------------------------------------------------------

void TwMainWindow::startRender()
{
    if (m_core)
        m_core->start();
}

void TwMainWindow::renderForPreviews()
{
    m_previewRenderPosted = false;
    if (!m_core)
        return;
    // A running render may have passed the node already: it starts over (the core restarts it).
    if (m_core->renderer()->isRunning())
        m_core->cancelRender();
    else if (!m_core->isRenderPending())
        m_core->start();
}

void TwMainWindow::renderingFinished()
{
    if (!m_core)
        return;
    if (m_core->renderer()->completedSucceeded())
        m_ui->imageView->setImage(m_core->resultImage());
    else if (const QString reason = m_core->renderer()->failureReason(); !reason.isEmpty())
        // A render refused for a reason of its own says why; a cancelled one has none.
        m_ui->imageView->setMessage(tr("Rendering failed or canceled: %1.").arg(ShownText::bounded(reason)));
    else
        m_ui->imageView->setMessage(tr("Rendering failed or canceled"));

    if (isNodeGraphViewMode()) {
        // The node pictures read the graph: the render thread must have ended.
        m_core->renderer()->wait();
        nodeGraphViewRedrawNodes();
    }

    if (m_pendingDescription) {
        const int tab = m_imageDockUi->tabWidget->currentIndex();
        if (tab == 1 && filtersTree()->currentItem())
            filtersTreeWidget_currentItemChanged(filtersTree()->currentItem(), nullptr);
        else if (tab == 2 && effectsTree()->currentItem())
            effectsTreeWidget_currentItemChanged(effectsTree()->currentItem(), nullptr);
        m_pendingDescription = false;
    }
}

void TwMainWindow::imageChangedInBrowser(QString path)
{
    m_core->cancelRender();
    QString reason;
    if (!m_core->setSourceImage(path, &reason)) {
        // The image layer knows why (a damaged file, a picture above the size limit).
        warn(PictureFile::notOpenedMessage(path, reason));
        // The browser still has the file current: a click on it (after Esc on a slow read)
        // reads it again.
        m_ui->imageBrowser->offerCurrentImageAgain();
    }
    m_pendingDescription = true;
    m_core->start();
}

void TwMainWindow::filtersTreeWidget_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem*)
{
    if (current)
        displayTemplateDescription(current->data(0, Qt::UserRole + 1).toString(), filtersDescription());
}

void TwMainWindow::effectsTreeWidget_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem*)
{
    if (current)
        displayTemplateDescription(current->data(0, Qt::UserRole + 1).toString(), effectsDescription());
}

void TwMainWindow::displayTemplateDescription(QString const& uuid, KelDescriptionLabel* label)
{
    TwTemplateContainer* store = m_core->templateStore();
    KelTemplate* objectTemplate = store ? store->getObjectTemplateFromUuid(uuid) : nullptr;
    if (!objectTemplate)
        return;
    // The template's graph may be what the render thread works on.
    m_core->cancelRender();
    m_previewImage = m_core->sourceImage()
                         ->scaled(120, 80, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_ARGB32);
    QImage shown = m_previewImage;
    KelNGObject* instance = objectTemplate->objectInstance();
    KelVyxNodes::VyxNodeGraph* graph = instance ? instance->effectGraph() : nullptr;
    if (graph) {
        graph->setUp(&m_previewImage, nullptr, nullptr, true);
        if (graph->filter(nullptr) >= 0)
            shown = graph->resultImage();
    }
    // The description is the file's text, not markup.
    const KelUtils::HelpItem help(ShownText::name(objectTemplate->name()),
                                  ShownText::html(ShownText::bounded(objectTemplate->description(),
                                                                     kDescriptionChars, kDescriptionLines)));
    label->displayHelpItem(&help);
    label->setImage(&shown);
}

// --- simple actions ----------------------------------------------------------------------------

void TwMainWindow::on_actionDelete_triggered()
{
    // The Project tab's effect in every show mode: a store template is deleted only by the
    // Templates page's own button.
    KelNGObject* effect = effectToDelete();
    if (!effect)
        return;
    m_core->undoStack()->push(new TwCmdDeleteObject(m_core, m_core->rootGraph(), {effect}));
}

void TwMainWindow::on_actionExit_triggered()
{
    close();
}

void TwMainWindow::on_actionHelp_triggered()
{
    auto* help = new TwHelp(this, QStringLiteral("Introduction"));
    help->setAttribute(Qt::WA_DeleteOnClose);
    help->show();
}

void TwMainWindow::on_actionAbout_triggered()
{
    About about(this);
    about.exec();
}

void TwMainWindow::on_actionPreferences_triggered()
{
    TwPreferencesDialog preferences(this);
    preferences.exec();
}

void TwMainWindow::on_actionCheckForTemplates_triggered()
{
    if (m_core && m_core->templateStore())
        m_core->templateStore()->checkForTemplateUpdatesInDatabase();
}

void TwMainWindow::on_actionToggleBrowser_toggled(bool checked)
{
    m_ui->bottomStack->hide();
    const int height = checked ? 200 : 60;
    m_ui->bottomStack->setCurrentIndex(checked ? 0 : 1);
    m_ui->bottomStack->setMinimumHeight(height);
    m_ui->bottomStack->setMaximumHeight(height);
    m_ui->bottomStack->show();
}

void TwMainWindow::finishSplashScreen()
{
    delete m_splash;
    m_splash = nullptr;
}

void TwMainWindow::warn(QString const& text)
{
    PlainTextWidgets::showMessage(QMessageBox::Warning, this, QStringLiteral("Vyx-Solenne"), text);
}

// --- closing -----------------------------------------------------------------------------------

void TwMainWindow::closeEvent(QCloseEvent* event)
{
    stopTimelinePlayer();
    m_core->setRenderBlocked(true);
    m_core->cancelRender();
    // The project first, then the templates edited in the store; Cancel in either keeps both.
    const bool agreed =
        (!m_core->isModified() || maybeSaveNodeGraph()) && maybeSaveTemplates(m_objectEditor->unsavedTemplateOwners());
    if (!agreed) {
        event->ignore();
        m_core->setRenderBlocked(false);
        // A render stopped for the question is not lost.
        m_core->start();
        return;
    }
    emptyProject();
    m_core->setBlockFocusOutEvents(true);
    selectedNodeChanged(nullptr);
    event->accept();
}

void TwMainWindow::contextMenuEvent(QContextMenuEvent* event)
{
    event->ignore();
}

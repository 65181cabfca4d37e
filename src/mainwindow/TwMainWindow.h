#pragma once

#include "app/TwMainWindowInterface.h"
#include "mainwindow/PseudoDockWidget.h"
#include "mainwindow/TwObjectEditorDock.h"

#include <QBuffer>
#include <QDockWidget>
#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QPointer>

class CSplashScreen;
class ImageBrowser;
class ImageView;
class KelDescriptionLabel;
class LastingMessage;
class KelNGNode;
class KelNGNodeConnection;
class KelNGNodeGraphView;
class KelParam;
class KelTimeline;
class NodeDockTabWidget;
class PseudoDockWidget;
class QDockWidget;
class QMenu;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QUndoGroup;
class QUndoStack;
class TwCore;
class TwDebugWindow;
class TwObjectEditor;
class TwObjectEditorDock;
class TwProjectBrowser;
class TwUndoHistories;

namespace Ui {
class MainWindow;
class ImageDock;
class ObjectBrowser;
}

namespace KelNodes {
class Node;
class NodeGraph;
}

// The application's one window: owns the core and every panel, turns menu commands, shortcuts,
// drops and panel edits into calls on the core under the change rule (cancel the render,
// apply, mark modified, render again), and keeps its actions and title in step with the
// project. File commands are in TwMainWindowFiles.cpp, view modes in TwMainWindowViews.cpp,
// panel and graph-view edits in TwMainWindowEdits.cpp, what the core asks of the panels in
// TwMainWindowPanels.cpp.
class TwMainWindow : public QMainWindow, public TwMainWindowInterface
{
    Q_OBJECT

public:
    // splash may be null. Opens the project named by the command line (and a held file-open
    // path), loads the default preview image and starts the first render.
    explicit TwMainWindow(CSplashScreen* splash);
    ~TwMainWindow() override;

    // TwMainWindowInterface
    QWidget* widget() override { return this; }
    void nodeAboutToBeDeleted(KelNodes::Node* node) override;
    void adjustUI(KelNGObject* object) override;
    void nodesOfGraphChanged() override;
    bool isNodeGraphViewMode() const override;
    void statusBarShowMessage(QString const& text) override;
    void showLastingMessage(QString const& text) override;
    // What the lasting message line shows (empty once dismissed).
    QString lastingMessage() const;
    void imageViewSetMessage(QString const& text) override;
    void debugWindowAppend(QString const& text) override;
    void nodeGraphViewSetObject(KelNodes::NodeGraph* graph) override;
    void nodeGraphViewUpdateGraph() override;
    void nodeGraphViewRedrawNodes() override;
    bool nodeDockObjectPanelEditsNode(KelNodes::Node* node) override;
    void nodeDockCrucialObjectSettingsFor(KelNGObject* object) override;
    bool nodeDockSubGraphPanelEditsNode(KelNodes::Node* node) override;
    void nodeDockDeleteSubGraphPanel() override;
    void projectBrowserSortFilters() override;
    void projectBrowserDynamicObjectSettingsFor(KelNGObject* object) override;
    void projectBrowserNodeAboutToBeDeleted(KelNodes::Node* node) override;
    void projectBrowserUpdateObject(KelNGObject* object) override;
    void objectEditorAdjustUI(KelNGObject* object) override;
    void objectEditorUpdateObject(KelNGObject* object) override;
    void objectEditorTemplateHasBeenAddedOrUpdated(KelTemplate* objectTemplate) override;

    // Opens the file into the core's root graph (a file-open request).
    void openAndSetupProject(QString path);
    // Asks for a file when path is empty (the choice is written back), then loads it.
    void openNodeGraph(KelNodes::NodeGraph* graph, QString& path);
    // Asks for a file when path is empty (the choice is written back); true when written.
    bool saveNodeGraph(KelNodes::NodeGraph* graph, QString& path);
    // The save question; false when the user cancels.
    bool maybeSaveNodeGraph();
    // The save question of the given template edits not yet saved (their owners); false when
    // the user cancels or a template could not be saved.
    bool maybeSaveTemplates(QList<KelNGObject*> const& unsaved);
    // The Project tab's effect when it can be deleted (the target of the bin and Edit > Delete).
    KelNGObject* effectToDelete() const;
    // Empties the project after the save questions of the project and of its effects' own
    // template edits; false when the user cancels. Every New and Open passes here.
    bool clear();
    void addFileToRecentFileList(QString const& path);
    void updateRecentFileActions();
    void displayTemplateDescription(QString const& uuid, KelDescriptionLabel* label);
    // The project a command line names: the first argument after the program's path that is
    // not "--nosplash"; empty when there is none.
    static QString startupProjectArgument(QStringList const& arguments);

    // For the start-up code and the tests.
    TwCore* core() const { return m_core; }
    Ui::MainWindow* form() const { return m_ui; }
    ImageView* imageView() const;
    ImageBrowser* imageBrowser() const;
    KelTimeline* timeline() const;
    TwProjectBrowser* projectBrowser() const { return m_projectBrowser; }
    TwObjectEditor* objectEditor() const { return m_objectEditor; }
    TwObjectEditorDock* objectEditorDock() const { return m_objectEditorDock; }
    TwDebugWindow* debugWindow() const { return m_debugWindow; }
    QDockWidget* rightDock() const { return m_rightDock; }
    QWidget* imageDockPage() const { return m_imageDockPage; }
    QTreeWidget* filtersTree() const;
    QTreeWidget* effectsTree() const;
    KelDescriptionLabel* filtersDescription() const;
    KelDescriptionLabel* effectsDescription() const;
    QUndoGroup* undoGroup() const { return m_undoGroup; }
    QAction* undoAction() const { return m_undoAction; }
    QAction* redoAction() const { return m_redoAction; }
    QMenu* viewModeMenu() const { return m_viewModeMenu; }
    QAction* currentViewModeAction() const { return m_currentViewAction; }
    QList<int> imageViewSizes() const { return m_imageViewSizes; }
    QList<int> nodeGraphViewSizes() const { return m_nodeGraphViewSizes; }
    QBuffer const& clipboardBuffer() const { return m_clipboard; }
    // The small source copy the template previews filter; kept while the window lives because
    // the preview graph stays set up on it.
    QImage const& templatePreviewImage() const { return m_previewImage; }
    KelNGNodeGraphView* objectEditorGraphView() const;
    NodeDockTabWidget* nodeDock() const;

public slots:
    // Core signals (connected by the core).
    void renderingFinished() override;
    void modifiedStateChanged() override;
    void initObject(KelNGObject* object) override;
    void deinitObject(KelNGObject* object) override;
    void selectedObjectChanged(KelNGObject* object) override;
    void holdPanelRows(bool hold) override;
    void templateHasBeenAddedOrUpdated(bool added, KelTemplate* objectTemplate) override;

    void startRender();
    // An effect's row setting changed and its render is still to start.
    bool isSettingRenderDue() const;
    // A node view shows a preview the latest render did not make: render (again).
    void renderForPreviews();
    void viewModeChanged(QAction* action);
    void vyxGraphSettingChanged(KelNGObject* object, bool fromProjectBrowser);
    void imageChangedInBrowser(QString path);
    void addNewEmptyFilter();
    void saveImage();
    void saveSequence();
    void openRecentFile();
    void finishSplashScreen();
    // Never connected: records a parameter-panel edit on the core's stack.
    void addParamUndo(KelParam* panel, QBuffer* before);
    // Receives the object editor's object drops; the project stays as it is.
    void moveObject(KelNGObject* moved, KelNGObject* target);

    // Node-graph view.
    void addNodeToGraphView(KelNGNodeGraphView* view, KelNodes::Node* node);
    void deleteNodeFromGraphView(KelNGNodeGraphView* view, KelNodes::Node* node);
    void nodeConnectionChangedInGraphView(KelNGNodeGraphView* view,
                                          KelNGNodeConnection* connection, bool connect);
    void nodeParameterChanged(KelNGNodeGraphView* view, KelNodes::Node* node);
    void nodeDragAndDrop(KelNGNodeGraphView* view, KelNodes::Node* dragged,
                         KelNodes::Node* target);
    void selectedNodeChanged(KelNGNode* node);
    void objectGraphChanged();
    void nodePositionsChanged();

    void filtersTreeWidget_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void effectsTreeWidget_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);

    // Actions, connected by name.
    bool on_actionNew_triggered();
    void on_actionOpen_triggered();
    void on_actionSave_triggered();
    void on_actionSaveAs_triggered();
    void on_actionCopy_triggered();
    void on_actionPaste_triggered();
    void on_actionDelete_triggered();
    void on_actionExit_triggered();
    void on_actionHelp_triggered();
    void on_actionAbout_triggered();
    void on_actionPreferences_triggered();
    void on_actionCheckForTemplates_triggered();
    void on_actionToggleBrowser_toggled(bool checked);
    void on_menuEdit_aboutToShow();

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildActions();
    void buildPanels();
    void connectGraphView();
    void setupStorageLocations();
    void loadTemplates();
    void openStartupProjects();
    bool isEditingProject() const;
    // Copy, Delete and Paste as the selection, the clipboard and the show mode allow.
    void updateEditActions();
    // Save actions, Copy, Delete and Paste, and the title, as the project stands.
    void updateActionsAndTitle();
    // Empties the project without a question.
    void emptyProject();
    // A settings edit is saved with the project (or its template): mark it without rendering.
    void markEdited(KelNGObject* object);
    QUndoStack* undoStackOf(KelNodes::Node* node);
    // What an editor holds is alive and is what the window shows as selected: every editor
    // holding `going` or anything inside it (the timeline's containers, the graph view's graph;
    // the panels' effects are guarded) lets go of it before it is freed. Every removal of a node,
    // an effect or a template's graph is announced here.
    void forgetGoing(KelNodes::Node* going);
    void stopTimelinePlayer();
    // The node dock and graph view, as far as they are part of the build.
    void dockDeleteCrucialWidgets();
    void dockNodeParameterChanged(KelNodes::Node* node);
    // Every editor the window shows (the Project tab's and the Nodes panel's Important
    // Parameters, the object editor with its node strip and Template tab, the Current Node page,
    // the timeline) edits what the window shows as selected, at the frame the timeline reads.
    // Every change of the selected effect, the view mode or the picked node passes here.
    void showSelectionInEditors(KelNGObject* selected);
    // Its part for the node the graph picks: the Current Node page and the timeline, which
    // holds the picked node's keys when the user picked it, else the effect's.
    void showPickedNodeInEditors(bool timelineOnNode);
    // The effect the window shows as selected: the Project tab's in the image view, the object
    // editor's (a project effect or a template's) in the node-graph view.
    KelNGObject* shownEffect() const;
    void setGraphViewLayoutFrozen(bool frozen);
    void resetNodeEditHooks();
    QString saveProposal() const;
    void warn(QString const& text);

    Ui::MainWindow* m_ui = nullptr;
    TwCore* m_core = nullptr;
    QUndoGroup* m_undoGroup = nullptr;
    LastingMessage* m_lastingMessage = nullptr;
    TwUndoHistories* m_histories = nullptr;
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    QPointer<QDockWidget> m_rightDock;
    QPointer<PseudoDockWidget> m_nodeGraphEditorDock;
    QPointer<TwObjectEditorDock> m_objectEditorDock;
    QPointer<PseudoDockWidget> m_debugDock;
    TwDebugWindow* m_debugWindow = nullptr;
    TwProjectBrowser* m_projectBrowser = nullptr;
    TwObjectEditor* m_objectEditor = nullptr;
    QPointer<QWidget> m_imageDockPage;
    Ui::ImageDock* m_imageDockUi = nullptr;
    QPointer<QWidget> m_filtersPage;
    QPointer<QWidget> m_effectsPage;
    Ui::ObjectBrowser* m_filtersUi = nullptr;
    Ui::ObjectBrowser* m_effectsUi = nullptr;
    QAction* m_currentViewAction = nullptr;
    QList<int> m_imageViewSizes;
    QList<int> m_nodeGraphViewSizes;
    QMenu* m_viewModeMenu = nullptr;
    QBuffer m_clipboard;
    QList<QAction*> m_recentFileActions;
    CSplashScreen* m_splash = nullptr;
    bool m_pendingDescription = false;
    // A render for previews a node view started to show is posted.
    bool m_previewRenderPosted = false;
    // The editors are to show the selection again after a removal took something from them.
    bool m_holdersRefreshPosted = false;
    // Starts the render a row setting asks for, once the settings made together are in.
    QTimer* m_settingRender = nullptr;
    // Set while the window takes itself apart: the editors let go of everything first.
    bool m_tearingDown = false;
    QImage m_previewImage;
};

#pragma once

#include "app/KelNGObject.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class KelCore;
class KelNodeDescription;
class KelNGNode;
class KelNGNodeGraphView;
class KelParam;
class KelParamCrucial;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;
class TreeWidgetByMimeType;
class QTreeWidget;
class QTreeWidgetItem;
class Ui_NodeDockTabWidget;

namespace KelNodes {
class Node;
struct NodeDescriptor;
}

// The panel beside the object editor's node-graph view: under a title bar of three mode
// buttons, the selected node's parameter panel ("Current Node"), the important parameters of
// the shown object ("Important Parameters"), or the node types to drag into the graph
// ("Available Nodes"). The mode is the page index: 0 current node, 1 important parameters,
// 2 available nodes.
//
// The dock alone deletes its important-parameter panels, always after setInDestruction(), while
// the nodes they edit still exist. Node items shown on the current-node page stay their view's:
// the dock hands them back when it goes.
class NodeDockTabWidget : public QWidget
{
    Q_OBJECT

public:
    explicit NodeDockTabWidget(QWidget* parent = nullptr);
    ~NodeDockTabWidget() override;

    // Set by the owner before init(): the core, and the view that turns the important-parameter
    // panels' edits into undo steps.
    void setCore(KelCore* core) { m_core = core; }
    KelCore* core() const { return m_core; }
    void setNodeGraphView(KelNGNodeGraphView* view);
    KelNGNodeGraphView* nodeGraphView() const;

    // Builds the mode buttons and the node-type tree (once) and shows the important parameters.
    void init();
    void adjustUI(KelNGObject* object);
    // A node picked by the user: shown on the Current Node page, which comes to the front.
    void selectedNodeChanged(KelNGNode* node);
    // The Current Node page shows the node (its panel, or for a node with a sub-graph that
    // object's important parameters) and nothing of another; null: no node. The page shown
    // stays.
    void showOnCurrentNodePage(KelNGNode* node);
    void nodeParameterChanged(KelNodes::Node* node);
    void nodeAboutToBeDeleted(KelNodes::Node* node);
    void deleteCrucialWidgets();
    // The nodes of the shown objects changed (added, removed, renamed): the important-parameter
    // panels are built again, also one dropped for a node that went.
    void listNodesAnew();
    int currentMode();
    // Replace the respective panel; null removes it.
    void crucialObjectSettingsFor(KelNGObject* object);
    void crucialNodeGraphSettingsFor(KelNGObject* object);

    // Fills a tree with the node types of a registry list, by category (see the node dock).
    static void fillNodeTypeTree(QTreeWidget* tree, QList<KelNodes::NodeDescriptor const*> const& registry);
    // "" stays "".
    static QString firstCharToUpper(QString text);

    KelNGObject* object() const { return m_object; }
    KelParamCrucial* objectCrucialWidget() const { return m_objectCrucialWidget; }
    KelParamCrucial* nodeGraphCrucialWidget() const { return m_nodeGraphCrucialWidget; }
    QToolButton* importantParametersButton() const { return m_importantParametersButton; }
    QToolButton* currentNodeButton() const { return m_currentNodeButton; }
    QToolButton* availableNodesButton() const { return m_availableNodesButton; }
    QStackedWidget* pages() const;
    QStackedWidget* currentNodeStack() const;
    QWidget* importantParametersContents() const;
    TreeWidgetByMimeType* availableNodesTree() const;
    KelNodeDescription* nodeDescription() const;

protected slots:
    void showImportantNodesButton_clicked();
    void showAvailableNodesButton_clicked();
    void showCurrentNodeButton_clicked();
    void on_availableNodesTreeWidget_currentItemChanged(QTreeWidgetItem* item, QTreeWidgetItem* previous);

private:

    void connectToView(KelParamCrucial* panel);
    // The layout of the important-parameters page, made on first use.
    QVBoxLayout* importantParametersLayout();

    Ui_NodeDockTabWidget* ui;
    KelCore* m_core = nullptr;
    QPointer<KelNGNodeGraphView> m_view;
    // Guarded: the effect may be deleted behind the dock's back.
    QPointer<KelNGObject> m_object;
    QToolButton* m_importantParametersButton = nullptr;
    QToolButton* m_availableNodesButton = nullptr;
    QToolButton* m_currentNodeButton = nullptr;
    KelParamCrucial* m_objectCrucialWidget = nullptr;
    KelParamCrucial* m_nodeGraphCrucialWidget = nullptr;
    // What the Current Node page shows while no node is picked.
    QWidget* m_noNodePage = nullptr;
};

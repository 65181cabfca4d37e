// What opening and pasting many stacked objects, or one effect of many nodes, costs, counted in
// the work that grew with the square of their number: re-chains of the root graph, nodes walked
// by the cycle checks, nodes looked at to find a free uid for each loaded node, terminals walked
// to draw each wire, nodes looked at by the layout, and searches of the posted events.

#include "MainWindowFixture.h"
#include "SanitizedSweep.h"

#include "app/HostileFiles.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "app/TwUtilities.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "ui_MainWindow.h"
#include "mainwindow/TwProjectBrowser.h"
#include "mainwindow/VyxApplication.h"
#include "nodes/NodeDependencies.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelNGNodeLayout.h"

#include <QBuffer>
#include <QComboBox>
#include <QGraphicsPixmapItem>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QFile>
#include <QMessageBox>
#include <QUndoStack>

#include <memory>

namespace MainWindowTest {
namespace {

class ProjectOpenCost : public MainWindowFixture
{
protected:
    // A project of `objects` stacked objects written into the test folder; empty when it could
    // not be written.
    QString writeStacked(int objects, int nodesPerObject, bool closeCycle = false)
    {
        const QString path = dir.filePath(QStringLiteral("stacked-%1-%2-%3.vyxsg").arg(objects).arg(nodesPerObject).arg(closeCycle));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)
            || file.write(HostileFiles::stackedProject(objects, nodesPerObject, closeCycle)) < 0)
            return {};
        return path;
    }
};

struct Cost
{
    quint64 visits = 0;
    int rechains = 0;
    quint64 lookups = 0;
};

TEST_F(ProjectOpenCost, ManyStackedObjectsOpenAndPasteAtACostThatGrowsWithTheirNumber)
{
    // Under the sanitizers half as many: still 16 times as many the second time.
    const int counts[] = {SanitizedSweep::pick(25, 12), SanitizedSweep::pick(400, 192)};
    Cost opened[2];
    Cost pasted[2];
    for (int i = 0; i < 2; ++i) {
        const int n = counts[i];
        const QString path = writeStacked(n, 12);
        ASSERT_FALSE(path.isEmpty());
        discardProject();

        quint64 visits = KelNodes::NodeDependencies::visitCount();
        int rechains = core()->rechainCount();
        quint64 lookups = KelNodes::NodeGraph::uidLookupCount();
        QString openPath = path;
        window->openNodeGraph(core()->rootGraph(), openPath);
        opened[i] = {KelNodes::NodeDependencies::visitCount() - visits, core()->rechainCount() - rechains,
                     KelNodes::NodeGraph::uidLookupCount() - lookups};
        settle();

        // The open's result: every object in stored order, chained, the last one selected,
        // nothing modified and nothing to undo.
        QStringList const names = objectNames();
        ASSERT_EQ(names.size(), n);
        EXPECT_EQ(names.first(), "Object 1");
        EXPECT_EQ(names.last(), QStringLiteral("Object %1").arg(n));
        QList<KelNGObject*> const objects = core()->objectList();
        KelVyxNodes::VyxNodeGraph* root = core()->rootGraph();
        EXPECT_TRUE(root->sourceNode()->isConnectedTo(objects.first()->graph()));
        EXPECT_TRUE(objects.at(n / 2)->graph()->isConnectedTo(objects.at(n / 2 + 1)->graph()));
        EXPECT_TRUE(objects.last()->graph()->isConnectedTo(root->destinationNode()));
        EXPECT_EQ(objects.first()->graph()->numNodes(), 12);
        EXPECT_EQ(core()->selectedObject(), objects.last());
        EXPECT_FALSE(core()->isModified());
        EXPECT_EQ(core()->undoStack()->count(), 0);
        EXPECT_TRUE(core()->hasProjectFile());

        // All of them copied and pasted once more.
        std::unique_ptr<QBuffer> clipboard(TwUtilities::storeObjectsToXML(core(), objects, nullptr));
        ASSERT_TRUE(clipboard);
        visits = KelNodes::NodeDependencies::visitCount();
        rechains = core()->rechainCount();
        lookups = KelNodes::NodeGraph::uidLookupCount();
        TwUtilities::loadObjectFromBuffer(core(), root, clipboard.get(), false);
        pasted[i] = {KelNodes::NodeDependencies::visitCount() - visits, core()->rechainCount() - rechains,
                     KelNodes::NodeGraph::uidLookupCount() - lookups};
        settle();
        EXPECT_EQ(core()->objectList().size(), 2 * n);
        EXPECT_TRUE(core()->objectList().last()->graph()->isConnectedTo(root->destinationNode()));
    }
    for (int i = 0; i < 2; ++i) {
        // The clear before the open and the open's own sorting re-chain, not every object.
        EXPECT_LE(opened[i].rechains, 3) << counts[i];
        EXPECT_LE(pasted[i].rechains, 2) << counts[i];
    }
    // 16 times the objects may cost at most 20 times the walking.
    EXPECT_LE(opened[1].visits, 20 * opened[0].visits) << opened[0].visits << " " << opened[1].visits;
    EXPECT_LE(pasted[1].visits, 20 * pasted[0].visits) << pasted[0].visits << " " << pasted[1].visits;
    EXPECT_LE(opened[1].lookups, 20 * opened[0].lookups + 1000) << opened[0].lookups << " " << opened[1].lookups;
    EXPECT_LE(pasted[1].lookups, 20 * pasted[0].lookups + 1000) << pasted[0].lookups << " " << pasted[1].lookups;
}

// One stored link that feeds the first object from the last closes a cycle: that link alone is
// refused (and reported: the project is not saved over its file), and the others are still
// weighed in one pass instead of a walk each.
TEST_F(ProjectOpenCost, ALinkThatClosesACycleIsRefusedAloneAndTheOpenStillCostsInProportion)
{
    // Under the sanitizers half as many: still 16 times as many the second time.
    const int counts[] = {SanitizedSweep::pick(25, 12), SanitizedSweep::pick(400, 192)};
    quint64 visits[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const int n = counts[i];
        const QString path = writeStacked(n, 12, true);
        ASSERT_FALSE(path.isEmpty());
        discardProject();

        QString warning;
        answerMessageBox(QMessageBox::Ok, &warning);
        const quint64 before = KelNodes::NodeDependencies::visitCount();
        QString openPath = path;
        window->openNodeGraph(core()->rootGraph(), openPath);
        visits[i] = KelNodes::NodeDependencies::visitCount() - before;
        settle();
        EXPECT_TRUE(warning.contains(QStringLiteral("could not be read"))) << warning.toStdString();

        QStringList const names = objectNames();
        ASSERT_EQ(names.size(), n);
        EXPECT_EQ(names.first(), "Object 1");
        EXPECT_EQ(names.last(), QStringLiteral("Object %1").arg(n));
        QList<KelNGObject*> const objects = core()->objectList();
        KelVyxNodes::VyxNodeGraph* root = core()->rootGraph();
        EXPECT_TRUE(root->sourceNode()->isConnectedTo(objects.first()->graph()));
        EXPECT_FALSE(objects.last()->graph()->isConnectedTo(objects.first()->graph()));
        EXPECT_TRUE(objects.at(n / 2)->graph()->isConnectedTo(objects.at(n / 2 + 1)->graph()));
        EXPECT_TRUE(objects.last()->graph()->isConnectedTo(root->destinationNode()));
        EXPECT_FALSE(core()->hasProjectFile());
        EXPECT_FALSE(core()->isModified());
    }
    // 16 times the objects may cost at most 20 times the walking.
    EXPECT_LE(visits[1], 20 * visits[0]) << visits[0] << " " << visits[1];
}

// A shared project may hold one effect whose nodes form a chain thousands long; both view modes
// draw the selected effect (the image view in its object editor). Drawing its wires and laying
// it out look at each node a bounded number of times. Each node's panel is a set of new widgets:
// Qt would look for an earlier layout request of each through every event posted since the loop
// last ran, which grows with the nodes, so the number of such searches must not.
TEST_F(ProjectOpenCost, AnEffectOfAChainOfNodesOpensAtACostInProportionToIt)
{
    window->show();
    const int lengths[] = {30, 480};
    Ui::MainWindow* ui = window->form();
    for (QAction* mode : {ui->actionImageView, ui->actionNodeGraphView}) {
        SCOPED_TRACE(mode->text().toStdString());
        mode->trigger();
        quint64 walked[2] = {0, 0};
        quint64 weighed[2] = {0, 0};
        quint64 searched[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            const int n = lengths[i];
            const QString path = writeStacked(1, n + 2);
            ASSERT_FALSE(path.isEmpty());
            discardProject();
            settle();

            const quint64 walkedBefore = KelNGNodeGraphView::terminalsWalkedCount();
            const quint64 weighedBefore = KelNGNodeLayout::nodesWeighedCount();
            const quint64 searchedBefore = VyxApplication::searchedLayoutRequestCount();
            QString openPath = path;
            window->openNodeGraph(core()->rootGraph(), openPath);
            QCoreApplication::sendPostedEvents();
            walked[i] = KelNGNodeGraphView::terminalsWalkedCount() - walkedBefore;
            weighed[i] = KelNGNodeLayout::nodesWeighedCount() - weighedBefore;
            searched[i] = VyxApplication::searchedLayoutRequestCount() - searchedBefore;
            settle();

            // The effect is shown whole: an item per node, a wire per link, laid out in a row.
            ASSERT_EQ(core()->objectList().size(), 1);
            KelNodes::NodeGraph* graph = core()->objectList().first()->graph();
            ASSERT_EQ(graph->numNodes(), n + 2);
            KelNGNodeGraphView* view = window->objectEditorGraphView();
            ASSERT_TRUE(view);
            EXPECT_EQ(view->graph(), graph);
            EXPECT_EQ(view->connections().size(), n + 2);
            int shown = 0;
            for (QGraphicsItem* item : view->graphScene()->items())
                shown += KelNGNode::fromSceneItem(item) != nullptr;
            EXPECT_EQ(shown, n + 2);
            QList<KelNodes::Node*> const nodes = graph->nodes();
            EXPECT_LT(KelNGNode::itemOf(nodes.at(1))->pixmapItem()->x(),
                      KelNGNode::itemOf(nodes.at(n))->pixmapItem()->x());
        }
        // 16 times the nodes may cost at most 20 times the looking, and no more searches.
        EXPECT_LE(walked[1], 20 * walked[0]) << walked[0] << " " << walked[1];
        EXPECT_LE(weighed[1], 20 * weighed[0]) << weighed[0] << " " << weighed[1];
        EXPECT_LE(searched[1], searched[0] + 10) << searched[0] << " " << searched[1];
    }
}

// A row inserted into a shown panel tree lays out the boxes of every row, and selecting an
// object lays out its panel: per object, either makes a large open cost the square of its size.
TEST_F(ProjectOpenCost, AnOpenSelectsOnceAndAddsNoRowToAShownPanel)
{
    window->show();
    const QString path = writeStacked(30, 3);
    ASSERT_FALSE(path.isEmpty());
    Ui::MainWindow* ui = window->form();
    QAction* const modes[] = {ui->actionImageView, ui->actionNodeGraphView};
    for (QAction* mode : modes) {
        SCOPED_TRACE(mode->text().toStdString());
        mode->trigger();
        discardProject();
        settle();
        QList<QTreeWidget*> shown;
        QList<QMetaObject::Connection> watches;
        int shownInsertions = 0;
        for (QWidget* panel : {static_cast<QWidget*>(window->projectBrowser()),
                               static_cast<QWidget*>(window->objectEditor())}) {
            auto* tree = panel->findChild<QTreeWidget*>(QStringLiteral("treeWidget"));
            ASSERT_TRUE(tree);
            if (tree->isVisible())
                shown.append(tree);
            watches << QObject::connect(tree->model(), &QAbstractItemModel::rowsInserted, tree,
                                        [tree, &shownInsertions] { shownInsertions += tree->isVisible(); });
        }
        ASSERT_FALSE(shown.isEmpty());
        QSignalSpy selections(core(), &TwCore::selectedObjectChanged);

        QString openPath = path;
        window->openNodeGraph(core()->rootGraph(), openPath);
        settle();

        EXPECT_EQ(shownInsertions, 0);
        // The clear's and the open's own, not one per object.
        EXPECT_LE(selections.count(), 3);
        EXPECT_EQ(core()->selectedObject(), core()->objectList().last());
        for (QTreeWidget* tree : shown) {
            EXPECT_TRUE(tree->isVisible());
            EXPECT_EQ(tree->topLevelItemCount(), 30);
        }
        for (QMetaObject::Connection const& watch : watches)
            QObject::disconnect(watch);
    }
}

// The panel of the other view mode makes its rows' boxes when it is shown, showing the
// objects' settings.
TEST_F(ProjectOpenCost, AHiddenPanelGetsItsBoxesWhenShown)
{
    window->show();
    const QString path = writeStacked(20, 3);
    ASSERT_FALSE(path.isEmpty());
    Ui::MainWindow* ui = window->form();
    struct Case
    {
        QAction* openIn;
        QAction* thenShow;
        QWidget* hiddenPanel;
    };
    const Case cases[] = {
        {ui->actionImageView, ui->actionNodeGraphView, window->objectEditor()},
        {ui->actionNodeGraphView, ui->actionImageView, window->projectBrowser()},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.openIn->text().toStdString());
        c.openIn->trigger();
        discardProject();
        settle();
        QString openPath = path;
        window->openNodeGraph(core()->rootGraph(), openPath);
        settle();
        auto* tree = c.hiddenPanel->findChild<QTreeWidget*>(QStringLiteral("treeWidget"));
        ASSERT_TRUE(tree);
        ASSERT_FALSE(tree->isVisible());
        ASSERT_EQ(tree->topLevelItemCount(), 20);
        EXPECT_EQ(tree->itemWidget(tree->topLevelItem(0), 3), nullptr) << "made before it was needed";

        c.thenShow->trigger();
        settle();
        ASSERT_TRUE(tree->isVisible());
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            auto* opacity = qobject_cast<QComboBox*>(tree->itemWidget(tree->topLevelItem(i), 3));
            auto* blend = qobject_cast<QComboBox*>(tree->itemWidget(tree->topLevelItem(i), 4));
            ASSERT_TRUE(opacity && blend) << i;
            EXPECT_EQ(opacity->currentText(), QStringLiteral("100%")) << i;
            EXPECT_EQ(blend->currentText(), QStringLiteral("Normal")) << i;
        }
    }
}

} // namespace
} // namespace MainWindowTest

// What the two project panels and the status bar show after the core's changes: node counts
// after node edits and their undo and redo, also of an effect inside an effect, and the core's
// status message.

#include "MainWindowFixture.h"

#include "app/KelCmdAddNode.h"
#include "app/KelCmdDeleteNode.h"
#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"

#include "ui_MainWindow.h"

#include <QAction>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QUndoStack>

#include <functional>
#include <string>

namespace MainWindowTest {
namespace {

using PanelRefresh = MainWindowFixture;

TEST_F(PanelRefresh, BothPanelsCountTheNodesAfterEveryNodeEditUndoAndRedo)
{
    window->addNewEmptyFilter();
    settle();
    KelNGObject* object = core()->selectedObject();
    ASSERT_NE(object, nullptr);
    ASSERT_NE(object->projectBrowserItem, nullptr);
    ASSERT_NE(object->objectEditorItem, nullptr);
    auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(object->graph());
    ASSERT_NE(graph, nullptr);
    QUndoStack* stack = core()->undoStack();
    int uid = -1;

    const struct
    {
        const char* step;
        std::function<void()> run;
        const char* count;
    } steps[] = {
        {"new filter", [] {}, "2"},
        {"insert",
         [&] {
             KelNodes::Node* node = graph->addNode(QStringLiteral("operator.sharpen"), -1);
             uid = node->uid();
             stack->push(new KelCmdAddNode(core(), core()->rootGraph(), node));
         },
         "3"},
        {"undo insert", [&] { stack->undo(); }, "2"},
        {"redo insert", [&] { stack->redo(); }, "3"},
        {"delete",
         [&] {
             stack->push(new KelCmdDeleteNode(core(), core()->rootGraph(),
                                              core()->rootGraph()->findNode(uid, true)));
         },
         "2"},
        {"undo delete", [&] { stack->undo(); }, "3"},
        {"redo delete", [&] { stack->redo(); }, "2"},
    };
    for (auto const& step : steps) {
        SCOPED_TRACE(step.step);
        step.run();
        settle();
        int total = 0;
        int unused = 0;
        object->getTotalNodesCount(total, unused);
        EXPECT_EQ(QString::number(total), QString::fromLatin1(step.count));
        EXPECT_EQ(object->projectBrowserItem->text(2), QString::fromLatin1(step.count));
        EXPECT_EQ(object->objectEditorItem->text(2), QString::fromLatin1(step.count));
    }
}

// "Nest" holds "Inner" (an effect holding an inversion): both panels count Nest's three nodes and
// Inner's three. The inversion deleted and back; then Inner deleted as the node-graph view deletes
// it leaves Nest's own two; its undo and redo count again, in both view modes.
TEST_F(PanelRefresh, BothPanelsCountTheNodesAfterAnInnerEffectsDeleteUndoAndRedo)
{
    for (QAction* mode : {window->form()->actionImageView, window->form()->actionNodeGraphView}) {
        SCOPED_TRACE(mode->text().toStdString());
        mode->trigger();
        settle();
        core()->cancelRender();
        KelVyxNodes::VyxNodeGraph* nest = core()->rootGraph()->addSubGraph(-1);
        nest->setName(QStringLiteral("Nest"));
        KelVyxNodes::VyxNodeGraph* inner = nest->addSubGraph(-1);
        inner->setName(QStringLiteral("Inner"));
        KelNodes::Node* inversion = inner->addNode(QStringLiteral("operator.inversion"), -1);
        ASSERT_NE(inversion, nullptr);
        KelNGObject* object = core()->addObjectFromNodeGraph(nest);
        settle();
        ASSERT_NE(object, nullptr);
        ASSERT_NE(KelNGObject::objectOf(inner), nullptr) << "the inner effect is an object of its own";
        auto expectCount = [&](const char* count) {
            int total = 0;
            int unused = 0;
            object->getTotalNodesCount(total, unused);
            EXPECT_EQ(std::to_string(total), count);
            EXPECT_EQ(object->projectBrowserItem->text(2).toStdString(), count);
            EXPECT_EQ(object->objectEditorItem->text(2).toStdString(), count);
        };
        {
            SCOPED_TRACE("made");
            expectCount("6");
        }
        QUndoStack* stack = core()->undoStack();
        // A node inside the inner effect.
        window->deleteNodeFromGraphView(nullptr, inversion);
        settle();
        ASSERT_EQ(inner->numNodes(), 2);
        {
            SCOPED_TRACE("inner node deleted");
            expectCount("5");
        }
        stack->undo();
        settle();
        ASSERT_EQ(inner->numNodes(), 3);
        {
            SCOPED_TRACE("inner node back");
            expectCount("6");
        }

        window->deleteNodeFromGraphView(nullptr, inner);
        settle();
        ASSERT_EQ(nest->numNodes(), 2);
        {
            SCOPED_TRACE("deleted");
            expectCount("2");
        }
        stack->undo();
        settle();
        ASSERT_EQ(nest->numNodes(), 3);
        {
            SCOPED_TRACE("undone");
            expectCount("6");
        }
        stack->redo();
        settle();
        {
            SCOPED_TRACE("redone");
            expectCount("2");
        }
        discardProject();
    }
}

TEST_F(PanelRefresh, TheCoresStatusMessageStaysWithoutATimeOut)
{
    core()->showTemporaryMessage(QStringLiteral("Template saved"));
    QStatusBar* bar = window->statusBar();
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("Template saved"));
    // A message with a time-out keeps a running timer of the bar's own.
    for (QTimer* timer : bar->findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly))
        EXPECT_FALSE(timer->isActive());
}

} // namespace
} // namespace MainWindowTest

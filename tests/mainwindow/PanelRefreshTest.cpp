// What the two project panels and the status bar show after the core's changes: node counts
// after node edits and their undo and redo, and the core's status message.

#include "MainWindowFixture.h"

#include "app/KelCmdAddNode.h"
#include "app/KelCmdDeleteNode.h"
#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"

#include <QStatusBar>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QUndoStack>

#include <functional>

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

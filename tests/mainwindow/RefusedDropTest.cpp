// A node dragged in the node-graph view onto an effect it cannot go into (it would read its own
// picture there): nothing changes, Edit > Undo offers no step for it, the picture still renders,
// and the status bar says why.

#include "GraphLinks.h"
#include "WindowUser.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"

#include <QAction>
#include <QMap>
#include <QStatusBar>
#include <QTest>
#include <QUndoGroup>
#include <QUndoStack>

namespace MainWindowTest {
namespace {

using KelNodes::Node;
using KelVyxNodes::VyxNodeGraph;

class RefusedDrop : public WindowUser
{
protected:
    void SetUp() override
    {
        WindowUser::SetUp();
        nest = addNestEffect(QStringLiteral("Nest"));
        ASSERT_NE(nest, nullptr);
        graph = dynamic_cast<VyxNodeGraph*>(nest->graph());
        ASSERT_NE(graph, nullptr);
        pressGraphView();
        clickRow(nest);
        ASSERT_EQ(window->objectEditorGraphView()->graph(), nest->graph());
        for (Node* node : graph->nodes())
            named.insert(node->name(), node);
        ASSERT_TRUE(named.value(QStringLiteral("Inner")) && named.value(QStringLiteral("Reader"))
                    && named.value(QStringLiteral("Later")));
    }

    QUndoStack* history() const { return window->undoGroup()->activeStack(); }

    // Drags `node` onto `effect`, where it cannot go: afterwards every link, the history and the
    // picture are as before, and the status bar names both.
    void dropRefused(Node* node, Node* effect)
    {
        finishRenders();
        ASSERT_TRUE(core()->renderer()->completedSucceeded()) << core()->renderer()->failureReason().toStdString();
        const QImage picture = core()->resultImage()->convertToFormat(QImage::Format_ARGB32);
        const std::string links = GraphLinks::text(core()->rootGraph());
        QUndoStack* stack = history();
        const int steps = stack->count();
        const int index = stack->index();
        const QString undoText = stack->undoText();
        window->statusBar()->clearMessage();

        ASSERT_TRUE(dragNodeOnto(node, effect));
        EXPECT_EQ(node->parentGraph(), static_cast<KelNodes::NodeGraph*>(graph));
        EXPECT_EQ(history(), stack);
        EXPECT_EQ(stack->count(), steps) << "Edit > Undo offers " << stack->undoText().toStdString();
        EXPECT_EQ(stack->index(), index);
        EXPECT_EQ(stack->undoText().toStdString(), undoText.toStdString());
        EXPECT_EQ(GraphLinks::text(core()->rootGraph()), links);
        finishRenders();
        EXPECT_TRUE(core()->renderer()->completedSucceeded()) << core()->renderer()->failureReason().toStdString();
        EXPECT_EQ(core()->resultImage()->convertToFormat(QImage::Format_ARGB32), picture);
        const QString told = window->statusBar()->currentMessage();
        EXPECT_TRUE(told.contains(QLatin1Char('"') + node->displayName() + QLatin1Char('"'))
                    && told.contains(QLatin1Char('"') + effect->displayName() + QLatin1Char('"')))
            << "the status bar says: " << told.toStdString();
    }

    KelNGObject* nest = nullptr;
    VyxNodeGraph* graph = nullptr;
    QMap<QString, Node*> named;
};

TEST_F(RefusedDrop, AReaderOfAnEffectDroppedOntoItAfterAWireAndADeleteChangesNothingAndUndoTakesBackTheDelete)
{
    Node* reader = named.value(QStringLiteral("Reader"));
    Node* inner = named.value(QStringLiteral("Inner"));
    Node* max = nodeOfType(nest, QStringLiteral("operator.Maths.max"));
    ASSERT_NE(max, nullptr);
    // The effect's picture straight from its source, with a wire drawn by hand.
    dragWire(atTerminal(graph->sourceNode(), QStringLiteral("rgb")),
             atTerminal(graph->destinationNode(), QStringLiteral("rgb")));
    settle();
    ASSERT_TRUE(graph->sourceNode()->getTerminal(QStringLiteral("rgb"))->isConnectedTo(
        graph->destinationNode()->getTerminal(QStringLiteral("rgb"))));
    const std::string withMax = GraphLinks::text(core()->rootGraph());
    // Max deleted with the Delete key: Later is the effect's last node.
    clickNode(max);
    QTest::keyClick(window->objectEditorGraphView(), Qt::Key_Delete);
    settle();
    ASSERT_EQ(nodeOfType(nest, QStringLiteral("operator.Maths.max")), nullptr);
    ASSERT_EQ(graph->nodes().last(), named.value(QStringLiteral("Later")));

    ASSERT_NO_FATAL_FAILURE(dropRefused(reader, inner));

    // Edit > Undo takes back the delete, the step before the drag: every link comes back.
    ASSERT_TRUE(window->undoAction()->isEnabled());
    window->undoAction()->trigger();
    settle();
    EXPECT_NE(nodeOfType(nest, QStringLiteral("operator.Maths.max")), nullptr);
    EXPECT_EQ(GraphLinks::text(core()->rootGraph()), withMax);
    finishRenders();
    EXPECT_TRUE(core()->renderer()->completedSucceeded()) << core()->renderer()->failureReason().toStdString();
}

TEST_F(RefusedDrop, ANodeDroppedOntoAnEffectItReadsOrFeedsMakesNoStep)
{
    Node* later = named.value(QStringLiteral("Later"));
    Node* inner = named.value(QStringLiteral("Inner"));
    // The Inversion that feeds Later, and Reader, which reads Inner.
    Node* feeder = later->getTerminal(QStringLiteral("rgbIn"))->connectedToHost(0);
    ASSERT_NE(feeder, nullptr);
    ASSERT_EQ(feeder->displayName(), QStringLiteral("Inversion"));
    {
        SCOPED_TRACE("the Inversion feeding Later, onto Later");
        ASSERT_NO_FATAL_FAILURE(dropRefused(feeder, later));
    }
    {
        SCOPED_TRACE("Reader onto Inner");
        ASSERT_NO_FATAL_FAILURE(dropRefused(named.value(QStringLiteral("Reader")), inner));
    }
}

} // namespace
} // namespace MainWindowTest

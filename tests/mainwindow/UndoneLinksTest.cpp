// Edit > Undo gives back every link a step took, with the kinds its terminals had: a wire taken
// off a node that narrows its free input to what its output feeds (a Trigonometric whose output
// still feeds Max), a wire that replaced the one into it, and the deletion of the node feeding it;
// Redo takes them away again. A wire that replaced the one into that node comes back from Save
// and Open. A wire picked up where it ends on an effect's member, which the effect shows as its
// own, comes back to that member and leaves the effect's own input alone.

#include "GraphLinks.h"
#include "MessageBoxes.h"
#include "WindowUser.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "ui_MainWindow.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"
#include "nodeui/KelNGNodeGraphView.h"

#include <QAction>
#include <QStatusBar>
#include <QTest>
#include <QUndoGroup>
#include <QUndoStack>

namespace MainWindowTest {
namespace {

using KelNodes::Node;
using KelNodes::Terminal;
using KelVyxNodes::VyxNodeGraph;

// Where a wire picked up is dropped: away from every node.
const QPoint Away(-400, -400);

std::string firstDifference(QImage const& a, QImage const& b)
{
    if (a.size() != b.size())
        return "sizes differ";
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("at %1,%2: %3 against %4")
                    .arg(x).arg(y).arg(a.pixel(x, y), 8, 16).arg(b.pixel(x, y), 8, 16).toStdString();
        }
    }
    return "the same pixels";
}

// The links and kinds of the whole project, and its picture (none when it did not render).
struct Shot
{
    std::string links;
    std::string kinds;
    QImage picture;
    bool rendered = true;
};

class UndoneLinks : public WindowUser
{
protected:
    void SetUp() override
    {
        WindowUser::SetUp();
        pressGraphView();
    }

    // The effect of a Grayscale feeding a Trigonometric feeding Max, its eye open.
    void showNarrowing()
    {
        object = addNarrowingEffect(QStringLiteral("Narrow"));
        ASSERT_NE(object, nullptr);
        graph = dynamic_cast<VyxNodeGraph*>(object->graph());
        ASSERT_NE(graph, nullptr);
        core()->cancelRender();
        graph->paramContainer()->setIntParam(QStringLiteral("disable"), 0, 0);
        object->getRootObject()->setGraphChanged(true);
        core()->start();
        clickRow(object);
        ASSERT_EQ(window->objectEditorGraphView()->graph(), static_cast<KelNodes::NodeGraph*>(graph));
        grey = nodeOfType(object, QStringLiteral("operator.grayscale"));
        curve = nodeOfType(object, QStringLiteral("operator.Maths.trigonometric"));
        ASSERT_TRUE(grey && curve);
        ASSERT_TRUE(linked(grey, "out", curve, "in"));
    }

    static bool linked(Node* from, char const* output, Node* to, char const* input)
    {
        return from->getTerminal(QLatin1String(output))->isConnectedTo(to->getTerminal(QLatin1String(input)));
    }

    // `mustRender` false where the step takes away what the picture needs.
    Shot shot(bool mustRender = true)
    {
        finishRenders();
        const bool rendered = core()->renderer()->completedSucceeded();
        if (mustRender)
            EXPECT_TRUE(rendered) << core()->renderer()->failureReason().toStdString();
        return {GraphLinks::text(core()->rootGraph()), GraphLinks::kindsText(core()->rootGraph()),
                rendered ? core()->resultImage()->convertToFormat(QImage::Format_ARGB32) : QImage(), rendered};
    }

    void expectAs(Shot const& expected, char const* when)
    {
        SCOPED_TRACE(when);
        const Shot now = shot(expected.rendered);
        EXPECT_EQ(now.rendered, expected.rendered);
        EXPECT_EQ(now.links, expected.links);
        EXPECT_EQ(now.kinds, expected.kinds);
        EXPECT_TRUE(now.picture == expected.picture) << "the picture differs: " << firstDifference(now.picture, expected.picture);
    }

    QUndoStack* history() const { return window->undoGroup()->activeStack(); }

    void undo() { undoInWindow(); }
    void redo() { redoInWindow(); }

    // The step's undo and redo, twice, each giving back the project from before or after it.
    void undoAndRedo(Shot const& before, Shot const& after)
    {
        for (int round = 0; round < 2; ++round) {
            undo();
            expectAs(before, "undone");
            redo();
            expectAs(after, "redone");
        }
    }

    KelNGObject* object = nullptr;
    VyxNodeGraph* graph = nullptr;
    Node* grey = nullptr;
    Node* curve = nullptr;
};

TEST_F(UndoneLinks, AWireTakenOffANarrowingNodesInputComesBack)
{
    ASSERT_NO_FATAL_FAILURE(showNarrowing());
    const Shot before = shot();
    dragWire(atTerminal(curve, QStringLiteral("in")), Away);
    settle();
    ASSERT_FALSE(linked(grey, "out", curve, "in"));
    const Shot after = shot();
    undoAndRedo(before, after);
}

TEST_F(UndoneLinks, AWireThatReplacedTheOneIntoANarrowingNodeGivesItBack)
{
    ASSERT_NO_FATAL_FAILURE(showNarrowing());
    const Shot before = shot();
    Node* source = graph->sourceNode();
    dragWire(atTerminal(source, QStringLiteral("alpha")), atTerminal(curve, QStringLiteral("in")));
    settle();
    ASSERT_TRUE(linked(source, "alpha", curve, "in"));
    ASSERT_FALSE(linked(grey, "out", curve, "in"));
    const Shot after = shot();
    undoAndRedo(before, after);
}

TEST_F(UndoneLinks, AWireFromAnEmptyEffectThatReplacedTheOneIntoANarrowingNodeComesBackFromSaveAndOpen)
{
    ASSERT_NO_FATAL_FAILURE(showNarrowing());
    Node* box = nullptr;
    for (Node* node : graph->nodes()) {
        if (node->name() == QLatin1String("Box"))
            box = node;
    }
    ASSERT_NE(box, nullptr);
    dragWire(atTerminal(box, QStringLiteral("alphaOut")), atTerminal(curve, QStringLiteral("in")));
    settle();
    ASSERT_TRUE(linked(box, "alphaOut", curve, "in"));
    const Shot before = shot();
    const QString path = dir.filePath(QStringLiteral("replaced.vyxsg"));
    ASSERT_NO_FATAL_FAILURE(saveProjectAs(path));
    discardingEveryEdit([this] { EXPECT_TRUE(window->on_actionNew_triggered()); });
    ASSERT_TRUE(core()->objectList().isEmpty());
    window->statusBar()->clearMessage();
    {
        // A link Open could not make again would be named in a box.
        MessageBoxes boxes({}, QMessageBox::Ok, true);
        answerFileDialog(path);
        window->form()->actionOpen->trigger();
        settle();
        EXPECT_EQ(boxes.texts.join(QLatin1Char('\n')).toStdString(), "");
    }
    EXPECT_EQ(window->statusBar()->currentMessage().toStdString(), "");
    expectAs(before, "saved, New, opened");
}

TEST_F(UndoneLinks, TheDeletedNodeFeedingANarrowingNodeComesBackLinked)
{
    ASSERT_NO_FATAL_FAILURE(showNarrowing());
    const Shot before = shot();
    clickNode(grey);
    QTest::keyClick(window->objectEditorGraphView(), Qt::Key_Delete);
    settle();
    ASSERT_EQ(nodeOfType(object, QStringLiteral("operator.grayscale")), nullptr);
    const Shot after = shot();
    window->statusBar()->clearMessage();
    undoAndRedo(before, after);
    EXPECT_EQ(window->statusBar()->currentMessage().toStdString(), "");
}

// The nodes before and after the narrowing node carried into an effect beside it: each carry
// makes its links again, and the narrowing node's input takes a kind its link from Grayscale does
// not give. The effect deleted and undone brings back both links across its edge and the kinds.
TEST_F(UndoneLinks, TheDeletedEffectHoldingTheNodesAroundANarrowingNodeComesBackLinked)
{
    ASSERT_NO_FATAL_FAILURE(showNarrowing());
    Node* box = nullptr;
    Node* max = nodeOfType(object, QStringLiteral("operator.Maths.max"));
    for (Node* node : graph->nodes()) {
        if (node->name() == QLatin1String("Box"))
            box = node;
    }
    ASSERT_TRUE(box && max);
    ASSERT_TRUE(dragNodeOnto(grey, box));
    ASSERT_TRUE(dragNodeOnto(max, box));
    ASSERT_EQ(grey->parentGraph(), box->toNodeGraph());
    ASSERT_EQ(max->parentGraph(), box->toNodeGraph());
    ASSERT_TRUE(linked(grey, "out", curve, "in"));
    ASSERT_TRUE(linked(curve, "out", max, "rgbIn1"));
    const Shot before = shot();
    clickNode(box);
    QTest::keyClick(window->objectEditorGraphView(), Qt::Key_Delete);
    settle();
    ASSERT_EQ(nodeOfType(object, QStringLiteral("operator.grayscale")), nullptr);
    // Max, the effect's picture, went with the effect.
    const Shot after = shot(false);
    window->statusBar()->clearMessage();
    {
        MessageBoxes boxes({}, QMessageBox::Ok, true);
        undoAndRedo(before, after);
        window->statusBar()->clearMessage();
        undo();
        expectAs(before, "undone again");
        EXPECT_EQ(boxes.texts.join(QLatin1Char('\n')).toStdString(), "");
    }
    EXPECT_EQ(window->statusBar()->currentMessage().toStdString(), "");
}

TEST_F(UndoneLinks, AWirePickedUpOnAnEffectsMemberComesBackToThatMember)
{
    object = addNestEffect(QStringLiteral("Nest"));
    ASSERT_NE(object, nullptr);
    graph = dynamic_cast<VyxNodeGraph*>(object->graph());
    ASSERT_NE(graph, nullptr);
    clickRow(object);
    Node* inner = nullptr;
    Node* later = nullptr;
    for (Node* node : graph->nodes()) {
        if (node->name() == QLatin1String("Inner"))
            inner = node;
        if (node->name() == QLatin1String("Later"))
            later = node;
    }
    ASSERT_TRUE(inner && later);
    ASSERT_TRUE(dragNodeOnto(later, inner));
    ASSERT_EQ(later->parentGraph(), inner->toNodeGraph());
    // Inner shows Later's input after its own, by the same name.
    Terminal* laterInput = later->getTerminal(QStringLiteral("rgbIn"));
    Terminal* innerInput = inner->getTerminal(QStringLiteral("rgbIn"));
    ASSERT_NE(laterInput, innerInput);
    ASSERT_EQ(laterInput->numConnections(), 1);
    ASSERT_EQ(innerInput->numConnections(), 1);
    Node* feeder = laterInput->connectedToHost(0);
    const Shot before = shot();

    dragWire(atTerminal(inner, laterInput), Away);
    settle();
    ASSERT_EQ(laterInput->numConnections(), 0) << "the wire picked up was not Later's";
    ASSERT_EQ(innerInput->numConnections(), 1);
    const Shot after = shot();
    undoAndRedo(before, after);
    undo();
    EXPECT_EQ(laterInput->connectedToHost(0), feeder);
    EXPECT_EQ(innerInput->connectedToHost(0), graph->sourceNode());
}

} // namespace
} // namespace MainWindowTest

// Wires drawn with the mouse between the nodes that re-kind their terminals come back on every
// road: a wire that replaced the one into the first of two such nodes keeps the link between
// them through Save, New and Open and through the second's deletion undone; a deletion undone
// brings back the link into the node deleted; a wire picked up comes back with Undo. A wire the
// kinds cannot serve is refused when drawn and changes nothing. What a step could not give back
// stays in the status bar until the user dismisses it.

#include "GraphLinks.h"
#include "MessageBoxes.h"
#include "WindowUser.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "app/UnrestoredLinksText.h"
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
#include <QApplication>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QUndoGroup>
#include <QUndoStack>

namespace MainWindowTest {
namespace KindsFollowLinksWindow {

using KelNodes::Node;
using KelNodes::Terminal;
using KelVyxNodes::VyxNodeGraph;

// Where a wire picked up is dropped: away from every node.
const QPoint kAway(-400, -400);

// The project's links and kinds, and its picture (none when it did not render).
struct State
{
    std::string links;
    std::string kinds;
    QImage picture;
};

class KindsFollowLinks : public WindowUser
{
protected:
    void SetUp() override
    {
        WindowUser::SetUp();
        pressGraphView();
    }

    // An effect holding a Split and the nodes of `types`, nothing linked to them, shown in the
    // node-graph view with its eye open; the effect's picture is the source's.
    void showEffect(QStringList const& types)
    {
        core()->cancelRender();
        graph = core()->rootGraph()->addSubGraph(-1);
        ASSERT_NE(graph, nullptr);
        graph->setName(QStringLiteral("Kinds"));
        graph->setUp(core()->sourceImage(), nullptr, nullptr, false);
        split = graph->addNode(QStringLiteral("operator.split"), -1);
        ASSERT_NE(split, nullptr);
        nodes.clear();
        for (QString const& type : types) {
            nodes.append(graph->addNode(type, -1));
            ASSERT_NE(nodes.constLast(), nullptr);
        }
        // The picture's alpha is free for a wire.
        graph->destinationNode()->getTerminal(QStringLiteral("alpha"))->disconnectAll();
        object = core()->addObjectFromNodeGraph(graph);
        ASSERT_NE(object, nullptr);
        settle();
        clickRow(object);
        ASSERT_EQ(window->objectEditorGraphView()->graph(), static_cast<KelNodes::NodeGraph*>(graph));
        draw(graph->sourceNode(), "rgb", split, "rgb");
        ASSERT_TRUE(linked(graph->sourceNode(), "rgb", split, "rgb"));
    }

    static bool linked(Node* from, char const* output, Node* to, char const* input)
    {
        Terminal* out = from ? from->getTerminal(QLatin1String(output)) : nullptr;
        Terminal* in = to ? to->getTerminal(QLatin1String(input)) : nullptr;
        return out && in && out->isConnectedTo(in);
    }

    // A wire drawn with the mouse from one terminal to another, and what it set off.
    void draw(Node* from, char const* output, Node* to, char const* input)
    {
        dragWire(atTerminal(from, QLatin1String(output)), atTerminal(to, QLatin1String(input)));
        settle();
    }

    State state()
    {
        finishRenders();
        const bool rendered = core()->renderer()->completedSucceeded();
        return {GraphLinks::text(core()->rootGraph()), GraphLinks::kindsText(core()->rootGraph()),
                rendered ? core()->resultImage()->convertToFormat(QImage::Format_ARGB32) : QImage()};
    }

    void expectAs(State const& expected, char const* when)
    {
        SCOPED_TRACE(when);
        const State now = state();
        EXPECT_EQ(now.links, expected.links);
        EXPECT_EQ(now.kinds, expected.kinds);
        EXPECT_TRUE(now.picture == expected.picture) << "the picture differs";
    }

    QUndoStack* history() const { return window->undoGroup()->activeStack(); }

    void undo() { undoInWindow(); }
    void redo() { redoInWindow(); }

    void deleteNode(Node* node)
    {
        clickNode(node);
        QTest::keyClick(window->objectEditorGraphView(), Qt::Key_Delete);
        settle();
    }

    // Save As, New and Open: the project comes back as it was, and nothing says it did not.
    void expectSavedAndOpened(State const& before)
    {
        const QString path = dir.filePath(QStringLiteral("kinds.vyxsg"));
        ASSERT_NO_FATAL_FAILURE(saveProjectAs(path));
        discardingEveryEdit([this] { EXPECT_TRUE(window->on_actionNew_triggered()); });
        ASSERT_TRUE(core()->objectList().isEmpty());
        {
            MessageBoxes boxes({}, QMessageBox::Ok, true);
            answerFileDialog(path);
            window->form()->actionOpen->trigger();
            settle();
            EXPECT_EQ(boxes.texts.join(QLatin1Char('\n')).toStdString(), "");
        }
        expectAs(before, "saved, New, opened");
        EXPECT_EQ(window->lastingMessage().toStdString(), "");
    }

    KelNGObject* object = nullptr;
    VyxNodeGraph* graph = nullptr;
    Node* split = nullptr;
    QList<Node*> nodes;
};

// The six types that narrow a free input to what their output feeds, in pairs that put each on
// either side.
QList<QPair<QString, QString>> const kNarrowingPairs{
    {QStringLiteral("operator.blur"), QStringLiteral("operator.blur")},
    {QStringLiteral("operator.edgedetection"), QStringLiteral("operator.sharpen")},
    {QStringLiteral("operator.emboss"), QStringLiteral("operator.Maths.trigonometric")},
    {QStringLiteral("operator.frame"), QStringLiteral("operator.edgedetection")},
    {QStringLiteral("operator.Maths.trigonometric"), QStringLiteral("operator.frame")},
    {QStringLiteral("operator.sharpen"), QStringLiteral("operator.emboss")},
};

// Split's "g" into A, A into B, B shown as the picture's alpha; then Split's "r" dropped on A's
// input in place of "g". A keeps feeding B through Save, New and Open and through B's deletion
// undone and redone.
TEST_F(KindsFollowLinks, AWireThatReplacedTheOneIntoANodeKeepsItsLinkToTheNext)
{
    for (auto const& [first, second] : kNarrowingPairs) {
        SCOPED_TRACE((first + QStringLiteral(" -> ") + second).toStdString());
        ASSERT_NO_FATAL_FAILURE(showEffect({first, second}));
        Node* a = nodes.at(0);
        Node* b = nodes.at(1);
        draw(split, "g", a, "in");
        draw(a, "out", b, "in");
        draw(b, "out", graph->destinationNode(), "alpha");
        ASSERT_TRUE(linked(split, "g", a, "in"));
        ASSERT_TRUE(linked(a, "out", b, "in"));
        ASSERT_TRUE(linked(b, "out", graph->destinationNode(), "alpha"));
        draw(split, "r", a, "in");
        ASSERT_TRUE(linked(split, "r", a, "in"));
        ASSERT_FALSE(linked(split, "g", a, "in"));
        ASSERT_TRUE(linked(a, "out", b, "in"));
        const State before = state();
        ASSERT_FALSE(before.picture.isNull());

        const int bUid = b->uid();
        deleteNode(b);
        ASSERT_EQ(graph->findNode(bUid, true), nullptr);
        const State after = state();
        for (int round = 0; round < 2; ++round) {
            undo();
            expectAs(before, "B's deletion undone");
            redo();
            expectAs(after, "B's deletion redone");
        }
        undo();
        expectAs(before, "B's deletion undone again");
        EXPECT_EQ(window->lastingMessage().toStdString(), "");

        ASSERT_NO_FATAL_FAILURE(expectSavedAndOpened(before));
        discardingEveryEdit([this] { EXPECT_TRUE(window->on_actionNew_triggered()); });
    }
}

// Frame's output shown as the picture's alpha, Blur into Frame, the source's alpha into Blur: a
// wire from Blur to the picture's colour is refused (Blur carries the one channel Frame reads)
// and changes nothing. Frame deleted and undone comes back fed by Blur.
TEST_F(KindsFollowLinks, TheDeletedReaderOfANarrowingNodeComesBackLinked)
{
    for (QString const& reader : {QStringLiteral("operator.frame"), QStringLiteral("operator.Maths.trigonometric"),
                                  QStringLiteral("operator.edgedetection"), QStringLiteral("operator.emboss"),
                                  QStringLiteral("operator.sharpen")}) {
        SCOPED_TRACE(reader.toStdString());
        ASSERT_NO_FATAL_FAILURE(showEffect({QStringLiteral("operator.blur"), reader}));
        Node* blur = nodes.at(0);
        Node* frame = nodes.at(1);
        Node* picture = graph->destinationNode();
        draw(frame, "out", picture, "alpha");
        draw(blur, "out", frame, "in");
        draw(graph->sourceNode(), "alpha", blur, "in");
        ASSERT_TRUE(linked(frame, "out", picture, "alpha"));
        ASSERT_TRUE(linked(blur, "out", frame, "in"));
        ASSERT_TRUE(linked(graph->sourceNode(), "alpha", blur, "in"));
        const State before = state();
        ASSERT_FALSE(before.picture.isNull());
        const int steps = history()->count();

        draw(blur, "out", picture, "rgb");
        EXPECT_FALSE(linked(blur, "out", picture, "rgb"));
        EXPECT_EQ(history()->count(), steps) << "a refused wire made a step";
        expectAs(before, "a refused wire");

        const int frameUid = frame->uid();
        deleteNode(frame);
        ASSERT_EQ(graph->findNode(frameUid, true), nullptr);
        undo();
        expectAs(before, "the deletion undone");
        frame = graph->findNode(frameUid, true);
        EXPECT_TRUE(linked(blur, "out", frame, "in"));
        EXPECT_EQ(window->lastingMessage().toStdString(), "");
        discardingEveryEdit([this] { EXPECT_TRUE(window->on_actionNew_triggered()); });
    }
}

// The same three wires; the wire from the first node into the second picked up at the second's
// input and let go away from every node. Undo brings it back, Redo takes it away, whichever of
// the two was made first.
TEST_F(KindsFollowLinks, AWirePickedUpComesBackWithUndo)
{
    const QList<QPair<QString, QString>> pairs{
        {QStringLiteral("operator.blur"), QStringLiteral("operator.frame")},
        {QStringLiteral("operator.frame"), QStringLiteral("operator.blur")},
        {QStringLiteral("operator.Maths.trigonometric"), QStringLiteral("operator.edgedetection")},
        {QStringLiteral("operator.edgedetection"), QStringLiteral("operator.Maths.trigonometric")},
    };
    for (auto const& [first, second] : pairs) {
        SCOPED_TRACE((first + QStringLiteral(" -> ") + second).toStdString());
        ASSERT_NO_FATAL_FAILURE(showEffect({first, second}));
        Node* a = nodes.at(0);
        Node* b = nodes.at(1);
        draw(b, "out", graph->destinationNode(), "alpha");
        draw(a, "out", b, "in");
        draw(graph->sourceNode(), "alpha", a, "in");
        ASSERT_TRUE(linked(a, "out", b, "in"));
        const State before = state();

        dragWire(atTerminal(b, QStringLiteral("in")), kAway);
        settle();
        ASSERT_FALSE(linked(a, "out", b, "in"));
        const State after = state();
        for (int round = 0; round < 2; ++round) {
            undo();
            expectAs(before, "the wire picked up undone");
            EXPECT_TRUE(linked(a, "out", b, "in"));
            redo();
            expectAs(after, "the wire picked up redone");
        }
        EXPECT_EQ(window->lastingMessage().toStdString(), "");
        discardingEveryEdit([this] { EXPECT_TRUE(window->on_actionNew_triggered()); });
    }
}

// A link that a step cannot give back is named in the status bar, and the line stays there
// through renders and a menu's tips until the user dismisses it.
TEST_F(KindsFollowLinks, ALinkNotGivenBackIsNamedUntilTheUserDismissesIt)
{
    KelNodes::UnrestoredLink link;
    link.fromNode = QStringLiteral("Blur");
    link.fromTerminal = QStringLiteral("out");
    link.toNode = QStringLiteral("Frame");
    link.toTerminal = QStringLiteral("in");
    UnrestoredLinksText::tell(core(), QStringLiteral("Not every link came back."), {link});
    const std::string shown = window->lastingMessage().toStdString();
    EXPECT_NE(shown.find("Not every link came back."), std::string::npos) << shown;
    EXPECT_NE(shown.find("\"Blur\" (out) to \"Frame\" (in)"), std::string::npos) << shown;

    // A render, and the status tips of the Edit menu's entries.
    core()->start();
    finishRenders();
    window->statusBar()->showMessage(QStringLiteral("a tip"));
    for (QAction* action : window->menuBar()->actions()) {
        QStatusTipEvent tip(action->statusTip());
        QApplication::sendEvent(window.get(), &tip);
    }
    settle();
    EXPECT_EQ(window->lastingMessage().toStdString(), shown);
    auto* text = window->findChild<QWidget*>(QStringLiteral("lastingMessage"));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isVisible());

    auto* dismiss = window->findChild<QToolButton*>(QStringLiteral("lastingMessageDismiss"));
    ASSERT_NE(dismiss, nullptr);
    QTest::mouseClick(dismiss, Qt::LeftButton);
    settle();
    EXPECT_EQ(window->lastingMessage().toStdString(), "");
    EXPECT_FALSE(text->isVisible());
}

} // namespace KindsFollowLinksWindow
} // namespace MainWindowTest

// The user's sequences in which an editor of the window kept another node than the graph shows,
// or another frame than the timeline reads: after a change of view mode, after Ctrl+1 with the
// row still selected, and after opening a project saved at a frame other than 0.

#include "ShownTargets.h"
#include "WindowUser.h"

#include "ui_MainWindow.h"
#include "ui_ProjectBrowser.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/NodeDockTabWidget.h"
#include "params/NumGroupParameter.h"
#include "ui_KelNodePanel.h"
#include "ui_ObjectEditor.h"

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTreeWidget>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QUndoStack>

namespace MainWindowTest {
namespace {

using TargetInts = KelUtils::NumGroupParameter<int>;

class ShownTarget : public WindowUser
{
protected:
    void SetUp() override
    {
        WindowUser::SetUp();
        toneFx = addKeyedHsvEffect(QStringLiteral("Tone FX"));
        tone = addConstEffect(QStringLiteral("Tone"));
        ASSERT_TRUE(toneFx && tone);
        hsv = nodeOfType(toneFx, QStringLiteral("operator.hsv"));
        constant = nodeOfType(tone, QStringLiteral("generator.const"));
        ASSERT_TRUE(hsv && constant);
        hue = dynamic_cast<TargetInts*>(parameterOf(hsv, QStringLiteral("Hue")));
        ASSERT_NE(hue, nullptr);
        ASSERT_EQ(hsv->paramContainer()->keyframes(), (QList<int>{0, 30}));
    }

    // The hue the HSV node holds at `frame` (the node is brought back to where it stood).
    int hueAt(int frame)
    {
        KelUtils::IParameterContainer* container = hsv->paramContainer();
        const int was = container->currentFrame();
        core()->cancelRender();
        container->setCurrentFrame(frame);
        const int value = hue->value(0);
        container->setCurrentFrame(was);
        core()->start();
        settle();
        return value;
    }

    void expectEveryEditorOnTheShownTarget()
    {
        QStringList const faults = shownTargetFaults(window.get());
        EXPECT_TRUE(faults.isEmpty()) << faults.join(QStringLiteral("\n")).toStdString();
    }

    KelNGObject* toneFx = nullptr;
    KelNGObject* tone = nullptr;
    KelNodes::Node* hsv = nullptr;
    KelNodes::Node* constant = nullptr;
    TargetInts* hue = nullptr;
};

// Tone's Const node picked once; Tone FX's node picked in the node-graph view, then Ctrl+1, Tone's row, Ctrl+2: the Current
// Node page shows Tone's Const node, which the graph picks, and a value typed there is Tone's,
// an undo step that marks the project and renders; Tone FX's keys stay as they were.
TEST_F(ShownTarget, AViewSwitchBringsTheCurrentNodePageToTheNodeTheGraphPicks)
{
    pressGraphView();
    // The graph picks Tone's Const node again whenever it shows Tone.
    clickRow(tone);
    clickNode(constant);
    clickRow(toneFx);
    clickNode(hsv);
    ASSERT_EQ(window->nodeDock()->currentNodeStack()->currentWidget(), KelNGNode::itemOf(hsv));
    pressImageView();
    clickRow(tone);
    pressGraphView();

    ASSERT_NE(window->objectEditorGraphView()->selectedNode(), nullptr);
    ASSERT_EQ(window->objectEditorGraphView()->selectedNode()->node(), constant);
    EXPECT_EQ(window->objectEditor()->nodePanelForm()->nodeNameEdit->text(), constant->displayName());
    ASSERT_EQ(window->nodeDock()->currentMode(), 0) << "the Current Node page";
    EXPECT_EQ(window->nodeDock()->currentNodeStack()->currentWidget(), KelNGNode::itemOf(constant));
    expectEveryEditorOnTheShownTarget();

    // What the page shows takes the typed value.
    QAbstractSpinBox* editor = currentNodeEditor(constant, parameterOf(constant, QStringLiteral("value1d")));
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->isVisible());
    core()->setModified(false);
    const int stepsBefore = core()->undoStack()->count();
    QSignalSpy rendered(core(), &TwCore::finished);
    type(editor, 100);
    EXPECT_EQ(hueAt(0), 250) << "Tone FX's key at 0";
    EXPECT_EQ(hueAt(30), 120) << "Tone FX's key at 30";
    EXPECT_EQ(dynamic_cast<TargetInts*>(parameterOf(constant, QStringLiteral("value1d")))->value(0), 100);
    EXPECT_EQ(core()->undoStack()->count(), stepsBefore + 1);
    EXPECT_TRUE(window->undoAction()->isEnabled());
    EXPECT_TRUE(core()->isModified());
    EXPECT_GT(rendered.count(), 0) << "the picture is rendered again";
}

// The node picked in the node-graph view stands at 25; Ctrl+1 with the row still selected: the
// timeline reads the frame the Important Parameters show and a typed value lands at.
TEST_F(ShownTarget, CtrlOneKeepsTheFrameTheNodeGraphViewShowed)
{
    pressGraphView();
    clickRow(toneFx);
    clickNode(hsv);
    goTo(25);
    ASSERT_EQ(hsv->paramContainer()->currentFrame(), 25);
    const int shownHue = hue->value(0);
    pressImageView();

    EXPECT_EQ(shownFrame(), 25);
    expectEveryEditorOnTheShownTarget();
    QAbstractSpinBox* editor = shownImportantEditor(hue);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QString::number(shownHue));
    type(editor, 40);
    EXPECT_EQ(shownFrame(), 25);
    EXPECT_EQ(hsv->paramContainer()->currentFrame(), 25);
    EXPECT_EQ(hue->value(0), 40);
    EXPECT_EQ(hueAt(0), 250) << "the key at 0 is left as it was";
    expectEveryEditorOnTheShownTarget();
}

// Saved with the timeline at a key at 20, opened again in either view mode: the timeline reads
// 20, where the panels show their values and a typed value lands.
TEST_F(ShownTarget, AnOpenedProjectReadsTheFrameItWasSavedAt)
{
    // The effect an open selects is the project's last.
    clickRow(tone);
    window->form()->actionDelete->trigger();
    settle();
    ASSERT_EQ(objectNamed(QStringLiteral("Tone")), nullptr);
    clickRow(toneFx);
    goTo(20);
    ASSERT_TRUE(clickTimelineButton("addKeyframeTB"));
    ASSERT_EQ(hsv->paramContainer()->keyframes(), (QList<int>{0, 20, 30}));
    const int keyed = hue->value(0);
    QString path = dir.filePath(QStringLiteral("tone.vyxsg"));
    saveProjectAs(path);

    for (bool graph : {false, true}) {
        SCOPED_TRACE(graph ? "node-graph view" : "image view");
        if (graph)
            pressGraphView();
        window->openNodeGraph(core()->rootGraph(), path);
        settle();
        toneFx = objectNamed(QStringLiteral("Tone FX"));
        hsv = nodeOfType(toneFx, QStringLiteral("operator.hsv"));
        ASSERT_NE(hsv, nullptr);
        hue = dynamic_cast<TargetInts*>(parameterOf(hsv, QStringLiteral("Hue")));
        ASSERT_EQ(shownSelection(window.get()), toneFx);
        expectEveryEditorOnTheShownTarget();
        EXPECT_EQ(shownFrame(), 20);
        EXPECT_EQ(hsv->paramContainer()->currentFrame(), 20);
        QAbstractSpinBox* editor = shownImportantEditor(hue);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text(), QString::number(keyed));
        type(editor, 40);
        EXPECT_EQ(shownFrame(), 20);
        EXPECT_EQ(hueAt(20), 40) << "the key at 20";
        EXPECT_EQ(hueAt(0), 250) << "the key at 0";
        discardProject();
    }
}

} // namespace
} // namespace MainWindowTest

namespace MainWindowTest {
namespace {

// New while the object editor shows the Templates list: the list's template stays what the
// graph, the node strip and the Nodes panel edit; and without a project effect, no panel keeps
// one, nor does the Current Node page keep the node picked before.
TEST_F(ShownTarget, NewKeepsTheTemplateTheListShowsAndEmptiesWhatShowedTheProject)
{
    pressGraphView();
    clickRow(toneFx);
    clickNode(hsv);
    clickShowTemplates();
    QTest::mouseClick(window->objectEditor()->form()->addTemplateButton, Qt::LeftButton);
    settle();
    QTreeWidget* templates = window->objectEditor()->form()->templatesTreeWidget;
    ASSERT_GT(templates->topLevelItemCount(), 0);
    QTreeWidgetItem* row = templates->topLevelItem(0);
    const QRect cell = templates->visualItemRect(row);
    QTest::mouseClick(templates->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(templates->columnViewportPosition(0) + 10, cell.center().y()));
    settle();
    KelNGObject* shown = shownSelection(window.get());
    ASSERT_NE(shown, nullptr);
    ASSERT_TRUE(shown->isTemplateInstance());
    expectEveryEditorOnTheShownTarget();

    answerMessageBox(QMessageBox::Discard);
    window->form()->actionNew->trigger();
    settle();
    EXPECT_EQ(shownSelection(window.get()), shown);
    EXPECT_EQ(window->objectEditorGraphView()->graph(), shown->graph());
    expectEveryEditorOnTheShownTarget();

    clickShowProject();
    EXPECT_EQ(shownSelection(window.get()), nullptr);
    EXPECT_EQ(qobject_cast<KelNGNode*>(window->nodeDock()->currentNodeStack()->currentWidget()), nullptr)
        << "the Current Node page keeps a node of the project that went";
    expectEveryEditorOnTheShownTarget();
    pressImageView();
    expectEveryEditorOnTheShownTarget();
}

} // namespace
} // namespace MainWindowTest

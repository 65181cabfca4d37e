// Every change the window makes to what Save writes is a step of Edit > Undo: undo gives the
// saved bytes back, redo makes the change again.

#include "WindowUser.h"

#include "ui_KelNodePanel.h"
#include "ui_MainWindow.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"

#include <QAction>
#include <QToolButton>

#include <functional>

namespace MainWindowTest {
namespace {

class UndoSteps : public WindowUser
{
protected:
    // Runs `change`, which must change the saved bytes; Undo gives them back, Redo the changed
    // ones.
    void expectAStep(std::function<void()> const& change)
    {
        settle();
        const QByteArray before = projectBytes();
        change();
        settle();
        const QByteArray after = projectBytes();
        ASSERT_NE(after, before) << "the change did not reach what Save writes";
        ASSERT_TRUE(window->undoAction()->isEnabled());
        window->undoAction()->trigger();
        settle();
        EXPECT_EQ(projectBytes(), before) << "undo gives the saved bytes back";
        ASSERT_TRUE(window->redoAction()->isEnabled());
        window->redoAction()->trigger();
        settle();
        EXPECT_EQ(projectBytes(), after) << "redo makes the change again";
    }
};

// Paste adds the copied effects as one step, whatever else the stack holds before it.
TEST_F(UndoSteps, PasteIsOneStep)
{
    KelNGObject* first = addConstEffect(QStringLiteral("First"));
    addConstEffect(QStringLiteral("Second"));
    for (int copies : {1, 2}) {
        SCOPED_TRACE(copies);
        QList<KelNGObject*> const copied = core()->objectList().mid(0, copies);
        core()->setSelectedObject(copied.first());
        if (copies > 1)
            core()->addToSelectedObjects(copied.at(1));
        window->on_menuEdit_aboutToShow();
        ASSERT_TRUE(window->form()->actionCopy->isEnabled());
        window->form()->actionCopy->trigger();
        const int count = int(core()->objectList().size());
        expectAStep([&] {
            window->on_menuEdit_aboutToShow();
            ASSERT_TRUE(window->form()->actionPaste->isEnabled());
            window->form()->actionPaste->trigger();
        });
        EXPECT_EQ(core()->objectList().size(), count + copies);
    }
    EXPECT_TRUE(core()->objectList().contains(first));
}

// A node's colour, by a preset button and by the cross that gives the style's colour back.
TEST_F(UndoSteps, ANodesColourIsAStep)
{
    KelNGObject* object = addConstEffect(QStringLiteral("Tone"));
    pressGraphView();
    clickRow(object);
    KelNodes::Node* node = nodeOfType(object, QStringLiteral("generator.const"));
    ASSERT_NE(node, nullptr);
    clickNode(node);
    ASSERT_EQ(window->objectEditor()->panelNode(), KelNGNode::itemOf(node));
    Ui::KelNodePanel* panel = window->objectEditor()->nodePanelForm();
    for (QToolButton* button : {panel->nodeColor3Button, panel->nodeColorCloseButton}) {
        SCOPED_TRACE(button->objectName().toStdString());
        expectAStep([button] { button->click(); });
    }
}

} // namespace
} // namespace MainWindowTest

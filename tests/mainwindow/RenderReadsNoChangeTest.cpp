// The window never changes a graph while the render reads it: what lays a graph out during its
// render only reads it. Each render is held at its start until the step is done, so that the
// render surely runs meanwhile; a change under it fails the test (the test home's fault hook).

#include "WindowUser.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "ui_ObjectEditor.h"

#include <QAction>
#include <QCoreApplication>
#include <QSemaphore>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

namespace MainWindowTest {
namespace {

// Holds every render where it reports its start (its lists sorted and read once, its nodes not
// yet prepared) until the test lets it go; the bound only keeps a broken test from hanging.
class HeldStart : public RenderStatus::Clock
{
public:
    explicit HeldStart(QSemaphore* gate) : m_gate(gate) {}
    void start() override { m_gate->tryAcquire(1, 600000); }
    qint64 elapsed() const override { return 0; }

private:
    QSemaphore* m_gate;
};

class RenderReadsNoChange : public WindowUser
{
protected:
    void holdRenders()
    {
        finishRenders();
        core()->renderer()->status().setClock(std::make_unique<HeldStart>(&m_gate));
        m_faultsBefore = KelNodes::NodeGraph::renderReadFaults();
    }
    // The step came while a render read the graph, and changed nothing of it.
    void expectNoChangeUnderTheRender(char const* step)
    {
        EXPECT_TRUE(core()->renderer()->isRunning()) << step << ": no render ran meanwhile";
        EXPECT_EQ(KelNodes::NodeGraph::renderReadFaults(), m_faultsBefore)
            << step << " changed a graph the render read";
    }
    // Lets the event loop start the render a step asked for (held at its start) and run what
    // its start posted.
    void letTheAskedRenderStart()
    {
        for (int round = 0; round < 10; ++round)
            QCoreApplication::processEvents();
    }
    void releaseRenders()
    {
        m_gate.release(1 << 20);
        finishRenders();
        core()->renderer()->status().setClock(nullptr);
    }
    void TearDown() override
    {
        m_gate.release(1 << 20);
        WindowUser::TearDown();
    }

    QSemaphore m_gate;
    quint64 m_faultsBefore = 0;
};

// An empty template made with "Add Empty Template": a click on its row shows its graph in the node
// view and asks for its render, whose set-up makes the graph's end nodes; the view lays them out
// while the render reads the graph.
TEST_F(RenderReadsNoChange, ClickingTheRowOfANewEmptyTemplate)
{
    pressGraphView();
    clickShowTemplates();
    QTreeWidget* templates = window->objectEditor()->form()->templatesTreeWidget;
    QSet<QTreeWidgetItem*> before;
    for (int i = 0; i < templates->topLevelItemCount(); ++i)
        before.insert(templates->topLevelItem(i));
    QTest::mouseClick(window->objectEditor()->form()->addTemplateButton, Qt::LeftButton);
    finishRenders();
    QTreeWidgetItem* row = nullptr;
    for (int i = 0; i < templates->topLevelItemCount(); ++i) {
        if (!before.contains(templates->topLevelItem(i)))
            row = templates->topLevelItem(i);
    }
    ASSERT_NE(row, nullptr);
    if (templates->currentItem() == row) {
        // Only a change of row starts the template's render.
        templates->setCurrentItem(nullptr);
        finishRenders();
    }

    holdRenders();
    templates->scrollToItem(row);
    QTest::mouseClick(templates->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(templates->columnViewportPosition(0) + 10, templates->visualItemRect(row).center().y()));
    letTheAskedRenderStart();
    expectNoChangeUnderTheRender("the click on the new template's row");
    KelNodes::NodeGraph* shown = window->objectEditorGraphView()->graph();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->numNodes(), 2) << "the view shows the set-up's end nodes";
    for (KelNodes::Node* node : shown->nodes())
        EXPECT_NE(KelNGNode::itemOf(node), nullptr);
    releaseRenders();
    EXPECT_TRUE(core()->renderer()->completedSucceeded());
}

// "Reorder Nodes" in the node view while the project renders.
TEST_F(RenderReadsNoChange, ReorderNodesDuringARender)
{
    KelNGObject* effect = addKeyedHsvEffect(QStringLiteral("Tone FX"));
    pressGraphView();
    clickRow(effect);
    KelNGNodeGraphView* view = window->objectEditorGraphView();
    ASSERT_EQ(view->graph(), effect->graph());

    holdRenders();
    core()->start();
    letTheAskedRenderStart();
    view->action(QStringLiteral("reorder"))->trigger();
    expectNoChangeUnderTheRender("Reorder Nodes");
    releaseRenders();
    EXPECT_TRUE(core()->renderer()->completedSucceeded());
}

} // namespace
} // namespace MainWindowTest

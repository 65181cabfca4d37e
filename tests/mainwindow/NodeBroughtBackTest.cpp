// A node that Undo or Redo brings back, or that is dropped onto an effect's graph, stands at the
// frame of its effect, which may have moved since the node was taken out: the Important Parameters
// then show and edit the effect's frame.

#include "WindowUser.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/TreeWidgetByMimeType.h"
#include "params/NumGroupParameter.h"

#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace MainWindowTest {
namespace {

using Ints = KelUtils::NumGroupParameter<int>;

class NodeBroughtBack : public WindowUser
{
protected:
    void SetUp() override
    {
        WindowUser::SetUp();
        effect = addKeyedHsvEffect(QStringLiteral("Tone FX"));
        ASSERT_NE(effect, nullptr);
        pressGraphView();
        clickShowProject();
        clickRow(effect);
    }

    int effectFrame() const { return effect->graph()->paramContainer()->currentFrame(); }
    KelNodes::Node* nodeOf(QString const& type) const { return nodeOfType(effect, type); }
    void trigger(QAction* action)
    {
        ASSERT_TRUE(action->isEnabled());
        action->trigger();
        settle();
    }

    KelNGObject* effect = nullptr;
};

TEST_F(NodeBroughtBack, ByUndoOfItsDeleteAtTheEffectsFrameWhereTheImportantParametersEditIt)
{
    ASSERT_EQ(effectFrame(), 0);
    clickNode(nodeOf(QStringLiteral("operator.hsv")));
    window->objectEditorGraphView()->setFocus();
    QTest::keyClick(window->objectEditorGraphView(), Qt::Key_Delete);
    settle();
    ASSERT_EQ(nodeOf(QStringLiteral("operator.hsv")), nullptr);
    clickRow(effect);
    goTo(19);
    ASSERT_EQ(effectFrame(), 19);

    trigger(window->undoAction());
    KelNodes::Node* back = nodeOf(QStringLiteral("operator.hsv"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->paramContainer()->currentFrame(), 19);

    // Typed at the frame the timeline reads, not at the one the node was deleted at.
    pressImageView();
    clickRow(effect);
    ASSERT_EQ(shownFrame(), 19);
    auto* hue = dynamic_cast<Ints*>(parameterOf(back, QStringLiteral("Hue")));
    ASSERT_NE(hue, nullptr);
    type(shownImportantEditor(hue), 90);
    EXPECT_EQ(hue->value(0), 90);
    core()->cancelRender();
    ASSERT_EQ(back->paramContainer()->setCurrentFrame(0), 0);
    EXPECT_EQ(hue->value(0), 250) << "frame 0's key was written";
}

TEST_F(NodeBroughtBack, ByRedoOfItsInsertionAtTheEffectsFrameAsWhenItWasDropped)
{
    goTo(7);
    ASSERT_EQ(effectFrame(), 7);
    TreeWidgetByMimeType* types = window->nodeDock()->availableNodesTree();
    QTreeWidgetItem* grayscale = nullptr;
    for (QTreeWidgetItem* item : types->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive)) {
        if (item->data(0, Qt::UserRole + 1).toString() == QLatin1String("operator.grayscale"))
            grayscale = item;
    }
    ASSERT_NE(grayscale, nullptr);
    std::unique_ptr<QMimeData> data(types->model()->mimeData({types->indexFromItem(grayscale)}));
    QWidget* viewport = window->objectEditorGraphView()->viewport();
    const QPoint at(viewport->width() / 2, viewport->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    settle();
    ASSERT_NE(nodeOf(QStringLiteral("operator.grayscale")), nullptr);
    EXPECT_EQ(nodeOf(QStringLiteral("operator.grayscale"))->paramContainer()->currentFrame(), 7)
        << "a dropped node joins its effect's frame too";

    trigger(window->undoAction());
    ASSERT_EQ(nodeOf(QStringLiteral("operator.grayscale")), nullptr);
    // The image view's timeline holds the effect, whatever node the graph picks.
    pressImageView();
    goTo(23);
    ASSERT_EQ(effectFrame(), 23);
    trigger(window->redoAction());
    KelNodes::Node* back = nodeOf(QStringLiteral("operator.grayscale"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->paramContainer()->currentFrame(), 23);
}

} // namespace
} // namespace MainWindowTest

// Keys in the node-graph view of the main window, where the image browser shares the window.

#include "MainWindowFixture.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "browser/ImageBrowser.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "ui_MainWindow.h"

#include <QTest>
#include <QUndoStack>

namespace MainWindowTest {
namespace {

struct DeleteKey
{
    const char* name;
    Qt::Key key;
};

void PrintTo(DeleteKey const& row, std::ostream* out)
{
    *out << row.name;
}

class GraphViewKeys : public MainWindowFixture, public ::testing::WithParamInterface<DeleteKey>
{
};

TEST_P(GraphViewKeys, DeleteTheSelectedNodeBesideTheImageBrowser)
{
    KelNGObject* object = addInversion(QStringLiteral("F"));
    window->form()->actionNodeGraphView->trigger();
    core()->setSelectedObject(object);
    settle();
    ASSERT_TRUE(window->imageBrowser()->isVisible()) << "the browser shares the window";
    KelNGNodeGraphView* view = window->objectEditorGraphView();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->graph(), object->graph());
    KelNodes::Node* inversion = nullptr;
    for (KelNodes::Node* node : object->graph()->nodes()) {
        if (!node->isStatic())
            inversion = node;
    }
    ASSERT_NE(inversion, nullptr);
    const int uid = inversion->uid();
    view->setSelectedNode(KelNGNode::itemOf(inversion));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    view->setFocus();
    const int steps = core()->undoStack()->count();

    QTest::keyClick(view, GetParam().key);
    settle();
    EXPECT_EQ(object->graph()->findNode(uid, false), nullptr);
    EXPECT_EQ(core()->undoStack()->count(), steps + 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, GraphViewKeys,
                         ::testing::Values(DeleteKey{"Backspace", Qt::Key_Backspace},
                                           DeleteKey{"Delete", Qt::Key_Delete}),
                         [](auto const& info) { return std::string(info.param.name); });

} // namespace
} // namespace MainWindowTest

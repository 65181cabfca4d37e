// Copy and Paste of effects in the main window, within a project and into another one.

#include "MainWindowFixture.h"

#include "ui_MainWindow.h"

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

#include <QUndoStack>

namespace MainWindowTest {
namespace {

class Paste : public MainWindowFixture
{
protected:
    void copy(KelNGObject* object)
    {
        core()->setSelectedObject(object);
        window->on_menuEdit_aboutToShow();
        ASSERT_TRUE(window->form()->actionCopy->isEnabled());
        window->form()->actionCopy->trigger();
    }
    void paste()
    {
        ASSERT_TRUE(window->form()->actionPaste->isEnabled());
        window->form()->actionPaste->trigger();
        settle();
    }
    // The effect whose input comes from `upstream`: the chain the project shows.
    static bool fedBy(KelNGObject* object, KelNodes::Node const* upstream)
    {
        KelNodes::Terminal* input = object->graph()->getTerminal(QStringLiteral("rgbIn"));
        return input && input->connectedToHost(0) == upstream;
    }
    // The project renders to the end with the pasted effect in it.
    void expectARenderedChain(QStringList const& names)
    {
        EXPECT_EQ(objectNames(), names);
        QList<KelNGObject*> const objects = core()->objectList();
        ASSERT_EQ(objects.size(), names.size());
        EXPECT_TRUE(fedBy(objects.first(), core()->rootGraph()->sourceNode()));
        for (int i = 1; i < objects.size(); ++i)
            EXPECT_TRUE(fedBy(objects.at(i), objects.at(i - 1)->graph())) << i;
        core()->start();
        ASSERT_TRUE(waitForRender());
        EXPECT_TRUE(core()->renderer()->completedSucceeded());
    }
};

// An effect fed by another one, copied and pasted after File > New or into another opened
// project, is pasted with its link to the absent effect left open; the chain of the project it
// lands in feeds it. Within the same project, and for the first effect, Paste goes on working.
TEST_F(Paste, AnEffectFedByAnotherIsPastedIntoANewOrAnotherProject)
{
    KelNGObject* first = addInversion("First");
    KelNGObject* second = addInversion("Second");
    ASSERT_TRUE(fedBy(second, first->graph()));

    copy(second);
    paste();
    expectARenderedChain({"First", "Second", "Second"});

    core()->setModified(false);
    ASSERT_TRUE(window->on_actionNew_triggered());
    settle();
    ASSERT_TRUE(objectNames().isEmpty());
    paste();
    expectARenderedChain({"Second"});
    EXPECT_TRUE(core()->isModified());
    window->form()->actionPaste->trigger();
    settle();
    expectARenderedChain({"Second", "Second"});

    // Into another project, opened from its file.
    core()->setModified(false);
    ASSERT_TRUE(window->on_actionNew_triggered());
    addInversion("Other");
    addInversion("Another");
    QString path = dir.filePath("other.vyxsg");
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), path));
    ASSERT_TRUE(window->on_actionNew_triggered());
    first = addInversion("First");
    second = addInversion("Second");
    copy(second);
    core()->setModified(false);
    window->openNodeGraph(core()->rootGraph(), path);
    settle();
    ASSERT_EQ(objectNames(), QStringList({"Other", "Another"}));
    paste();
    expectARenderedChain({"Other", "Another", "Second"});

    // The first effect, fed by the picture itself, after a New.
    copy(core()->objectList().first());
    core()->setModified(false);
    ASSERT_TRUE(window->on_actionNew_triggered());
    paste();
    expectARenderedChain({"Other"});
}

} // namespace
} // namespace MainWindowTest

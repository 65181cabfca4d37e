// Every way the window takes a node, an effect, a template or the whole project away, with the
// editors holding it (the timeline on a picked node's keys, the graph, the panels): right after it
// no editor holds anything freed, and after it, its undo and its redo every editor edits what the
// window shows as selected. The window then closes, reading what the timeline holds.

#include "GraphContainers.h"
#include "MessageBoxes.h"
#include "ShownTargets.h"
#include "WindowUser.h"

#include "app/TemplateStoreTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelTimeline.h"
#include "params/IParameterContainer.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include <QAction>
#include <QFile>
#include <QRadioButton>
#include <QSet>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUuid>

namespace MainWindowTest {
namespace {

enum class Way { NodeDelete, EditorListDelete, ProjectTabBin, TemplateDelete, UndoOfAdd, New, Open, QuitOnATemplate };

std::string wayName(::testing::TestParamInfo<Way> const& info)
{
    const char* names[] = {"NodeDelete", "EditorListDelete", "ProjectTabBin", "TemplateDelete",
                           "UndoOfAdd", "New", "Open", "QuitOnATemplate"};
    return names[int(info.param)];
}

class RemovalHolders : public WindowUser, public ::testing::WithParamInterface<Way>
{
protected:
    void SetUp() override
    {
        WindowUser::SetUp();
        if (HasFatalFailure())
            return;
        uuid = QUuid::createUuid().toString();
        path = StoragePaths::objectTemplatePath(uuid);
        ASSERT_TRUE(StoreTest::writeFile(path, StoreTest::templateDocument({uuid, QStringLiteral("Stored Glow")})));
        // The store reads its templates when the window is made.
        window.reset();
        window = std::make_unique<TwMainWindow>(nullptr);
        ASSERT_NO_FATAL_FAILURE(showWindow());
        window->form()->actionToggleBrowser->setChecked(false);
        settle();
        timeline = window->timeline();
        frameField = timeline->findChild<QSpinBox*>(QStringLiteral("currentFrameSB"));
        objectTemplate = core()->templateStore()->getObjectTemplateFromUuid(uuid);
        ASSERT_NE(objectTemplate, nullptr);
    }

    void TearDown() override
    {
        WindowUser::TearDown();
        QFile::remove(path);
        QFile::remove(StoragePaths::objectIconPath(uuid));
    }

    Ui::ObjectEditor* editor() const { return window->objectEditor()->form(); }

    void expectShownWhole(std::string const& when)
    {
        SCOPED_TRACE(when);
        const QStringList faults = shownTargetFaults(window.get());
        EXPECT_TRUE(faults.isEmpty()) << faults.join(QStringLiteral("\n")).toStdString();
    }

    // The timeline and the graph view hold nothing of what went.
    void expectNothingGoneHeld(QSet<KelUtils::IParameterContainer*> const& gone, KelNodes::NodeGraph* goneGraph)
    {
        EXPECT_FALSE(gone.contains(timeline->masterContainer())) << "the timeline's frames";
        EXPECT_FALSE(gone.contains(timeline->selectedContainer())) << "the timeline's keys";
        if (goneGraph) {
            EXPECT_NE(window->objectEditorGraphView()->graph(), goneGraph) << "the graph shown";
        }
    }

    // The user's pick of `node` in the graph the object editor shows.
    void pick(KelNodes::Node* node)
    {
        ASSERT_NO_FATAL_FAILURE(clickNode(node));
        ASSERT_EQ(timeline->selectedContainer(), node->paramContainer()) << "the timeline holds the picked node";
    }

    QString uuid;
    QString path;
    KelTemplate* objectTemplate = nullptr;
};

TEST_P(RemovalHolders, NothingFreedIsHeldAndEveryEditorFollowsTheSelection)
{
    const Way way = GetParam();
    pressGraphView();
    clickShowProject();
    addInversion(QStringLiteral("Other"));
    KelNGObject* tone = addKeyedHsvEffect(QStringLiteral("Tone FX"));
    ASSERT_NE(tone, nullptr);
    KelNodes::Node* hsv = nodeOfType(tone, QStringLiteral("operator.hsv"));
    ASSERT_NE(hsv, nullptr);
    QString saved = dir.filePath(QStringLiteral("two.vyxsg"));
    if (way == Way::Open) {
        ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), saved));
    }
    core()->undoStack()->clear();
    ASSERT_NO_FATAL_FAILURE(clickRow(tone));

    QSet<KelUtils::IParameterContainer*> gone;
    KelNodes::NodeGraph* goneGraph = nullptr;
    bool undoable = true;
    MessageBoxes boxes({}, QMessageBox::Yes, true);
    switch (way) {
    case Way::NodeDelete:
        ASSERT_NO_FATAL_FAILURE(pick(hsv));
        collectContainers(hsv, gone);
        window->objectEditorGraphView()->setFocus();
        QTest::keyClick(window->objectEditorGraphView(), Qt::Key_Delete);
        break;
    case Way::EditorListDelete:
        ASSERT_NO_FATAL_FAILURE(pick(hsv));
        collectContainers(tone->graph(), gone);
        goneGraph = tone->graph();
        editor()->actionDelete->trigger();
        break;
    case Way::ProjectTabBin:
        ASSERT_NO_FATAL_FAILURE(pick(hsv));
        collectContainers(tone->graph(), gone);
        goneGraph = tone->graph();
        pressImageView();
        window->projectBrowser()->form()->deleteFilter->click();
        break;
    case Way::TemplateDelete:
    case Way::QuitOnATemplate: {
        clickShowTemplates();
        KelNGObject* instance = objectTemplate->objectInstance();
        ASSERT_NO_FATAL_FAILURE(clickTemplateRow(instance));
        ASSERT_EQ(window->objectEditorGraphView()->graph(), instance->graph());
        KelNodes::Node* inner = nullptr;
        for (KelNodes::Node* node : instance->graph()->nodes()) {
            if (!node->isStatic() && KelNGNode::itemOf(node))
                inner = node;
        }
        if (inner) {
            ASSERT_NO_FATAL_FAILURE(pick(inner));
        }
        undoable = false;
        // The window closes (and the store empties) with the template's node picked.
        if (way == Way::QuitOnATemplate)
            break;
        collectContainers(instance->graph(), gone);
        goneGraph = instance->graph();
        editor()->deleteTemplateButton->click();
        break;
    }
    case Way::UndoOfAdd: {
        KelNGObject* added = core()->addTemplateObject(uuid);
        settle();
        ASSERT_NE(added, nullptr);
        ASSERT_NO_FATAL_FAILURE(clickRow(added));
        KelNodes::Node* inner = nullptr;
        for (KelNodes::Node* node : added->graph()->nodes()) {
            if (!node->isStatic() && KelNGNode::itemOf(node))
                inner = node;
        }
        if (inner) {
            ASSERT_NO_FATAL_FAILURE(pick(inner));
        }
        collectContainers(added->graph(), gone);
        goneGraph = added->graph();
        window->undoAction()->trigger();
        undoable = false;
        break;
    }
    case Way::New:
        ASSERT_NO_FATAL_FAILURE(pick(hsv));
        collectContainers(core()->rootGraph(), gone);
        gone.remove(core()->rootGraph()->paramContainer());
        goneGraph = tone->graph();
        core()->setModified(false);
        window->form()->actionNew->trigger();
        undoable = false;
        break;
    case Way::Open:
        ASSERT_NO_FATAL_FAILURE(pick(hsv));
        collectContainers(core()->rootGraph(), gone);
        gone.remove(core()->rootGraph()->paramContainer());
        goneGraph = tone->graph();
        core()->setModified(false);
        window->openNodeGraph(core()->rootGraph(), saved);
        undoable = false;
        break;
    }
    // Right after the removal, before anything new can take a freed address (an opened project's
    // effects may have taken them already: there the sanitizers and the close below speak).
    if (way != Way::Open) {
        expectNothingGoneHeld(gone, goneGraph);
        settle();
        expectNothingGoneHeld(gone, goneGraph);
    }
    settle();
    expectShownWhole("after the removal");

    if (undoable) {
        ASSERT_TRUE(window->undoAction()->isEnabled());
        window->undoAction()->trigger();
        settle();
        expectShownWhole("after its undo");
        ASSERT_TRUE(window->redoAction()->isEnabled());
        window->redoAction()->trigger();
        expectShownWhole("after its redo");
        settle();
        expectShownWhole("after its redo, settled");
    }

    // Closing reads what the timeline holds.
    for (KelNGObject* owner : window->objectEditor()->unsavedTemplateOwners())
        owner->objectTemplate()->setModified(false);
    core()->setModified(false);
    EXPECT_TRUE(window->close());
    settle();
    window.reset();
}

INSTANTIATE_TEST_SUITE_P(Ways, RemovalHolders,
                         ::testing::Values(Way::NodeDelete, Way::EditorListDelete, Way::ProjectTabBin,
                                           Way::TemplateDelete, Way::UndoOfAdd, Way::New, Way::Open,
                                           Way::QuitOnATemplate),
                         wayName);

} // namespace
} // namespace MainWindowTest

// Edit > Undo walks the selected object's history, and takes back a step made on another one
// while it is the step just made: the stack that took a step is the active one after it, also
// when the step replaced undone ones and while a template's stack was active; entering the image
// view makes the selected object's history active again, the node-graph view changes none; a
// template's name typed in the Template tab and a node's name are steps of the project's
// history, after whose Undo the selected template's own steps are Undo's; an effect a step
// brings back comes back with its own template.

#include "TemplateEditFixture.h"

#include "app/TemplateStoreTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectRows.h"
#include "mainwindow/TwObjectSettings.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "ui_KelNodePanel.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"
#include "ui_TemplateEditor.h"

#include <QAction>
#include <QFile>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <QUndoGroup>
#include <QUndoStack>
#include <QUuid>

#include <functional>

namespace MainWindowTest {
namespace {

class UndoHistory : public TemplateEditFixture
{
protected:
    Ui::ObjectEditor* editor() const { return window->objectEditor()->form(); }
    QUndoStack* templateStack() const
    {
        return qobject_cast<QUndoStack*>(objectTemplate->objectInstance()->graph()->topLevelGraph()->undoStack());
    }

    // Show: Templates with the store template's row picked, then the image view.
    void pickTheStoreTemplateThenImageView()
    {
        ASSERT_NO_FATAL_FAILURE(pickStoreTemplate());
        ASSERT_EQ(window->undoGroup()->activeStack(), templateStack()) << "selecting a template makes its stack active";
        window->form()->actionImageView->trigger();
        settle();
    }

    QComboBox* projectTabBox(KelNGObject* object, int column) const
    {
        QTreeWidget* rows = window->projectBrowser()->form()->treeWidget;
        return qobject_cast<QComboBox*>(rows->itemWidget(object->projectBrowserItem, column));
    }
};

// One project effect, a project step and its Undo; a store template picked; Ctrl+1; a change on
// the still highlighted Project-tab row: Edit > Undo offers it and takes it back.
TEST_F(UndoHistory, AStepOnTheProjectTabAfterAnUndoIsUndoneNextWhileATemplateWasActive)
{
    KelNGObject* effect = addInversion(QStringLiteral("Tone"));
    settle();
    QUndoStack* project = core()->undoStack();
    struct Change
    {
        const char* what;
        std::function<void()> make;
        std::function<bool()> made;
    };
    const Change changes[] = {
        {"opacity", [&] { projectTabBox(effect, TwObjectRows::OpacityColumn)->setEditText(QStringLiteral("40%")); },
         [&] { return TwObjectSettings::opacity(effect->graph()) == 40; }},
        {"blend mode", [&] { projectTabBox(effect, TwObjectRows::BlendColumn)->setCurrentIndex(2); },
         [&] { return projectTabBox(effect, TwObjectRows::BlendColumn)->currentIndex() == 2; }},
        {"name", [&] { effect->projectBrowserItem->setText(1, QStringLiteral("Renamed")); },
         [&] { return effect->graph()->displayName() == QStringLiteral("Renamed"); }},
    };
    for (Change const& change : changes) {
        SCOPED_TRACE(change.what);
        // A project step, undone.
        effect->projectBrowserItem->setText(1, QStringLiteral("Step"));
        settle();
        ASSERT_TRUE(window->undoAction()->isEnabled());
        window->undoAction()->trigger();
        settle();
        ASSERT_EQ(effect->graph()->displayName(), QStringLiteral("Tone"));

        ASSERT_NO_FATAL_FAILURE(pickTheStoreTemplateThenImageView());
        ASSERT_EQ(window->projectBrowser()->shownEffect(), effect);
        const int steps = project->count();
        ASSERT_TRUE(projectTabBox(effect, TwObjectRows::OpacityColumn));
        change.make();
        settle();
        ASSERT_TRUE(change.made());
        ASSERT_EQ(project->count(), steps) << "the step replaced the undone one";
        EXPECT_EQ(window->undoGroup()->activeStack(), project);
        ASSERT_TRUE(window->undoAction()->isEnabled()) << "Edit > Undo offers the step";
        window->undoAction()->trigger();
        settle();
        EXPECT_FALSE(change.made()) << "Edit > Undo took the change back";
        EXPECT_EQ(effect->graph()->displayName(), QStringLiteral("Tone"));
        project->clear();
    }
}

// A store template picked, the Project tab's effect removed by its bin (a project step; the tab
// then highlights the other effect), back to the template still shown, then its row renamed in the
// Templates list (the template's stack): Edit > Undo takes back the rename, not the delete.
TEST_F(UndoHistory, UndoTakesBackATemplateEditMadeAfterAProjectStep)
{
    addInversion(QStringLiteral("First"));
    addInversion(QStringLiteral("Tone"));
    settle();
    ASSERT_NO_FATAL_FAILURE(pickTheStoreTemplateThenImageView());
    window->projectBrowser()->form()->deleteFilter->click();
    settle();
    ASSERT_EQ(objectNames(), QStringList{QStringLiteral("First")});
    ASSERT_EQ(window->undoGroup()->activeStack(), core()->undoStack()) << "the delete is undone next";
    // The other effect's row clicked.
    QTreeWidget* rows = window->projectBrowser()->form()->treeWidget;
    QTreeWidgetItem* first = core()->objectList().first()->projectBrowserItem;
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, rows->visualItemRect(first).center());
    settle();

    window->form()->actionNodeGraphView->trigger();
    settle();
    // The template's row renamed in the Templates list: a step of the template's own history.
    QTreeWidgetItem* row = objectTemplate->objectInstance()->templateTreeItem;
    ASSERT_TRUE(row);
    row->setText(0, QStringLiteral("Renamed Glow"));
    settle();
    ASSERT_EQ(objectTemplate->name(), QStringLiteral("Renamed Glow"));
    EXPECT_EQ(window->undoGroup()->activeStack(), templateStack());

    window->undoAction()->trigger();
    settle();
    EXPECT_EQ(objectTemplate->name(), QStringLiteral("Stored Glow")) << "Undo took back the template's rename";
    EXPECT_EQ(objectNames(), QStringList{QStringLiteral("First")}) << "the delete stays";
}

// A store template picked (its history holds a step, a rename in the Templates list), Ctrl+1: the
// selection's reaction makes the template's history active. A rename on the Project tab, a step
// of the project's history, is Undo's while it is the step just made, Ctrl+2 too; the next Ctrl+1
// gives the selected template's history back, and Ctrl+2 leaves it: Undo takes back the template's
// rename, not the effect's.
TEST_F(UndoHistory, EnteringTheImageViewMakesTheSelectedObjectsHistoryActiveAndTheNodeGraphViewNone)
{
    KelNGObject* effect = addInversion(QStringLiteral("Tone"));
    settle();
    ASSERT_NO_FATAL_FAILURE(pickStoreTemplate());
    objectTemplate->objectInstance()->templateTreeItem->setText(0, QStringLiteral("Listed Glow"));
    settle();
    ASSERT_EQ(templateStack()->count(), 1);
    window->form()->actionImageView->trigger();
    settle();
    ASSERT_EQ(core()->selectedObject(), objectTemplate->objectInstance());
    EXPECT_EQ(window->undoGroup()->activeStack(), templateStack()) << "Ctrl+1 runs the selection's reaction";
    ASSERT_EQ(window->projectBrowser()->shownEffect(), effect);
    effect->projectBrowserItem->setText(1, QStringLiteral("Renamed"));
    settle();
    ASSERT_EQ(effect->graph()->displayName(), QStringLiteral("Renamed"));
    EXPECT_EQ(window->undoGroup()->activeStack(), core()->undoStack()) << "the step just made is Undo's";
    ASSERT_EQ(window->undoAction()->text(), QStringLiteral("Undo Name Change"));

    struct Visit
    {
        QAction* mode;
        QUndoStack* active;
        const char* undo;
    };
    const Visit visits[] = {
        {window->form()->actionNodeGraphView, core()->undoStack(), "Undo Name Change"},
        {window->form()->actionImageView, templateStack(), "Undo Object Template Name Change"},
        {window->form()->actionNodeGraphView, templateStack(), "Undo Object Template Name Change"},
    };
    for (Visit const& visit : visits) {
        visit.mode->trigger();
        settle();
        ASSERT_EQ(window->currentViewModeAction(), visit.mode);
        EXPECT_EQ(window->undoGroup()->activeStack(), visit.active) << visit.mode->text().toStdString();
        EXPECT_TRUE(window->undoAction()->isEnabled()) << visit.mode->text().toStdString();
        EXPECT_EQ(window->undoAction()->text(), QLatin1String(visit.undo)) << visit.mode->text().toStdString();
    }
    window->undoAction()->trigger();
    settle();
    EXPECT_EQ(objectTemplate->name(), QStringLiteral("Stored Glow")) << "Undo took back the template's rename";
    EXPECT_EQ(effect->graph()->displayName(), QStringLiteral("Renamed")) << "the effect's rename stays";
}

// A store template picked, a step of its own history made (its row renamed), then a name that
// goes onto the project's history (a node of the template renamed in the node panel, or the
// template renamed in the Template tab): the first Undo takes back that name, the second the
// template's own step, never the project's older step out of sight.
TEST_F(UndoHistory, AfterARenameOnTheProjectsHistoryUndoWalksTheSelectedTemplatesSteps)
{
    KelNGObject* effect = addInversion(QStringLiteral("Tone"));
    settle();
    effect->projectBrowserItem->setText(1, QStringLiteral("Renamed"));
    settle();
    ASSERT_EQ(core()->undoStack()->count(), 1);
    struct Rename
    {
        const char* where;
        const char* undo;
        std::function<void()> make;
        std::function<bool()> made;
    };
    KelNodes::Node* node = nullptr;
    QString nodeName;
    const Rename renames[] = {
        {"node panel", "Undo Rename Node",
         [&] {
             node = objectTemplate->objectInstance()->graph()->nodes().last();
             nodeName = node->name();
             KelNGNode* item = KelNGNode::itemOf(node);
             ASSERT_NE(item, nullptr);
             window->objectEditor()->selectedNodeChanged(item);
             QLineEdit* field = window->objectEditor()->nodePanelForm()->nodeNameEdit;
             field->setText(QStringLiteral("Named"));
             QTest::keyClick(field, Qt::Key_Return);
             settle();
         },
         [&] { return node && node->name() == QStringLiteral("Named"); }},
        {"Template tab", "Undo Object Template Name Change",
         [&] {
             editor()->tabWidget->setCurrentWidget(editor()->templateTab);
             settle();
             QLineEdit* name = window->objectEditor()->templateEditor()->form()->descriptionNameEdit;
             name->setFocus();
             name->selectAll();
             QTest::keyClicks(name, QStringLiteral("Typed Glow"));
             QTest::keyClick(name, Qt::Key_Return);
             settle();
         },
         [&] { return objectTemplate->name() == QStringLiteral("Typed Glow"); }},
    };
    for (Rename const& rename : renames) {
        SCOPED_TRACE(rename.where);
        ASSERT_NO_FATAL_FAILURE(pickStoreTemplate());
        objectTemplate->objectInstance()->templateTreeItem->setText(0, QStringLiteral("Listed Glow"));
        settle();
        ASSERT_EQ(window->undoGroup()->activeStack(), templateStack());
        const int projectSteps = core()->undoStack()->index();
        ASSERT_NO_FATAL_FAILURE(rename.make());
        ASSERT_TRUE(rename.made());
        ASSERT_EQ(core()->undoStack()->index(), projectSteps + 1) << "the name is a step of the project's history";
        EXPECT_EQ(window->undoAction()->text(), QLatin1String(rename.undo));

        window->undoAction()->trigger();
        settle();
        EXPECT_FALSE(rename.made()) << "the first Undo takes the name back";
        EXPECT_EQ(window->undoGroup()->activeStack(), templateStack());
        EXPECT_EQ(window->undoAction()->text(), QStringLiteral("Undo Object Template Name Change"));
        window->undoAction()->trigger();
        settle();
        EXPECT_EQ(objectTemplate->name(), QStringLiteral("Stored Glow")) << "the second the template's own step";
        EXPECT_EQ(effect->graph()->displayName(), QStringLiteral("Renamed")) << "the project's step stays";
    }
}

// The project as saved, a store template's name typed in the Template tab: a step of the
// project's history that leaves the project unmodified. Show: Project and an effect's row picked,
// Edit > Undo still offers it and takes it back, Redo makes it again; the template deleted, the
// step is still there and changes nothing.
TEST_F(UndoHistory, ATemplateRenamedInTheTemplateTabIsTakenBackFromTheProjectsHistory)
{
    KelNGObject* effect = addInversion(QStringLiteral("Tone"));
    settle();
    core()->setModified(false);
    ASSERT_EQ(core()->undoStack()->count(), 0);
    ASSERT_NO_FATAL_FAILURE(pickStoreTemplate());
    editor()->tabWidget->setCurrentWidget(editor()->templateTab);
    settle();
    TemplateEditor* templateEditor = window->objectEditor()->templateEditor();
    ASSERT_EQ(templateEditor->object(), objectTemplate->objectInstance());
    QLineEdit* name = templateEditor->form()->descriptionNameEdit;
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Renamed Glow"));
    QTest::keyClick(name, Qt::Key_Return);
    settle();
    ASSERT_EQ(objectTemplate->name(), QStringLiteral("Renamed Glow"));
    EXPECT_EQ(templateStack()->count(), 0);
    EXPECT_EQ(core()->undoStack()->count(), 1);
    EXPECT_FALSE(core()->isModified()) << "the project is as it was saved";
    EXPECT_EQ(window->undoGroup()->activeStack(), core()->undoStack());

    editor()->projectRadioButton->click();
    settle();
    editor()->treeWidget->setCurrentItem(effect->objectEditorItem);
    settle();
    ASSERT_EQ(core()->selectedObject(), effect);
    ASSERT_TRUE(window->undoAction()->isEnabled()) << "the rename is still in the project's history";
    EXPECT_EQ(window->undoAction()->text(), QStringLiteral("Undo Object Template Name Change"));
    window->undoAction()->trigger();
    settle();
    EXPECT_EQ(objectTemplate->name(), QStringLiteral("Stored Glow"));
    EXPECT_EQ(objectTemplate->objectInstance()->templateTreeItem->text(0), QStringLiteral("Stored Glow"));
    EXPECT_EQ(core()->selectedObject(), effect) << "the editors stay on what they show";
    EXPECT_EQ(templateEditor->object(), effect);
    ASSERT_TRUE(window->redoAction()->isEnabled());
    window->redoAction()->trigger();
    settle();
    EXPECT_EQ(objectTemplate->name(), QStringLiteral("Renamed Glow"));

    core()->templateStore()->deleteTemplate(objectTemplate, false);
    settle();
    ASSERT_TRUE(window->undoAction()->isEnabled());
    window->undoAction()->trigger();
    settle();
    window->redoAction()->trigger();
    settle();
    EXPECT_EQ(objectNames(), QStringList{QStringLiteral("Tone")});
}

// As above with a second template in the store, listed next to the deleted one: the hidden
// Templates list then highlights that one, which picks nothing while Show: Project is on: the
// effect stays selected and Edit > Undo still offers the project's step.
TEST_F(UndoHistory, ATemplateDeletedWhileTheProjectShowsLeavesTheEffectSelected)
{
    const QString other = QUuid::createUuid().toString();
    const QString otherPath = StoragePaths::objectTemplatePath(other);
    // Gone with the test, as the fixture's own: the store is the process's for every test.
    struct Removed
    {
        QString uuid;
        ~Removed()
        {
            QFile::remove(StoragePaths::objectTemplatePath(uuid));
            QFile::remove(StoragePaths::objectIconPath(uuid));
        }
    } const removed{other};
    ASSERT_TRUE(StoreTest::writeFile(otherPath, StoreTest::templateDocument({other, QStringLiteral("Another Glow")})));
    // The store reads its templates when the window is made.
    window.reset();
    window = std::make_unique<TwMainWindow>(nullptr);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    settle();
    objectTemplate = core()->templateStore()->getObjectTemplateFromUuid(uuid);
    ASSERT_NE(objectTemplate, nullptr);
    ASSERT_NE(core()->templateStore()->getObjectTemplateFromUuid(other), nullptr);

    KelNGObject* effect = addInversion(QStringLiteral("Tone"));
    settle();
    ASSERT_NO_FATAL_FAILURE(pickStoreTemplate());
    editor()->projectRadioButton->click();
    settle();
    editor()->treeWidget->setCurrentItem(effect->objectEditorItem);
    settle();
    effect->projectBrowserItem->setText(1, QStringLiteral("Renamed"));
    settle();
    ASSERT_EQ(core()->selectedObject(), effect);
    ASSERT_EQ(window->undoGroup()->activeStack(), core()->undoStack());

    core()->templateStore()->deleteTemplate(objectTemplate, false);
    objectTemplate = nullptr;
    settle();
    EXPECT_EQ(core()->selectedObject(), effect);
    EXPECT_EQ(window->undoGroup()->activeStack(), core()->undoStack());
    EXPECT_TRUE(window->undoAction()->isEnabled());
}

// Copy, Delete and Paste are disabled while the object editor shows its Templates page, even with
// a selection and a filled clipboard, in either view; the Project tab's bin still removes its
// effect.
TEST_F(UndoHistory, CopyDeleteAndPasteAreOffWhileTheTemplatesPageShows)
{
    KelNGObject* effect = addInversion(QStringLiteral("Tone"));
    settle();
    core()->setSelectedObject(effect);
    emit window->form()->menuEdit->aboutToShow();
    ASSERT_TRUE(window->form()->actionCopy->isEnabled());
    window->form()->actionCopy->trigger();
    ASSERT_NO_FATAL_FAILURE(pickTheStoreTemplateThenImageView());
    ASSERT_EQ(window->projectBrowser()->shownEffect(), effect);
    for (bool menuShown : {false, true}) {
        if (menuShown)
            emit window->form()->menuEdit->aboutToShow();
        EXPECT_FALSE(window->form()->actionCopy->isEnabled());
        EXPECT_FALSE(window->form()->actionDelete->isEnabled());
        EXPECT_FALSE(window->form()->actionPaste->isEnabled());
    }
    window->projectBrowser()->form()->deleteFilter->click();
    settle();
    EXPECT_TRUE(objectNames().isEmpty()) << "the Project tab's bin acts on its effect";
}

// A store template put into the project, a note typed into its own template, the insertion undone
// and redone: the effect comes back with its template whole and the note unsaved.
TEST_F(UndoHistory, AnInsertedEffectComesBackWithItsTemplateAndItsNote)
{
    ASSERT_NO_FATAL_FAILURE(editEffectTemplate());
    const QString typed = effect->objectTemplate()->description();
    ASSERT_TRUE(typed.endsWith(QStringLiteral("Effect edit.")));
    const QString name = effect->graph()->displayName();
    ASSERT_TRUE(window->undoAction()->isEnabled());
    window->undoAction()->trigger();
    settle();
    ASSERT_TRUE(objectNames().isEmpty());
    ASSERT_TRUE(window->redoAction()->isEnabled());
    window->redoAction()->trigger();
    settle();
    ASSERT_EQ(objectNames(), QStringList{name});
    KelNGObject* back = core()->objectList().first();
    KelTemplate* own = back->objectTemplate();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->name(), QStringLiteral("Stored Glow"));
    EXPECT_EQ(own->uuid(), uuid);
    EXPECT_EQ(own->description(), typed);
    EXPECT_TRUE(own->modified());
    EXPECT_TRUE(window->objectEditor()->unsavedTemplateOwners().contains(back)) << "quitting asks about the note";
}

} // namespace
} // namespace MainWindowTest

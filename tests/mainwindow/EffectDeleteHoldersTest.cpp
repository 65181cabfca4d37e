// An effect deleted from the Project tab while the object editor shows the Templates list with a
// store template picked: no editor goes on holding anything of the effect (the timeline's keys
// among them, read again when the window closes), the deletion is the step Edit > Undo and Ctrl+Z
// take back at once, and the effect comes back with its own template as it was, unsaved edits
// included.

#include "GraphContainers.h"
#include "TemplateEditFixture.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelTimeline.h"
#include "params/IParameterContainer.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"
#include "ui_TemplateEditor.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>

#include <tuple>

namespace MainWindowTest {
namespace {

enum class HolderShow { Project, Templates };
enum class HolderPath { Bin, DeleteKey, EditDelete };

using HolderCase = std::tuple<HolderShow, HolderPath>;

std::string holderCaseName(::testing::TestParamInfo<HolderCase> const& info)
{
    auto [show, path] = info.param;
    const char* paths[] = {"Bin", "DeleteKey", "EditDelete"};
    return std::string(show == HolderShow::Project ? "ShowProject_" : "ShowTemplates_") + paths[int(path)];
}

class EffectDeleteHolders : public TemplateEditFixture, public ::testing::WithParamInterface<HolderCase>
{
protected:
    Ui::ObjectEditor* editor() const { return window->objectEditor()->form(); }

    void pickTemplateRow()
    {
        KelNGObject* instance = objectTemplate->objectInstance();
        ASSERT_TRUE(instance && instance->templateTreeItem);
        editor()->templatesTreeWidget->setCurrentItem(instance->templateTreeItem);
        settle();
    }

    // The user's way there: the template's row picked, Show: Project and Show: Templates, the row
    // again; then the image view, the show mode of the case and the Project tab's effect.
    void pickTemplateThenImageView(HolderShow show, KelNGObject* effect)
    {
        window->form()->actionNodeGraphView->trigger();
        settle();
        editor()->templatesRadioButton->click();
        settle();
        ASSERT_NO_FATAL_FAILURE(pickTemplateRow());
        editor()->projectRadioButton->click();
        settle();
        editor()->templatesRadioButton->click();
        settle();
        ASSERT_NO_FATAL_FAILURE(pickTemplateRow());
        if (show == HolderShow::Project) {
            editor()->projectRadioButton->click();
            settle();
        }
        window->form()->actionImageView->trigger();
        settle();
        ASSERT_EQ(window->projectBrowser()->shownEffect(), effect) << "the Project tab shows the effect";
    }

    void deleteBy(HolderPath path)
    {
        switch (path) {
        case HolderPath::Bin:
            window->projectBrowser()->form()->deleteFilter->click();
            break;
        case HolderPath::DeleteKey: {
            QTreeWidget* rows = window->projectBrowser()->form()->treeWidget;
            rows->setFocus();
            QTest::keyClick(rows, Qt::Key_Delete);
            break;
        }
        case HolderPath::EditDelete:
            emit window->form()->menuEdit->aboutToShow();
            ASSERT_TRUE(window->form()->actionDelete->isEnabled());
            window->form()->actionDelete->trigger();
            break;
        }
        settle();
    }

    // Ctrl+Z typed wherever the focus is, as a user undoes.
    void pressUndo()
    {
        window->activateWindow();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);
        settle();
    }
};

TEST_P(EffectDeleteHolders, NoEditorKeepsTheDeletedEffectAndTheWindowClosesWhole)
{
    auto [show, path] = GetParam();
    KelNGObject* effect = addInversion(QStringLiteral("Tone"));
    ASSERT_NE(effect, nullptr);
    ASSERT_NO_FATAL_FAILURE(pickTemplateThenImageView(show, effect));
    QSet<KelUtils::IParameterContainer*> gone;
    collectContainers(effect->graph(), gone);

    ASSERT_NO_FATAL_FAILURE(deleteBy(path));
    ASSERT_TRUE(objectNames().isEmpty());
    KelTimeline* timeline = window->timeline();
    EXPECT_FALSE(gone.contains(timeline->masterContainer())) << "the timeline's frames are the deleted effect's";
    EXPECT_FALSE(gone.contains(timeline->selectedContainer())) << "the timeline's keys are the deleted effect's";

    // Closing reads what the timeline holds.
    core()->setModified(false);
    EXPECT_TRUE(window->close());
}

TEST_P(EffectDeleteHolders, TheDeleteIsUndoneAtOnce)
{
    auto [show, path] = GetParam();
    addInversion(QStringLiteral("First"));
    KelNGObject* effect = addInversion(QStringLiteral("Tone"));
    ASSERT_NO_FATAL_FAILURE(pickTemplateThenImageView(show, effect));
    core()->undoStack()->clear();

    ASSERT_NO_FATAL_FAILURE(deleteBy(path));
    ASSERT_EQ(objectNames(), QStringList{QStringLiteral("First")});
    EXPECT_TRUE(window->undoAction()->isEnabled()) << "Edit > Undo offers the delete";
    pressUndo();
    EXPECT_EQ(objectNames(), (QStringList{QStringLiteral("First"), QStringLiteral("Tone")})) << "Ctrl+Z undid the delete";

    // Deleted again, then the node-graph view with Show: Project: the step is still there.
    ASSERT_NO_FATAL_FAILURE(deleteBy(path));
    ASSERT_EQ(objectNames(), QStringList{QStringLiteral("First")});
    window->form()->actionNodeGraphView->trigger();
    settle();
    editor()->projectRadioButton->click();
    settle();
    EXPECT_TRUE(window->undoAction()->isEnabled()) << "Edit > Undo offers the delete after Show: Project";
    window->undoAction()->trigger();
    settle();
    EXPECT_EQ(objectNames(), (QStringList{QStringLiteral("First"), QStringLiteral("Tone")}));
}

// Edit > Delete is disabled while the object editor shows its Templates page: the Project tab's
// bin and its Delete key are the ways there.
INSTANTIATE_TEST_SUITE_P(Sweep, EffectDeleteHolders,
                         ::testing::Values(HolderCase{HolderShow::Project, HolderPath::Bin},
                                           HolderCase{HolderShow::Project, HolderPath::DeleteKey},
                                           HolderCase{HolderShow::Project, HolderPath::EditDelete},
                                           HolderCase{HolderShow::Templates, HolderPath::Bin},
                                           HolderCase{HolderShow::Templates, HolderPath::DeleteKey}),
                         holderCaseName);

// The effect's own template edit (a description typed in the Template tab, not saved) comes back
// with the effect: the text, the disk button, and the question at quitting.
class EffectDeleteTemplateEdit : public TemplateEditFixture
{
};

TEST_F(EffectDeleteTemplateEdit, UndoingTheDeleteGivesBackTheUnsavedTemplateEdit)
{
    ASSERT_NO_FATAL_FAILURE(editEffectTemplate());
    const QString typed = effect->objectTemplate()->description();
    ASSERT_TRUE(typed.endsWith(QStringLiteral("Effect edit.")));
    const QString name = effect->graph()->displayName();
    Ui::ObjectEditor* form = window->objectEditor()->form();

    window->form()->actionImageView->trigger();
    settle();
    ASSERT_EQ(window->projectBrowser()->shownEffect(), effect);
    window->projectBrowser()->form()->deleteFilter->click();
    settle();
    ASSERT_TRUE(objectNames().isEmpty());
    ASSERT_TRUE(window->undoAction()->isEnabled());
    window->undoAction()->trigger();
    settle();

    ASSERT_EQ(objectNames(), QStringList{name});
    KelNGObject* back = core()->objectList().first();
    ASSERT_NE(back->objectTemplate(), nullptr);
    EXPECT_EQ(back->objectTemplate()->description(), typed) << "the typed description came back";
    EXPECT_TRUE(back->objectTemplate()->modified());
    EXPECT_EQ(back->objectTemplate()->uuid(), uuid);
    EXPECT_TRUE(window->objectEditor()->unsavedTemplateOwners().contains(back)) << "quitting asks about it";

    window->form()->actionNodeGraphView->trigger();
    settle();
    form->projectRadioButton->click();
    form->treeWidget->setCurrentItem(back->objectEditorItem);
    form->tabWidget->setCurrentWidget(form->templateTab);
    settle();
    TemplateEditor* templateEditor = window->objectEditor()->templateEditor();
    ASSERT_EQ(templateEditor->object(), back);
    EXPECT_EQ(templateEditor->form()->descriptionEdit->toPlainText(), typed);
    EXPECT_TRUE(templateEditor->saveButton()->isEnabled()) << "the disk button offers the save";

    // Redone and undone again: still whole.
    window->redoAction()->trigger();
    settle();
    ASSERT_TRUE(objectNames().isEmpty());
    window->undoAction()->trigger();
    settle();
    ASSERT_EQ(objectNames(), QStringList{name});
    EXPECT_EQ(core()->objectList().first()->objectTemplate()->description(), typed);
}

} // namespace
} // namespace MainWindowTest

// Every way the real window replaces the project (New, Open through the dialog, a recent file, a
// file-open request from the system) asks about a project effect's own template edit before the
// effect goes, as quitting does; the store's templates stay, and their edits with them.

#include "MessageBoxes.h"
#include "TemplateEditFixture.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeGraph.h"
#include "ui_MainWindow.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>

#include <functional>

namespace MainWindowTest {
namespace {

struct Replace
{
    const char* name;
    // Replaces the window's project; `opened` is a project file for the ways that open one.
    std::function<void(TwMainWindow*, QString const& opened)> run;
    // The effects the window holds once the project was replaced.
    QStringList effectsAfter;
};

void PrintTo(Replace const& replace, std::ostream* out)
{
    *out << replace.name;
}

class ReplaceProjectQuestion : public TemplateEditFixture, public ::testing::WithParamInterface<Replace>
{
protected:
    void SetUp() override
    {
        TemplateEditFixture::SetUp();
        if (HasFatalFailure())
            return;
        // A project of one effect on disk, opened once so that the recent files list it.
        addInversion(QStringLiteral("Opened"));
        opened = dir.filePath(QStringLiteral("opened.vyxsg"));
        ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), opened));
        QString path = opened;
        window->openNodeGraph(core()->rootGraph(), path);
        settle();
        ASSERT_TRUE(window->on_actionNew_triggered());
        settle();
        ASSERT_TRUE(objectNames().isEmpty());
    }

    void replace()
    {
        GetParam().run(window.get(), opened);
        settle();
    }

    QString opened;
};

TEST_P(ReplaceProjectQuestion, CancelKeepsTheProjectAndTheEffectsTemplateEdit)
{
    editEffectTemplate();
    const QString edited = effect->objectTemplate()->description();
    const QString name = core()->projectName();
    MessageBoxes answers({QMessageBox::Discard, QMessageBox::Cancel});
    replace();
    ASSERT_EQ(answers.texts.size(), 2) << answers.texts.join(" | ").toStdString();
    EXPECT_TRUE(answers.texts.at(0).contains(QStringLiteral("has been modified"))) << answers.texts.at(0).toStdString();
    EXPECT_TRUE(answers.texts.at(1).contains(QStringLiteral("\"Stored Glow\" (of the effect \"Stored Glow\" in the project)")))
        << answers.texts.at(1).toStdString();
    // The effect is deleted when the project was replaced: nothing of it may be read then.
    ASSERT_TRUE(core()->objectList().contains(effect));
    EXPECT_EQ(objectNames(), QStringList({QStringLiteral("Stored Glow")}));
    EXPECT_EQ(core()->projectName(), name);
    EXPECT_TRUE(core()->isModified());
    EXPECT_TRUE(effect->objectTemplate()->modified());
    EXPECT_EQ(effect->objectTemplate()->description(), edited);
    EXPECT_EQ(window->objectEditor()->templateEditor()->object(), effect);
    EXPECT_TRUE(window->objectEditor()->templateEditor()->saveButton()->isEnabled());
    EXPECT_EQ(contentOf(path), original);
    EXPECT_FALSE(core()->renderBlocked());
}

// Save keeps the edit where the Template tab's disk button keeps it: the store, whose file of
// that UUID is replaced once the user agrees; then the project is replaced.
TEST_P(ReplaceProjectQuestion, SaveKeepsTheEffectsTemplateEditInTheStoreThenReplaces)
{
    editEffectTemplate();
    const QString edited = effect->objectTemplate()->description();
    MessageBoxes answers({QMessageBox::Discard, QMessageBox::Save, QMessageBox::Save});
    replace();
    ASSERT_EQ(answers.texts.size(), 3) << answers.texts.join(" | ").toStdString();
    EXPECT_TRUE(answers.texts.at(2).contains(QStringLiteral("already exists"))) << answers.texts.at(2).toStdString();
    EXPECT_EQ(objectNames(), GetParam().effectsAfter);
    EXPECT_NE(contentOf(path), original);
    EXPECT_EQ(storedDescription(), edited);
}

// Refusing to replace the store's file is a cancel: nothing is replaced, nothing lost.
TEST_P(ReplaceProjectQuestion, RefusingToReplaceTheStoreFileKeepsTheProject)
{
    editEffectTemplate();
    MessageBoxes answers({QMessageBox::Discard, QMessageBox::Save, QMessageBox::Cancel});
    replace();
    EXPECT_EQ(answers.texts.size(), 3) << answers.texts.join(" | ").toStdString();
    ASSERT_TRUE(core()->objectList().contains(effect));
    EXPECT_EQ(objectNames(), QStringList({QStringLiteral("Stored Glow")}));
    EXPECT_TRUE(effect->objectTemplate()->modified());
    EXPECT_EQ(contentOf(path), original);
}

TEST_P(ReplaceProjectQuestion, DiscardDropsTheEffectsTemplateEditAndReplaces)
{
    editEffectTemplate();
    MessageBoxes answers({QMessageBox::Discard, QMessageBox::Discard});
    replace();
    EXPECT_EQ(answers.texts.size(), 2) << answers.texts.join(" | ").toStdString();
    EXPECT_EQ(objectNames(), GetParam().effectsAfter);
    EXPECT_FALSE(window->objectEditor()->templateEditor()->saveButton()->isEnabled());
    EXPECT_EQ(contentOf(path), original);

    // Nothing is left to ask about.
    MessageBoxes atQuit({});
    window->close();
    settle();
    EXPECT_TRUE(atQuit.texts.isEmpty()) << atQuit.texts.join(" | ").toStdString();
}

// A saved project whose effect's template was edited: the template question alone.
TEST_P(ReplaceProjectQuestion, AnEffectsTemplateEditIsAskedAboutInASavedProject)
{
    editEffectTemplate();
    QString saved = dir.filePath(QStringLiteral("saved.vyxsg"));
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), saved));
    ASSERT_FALSE(core()->isModified());
    MessageBoxes answers({QMessageBox::Cancel});
    replace();
    ASSERT_EQ(answers.texts.size(), 1) << answers.texts.join(" | ").toStdString();
    EXPECT_TRUE(answers.texts.at(0).contains(QStringLiteral("(of the effect \"Stored Glow\" in the project)")))
        << answers.texts.at(0).toStdString();
    ASSERT_TRUE(core()->objectList().contains(effect));
    EXPECT_EQ(objectNames(), QStringList({QStringLiteral("Stored Glow")}));
    EXPECT_TRUE(effect->objectTemplate()->modified());
}

// The store stays when the project is replaced: its template's edit is not asked about, is kept,
// and quitting still asks about it.
TEST_P(ReplaceProjectQuestion, AStoreTemplateEditIsNotAskedAboutAndOutlivesTheProject)
{
    editDescription();
    const QString edited = objectTemplate->description();
    {
        MessageBoxes answers({});
        replace();
        EXPECT_TRUE(answers.texts.isEmpty()) << answers.texts.join(" | ").toStdString();
    }
    EXPECT_EQ(objectNames(), GetParam().effectsAfter);
    EXPECT_TRUE(objectTemplate->modified());
    EXPECT_EQ(objectTemplate->description(), edited);
    EXPECT_EQ(contentOf(path), original);

    MessageBoxes atQuit({QMessageBox::Cancel});
    window->close();
    settle();
    ASSERT_EQ(atQuit.texts.size(), 1) << atQuit.texts.join(" | ").toStdString();
    EXPECT_TRUE(atQuit.texts.at(0).contains(QStringLiteral("\"Stored Glow\""))) << atQuit.texts.at(0).toStdString();
    EXPECT_TRUE(window->isVisible());
}

QAction* recentFileAction(TwMainWindow* window, QString const& path)
{
    for (QAction* action : window->form()->menuFile->actions()) {
        if (action->isVisible() && action->data().toString() == path)
            return action;
    }
    return nullptr;
}

// The template of an effect made with +, which has no name and no UUID yet, is asked about by its
// effect's name, and Save stores it as the Template tab would.
TEST_P(ReplaceProjectQuestion, ANamelessTemplateIsNamedByItsEffectAndSaved)
{
    editNamelessEffectTemplate();
    MessageBoxes answers({QMessageBox::Discard, QMessageBox::Save}, QMessageBox::Cancel);
    replace();
    ASSERT_EQ(answers.texts.size(), 2) << answers.texts.join(" | ").toStdString();
    EXPECT_TRUE(answers.texts.at(1).contains(QStringLiteral("The template of the effect \"Tone FX\" in the project has been modified")))
        << answers.texts.at(1).toStdString();
    EXPECT_EQ(objectNames(), GetParam().effectsAfter);
    KelTemplate* stored = storedTemplateNamed(QStringLiteral("Tone FX"));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->description(), QStringLiteral("A note."));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ReplaceProjectQuestion,
    ::testing::Values(
        Replace{"New", [](TwMainWindow* window, QString const&) { window->form()->actionNew->trigger(); }, {}},
        Replace{"OpenDialog",
                [](TwMainWindow* window, QString const& opened) {
                    answerFileDialog(opened);
                    window->form()->actionOpen->trigger();
                },
                {QStringLiteral("Opened")}},
        Replace{"RecentFile",
                [](TwMainWindow* window, QString const& opened) {
                    QAction* action = recentFileAction(window, opened);
                    ASSERT_NE(action, nullptr);
                    action->trigger();
                },
                {QStringLiteral("Opened")}},
        // What a file-open request of the system (a file dropped on the program's icon) calls.
        Replace{"FileOpenRequest",
                [](TwMainWindow* window, QString const& opened) { window->openAndSetupProject(opened); },
                {QStringLiteral("Opened")}}),
    [](auto const& info) { return std::string(info.param.name); });

} // namespace
} // namespace MainWindowTest

// Quitting the real window (the Exit action, its Ctrl+Q shortcut, or closing the window) with a template of the
// store edited on the Templates page, or a project effect's own template edited in the Template
// tab: the question covers every such template as it covers the project.

#include "MessageBoxes.h"
#include "TemplateEditFixture.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_TemplateEditor.h"

#include <QTabWidget>
#include <QToolButton>

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QShortcutEvent>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUuid>

#include <functional>

namespace MainWindowTest {
namespace {

struct Quit
{
    const char* name;
    std::function<void(TwMainWindow*)> run;
};

void PrintTo(Quit const& quit, std::ostream* out)
{
    *out << quit.name;
}

class QuitQuestion : public TemplateEditFixture, public ::testing::WithParamInterface<Quit>
{
};

TEST_P(QuitQuestion, CancelKeepsTheWindowAndTheEdit)
{
    editDescription();
    MessageBoxes answers({QMessageBox::Cancel});
    GetParam().run(window.get());
    settle();
    ASSERT_EQ(answers.texts.size(), 1);
    EXPECT_TRUE(answers.texts.first().contains(QStringLiteral("\"Stored Glow\""))) << answers.texts.first().toStdString();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(objectTemplate->modified());
    EXPECT_TRUE(objectTemplate->description().endsWith(QStringLiteral("Edited.")));
    EXPECT_EQ(contentOf(path), original);
    EXPECT_FALSE(core()->renderBlocked());
}

TEST_P(QuitQuestion, SaveWritesTheTemplateFileAndQuits)
{
    editDescription();
    const QString edited = objectTemplate->description();
    MessageBoxes answers({QMessageBox::Save});
    GetParam().run(window.get());
    settle();
    EXPECT_EQ(answers.texts.size(), 1) << "one question, no second one about the template's own file";
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(contentOf(path), original);
    EXPECT_EQ(storedDescription(), edited);
}

TEST_P(QuitQuestion, DiscardQuitsWithoutWriting)
{
    editDescription();
    MessageBoxes answers({QMessageBox::Discard});
    GetParam().run(window.get());
    settle();
    EXPECT_EQ(answers.texts.size(), 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(contentOf(path), original);
}

TEST_P(QuitQuestion, NothingEditedQuitsWithoutAQuestion)
{
    window->form()->actionNodeGraphView->trigger();
    window->objectEditor()->form()->templatesRadioButton->click();
    settle();
    MessageBoxes answers({});
    GetParam().run(window.get());
    settle();
    EXPECT_TRUE(answers.texts.isEmpty()) << answers.texts.join(" | ").toStdString();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(contentOf(path), original);
}

// An edited project and an edited template: one question each, the project's first; Cancel in
// the second keeps the window with both edits.
TEST_P(QuitQuestion, TheProjectIsAskedForFirstAndCancelOnTheTemplateKeepsBoth)
{
    addInversion(QStringLiteral("Edited"));
    editDescription();
    {
        MessageBoxes answers({QMessageBox::Discard, QMessageBox::Cancel});
        GetParam().run(window.get());
        settle();
        ASSERT_EQ(answers.texts.size(), 2);
        EXPECT_TRUE(answers.texts.at(0).contains(QStringLiteral("\"Untitled\" has been modified")));
        EXPECT_TRUE(answers.texts.at(1).contains(QStringLiteral("\"Stored Glow\"")));
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(core()->isModified());
    EXPECT_EQ(objectNames(), QStringList({QStringLiteral("Edited")}));
    EXPECT_TRUE(objectTemplate->modified());

    MessageBoxes answers({QMessageBox::Discard, QMessageBox::Save});
    GetParam().run(window.get());
    settle();
    EXPECT_EQ(answers.texts.size(), 2);
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(contentOf(path), original);
}

// A project effect's own template, edited in the Template tab, is asked about after the project,
// named as the effect's (the store has a template of the same name), and Cancel keeps both.
TEST_P(QuitQuestion, AnEffectsTemplateEditIsAskedAboutAndCancelKeepsIt)
{
    editEffectTemplate();
    ASSERT_FALSE(objectTemplate->modified()) << "the store's template is not the one edited";
    MessageBoxes answers({QMessageBox::Discard, QMessageBox::Cancel});
    GetParam().run(window.get());
    settle();
    ASSERT_EQ(answers.texts.size(), 2) << answers.texts.join(" | ").toStdString();
    EXPECT_TRUE(answers.texts.at(0).contains(QStringLiteral("\"Untitled\" has been modified")));
    EXPECT_TRUE(answers.texts.at(1).contains(QStringLiteral("\"Stored Glow\" (of the effect \"Stored Glow\" in the project)")))
        << answers.texts.at(1).toStdString();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(effect->objectTemplate()->modified());
    EXPECT_TRUE(effect->objectTemplate()->description().endsWith(QStringLiteral("Effect edit.")));
    EXPECT_TRUE(window->objectEditor()->templateEditor()->saveButton()->isEnabled());
    EXPECT_EQ(contentOf(path), original);
}

// Save keeps the edit where the Template tab's disk button keeps it: the store, which already has
// a file of that UUID, so the same second question as the button's comes first.
TEST_P(QuitQuestion, SaveKeepsAnEffectsTemplateEditInTheStore)
{
    editEffectTemplate();
    const QString edited = effect->objectTemplate()->description();
    MessageBoxes answers({QMessageBox::Discard, QMessageBox::Save, QMessageBox::Save});
    GetParam().run(window.get());
    settle();
    ASSERT_EQ(answers.texts.size(), 3) << answers.texts.join(" | ").toStdString();
    EXPECT_TRUE(answers.texts.at(2).contains(QStringLiteral("already exists"))) << answers.texts.at(2).toStdString();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(storedDescription(), edited);
}

// Refusing to replace the store's file keeps the window and the edit: nothing is lost.
TEST_P(QuitQuestion, RefusingToReplaceTheStoreFileKeepsTheWindowAndTheEdit)
{
    editEffectTemplate();
    MessageBoxes answers({QMessageBox::Discard, QMessageBox::Save, QMessageBox::Cancel});
    GetParam().run(window.get());
    settle();
    EXPECT_EQ(answers.texts.size(), 3) << answers.texts.join(" | ").toStdString();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(effect->objectTemplate()->modified());
    EXPECT_EQ(contentOf(path), original);
    EXPECT_FALSE(core()->renderBlocked());
}

TEST_P(QuitQuestion, DiscardDropsAnEffectsTemplateEdit)
{
    editEffectTemplate();
    MessageBoxes answers({QMessageBox::Discard, QMessageBox::Discard});
    GetParam().run(window.get());
    settle();
    EXPECT_EQ(answers.texts.size(), 2);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(contentOf(path), original);
}

// Both edited: one question lists both, each named as which it is; Save writes the store's own
// file first, then the effect's template over it once the user agrees.
TEST_P(QuitQuestion, TheStoreTemplateAndTheEffectsTemplateOfTheSameNameAreTold)
{
    editDescription();
    editEffectTemplate();
    const QString edited = effect->objectTemplate()->description();
    MessageBoxes answers({QMessageBox::Discard, QMessageBox::Save, QMessageBox::Save});
    GetParam().run(window.get());
    settle();
    ASSERT_EQ(answers.texts.size(), 3) << answers.texts.join(" | ").toStdString();
    EXPECT_TRUE(answers.texts.at(1).contains(QStringLiteral("\"Stored Glow\" (in the template store)")))
        << answers.texts.at(1).toStdString();
    EXPECT_TRUE(answers.texts.at(1).contains(QStringLiteral("\"Stored Glow\" (of the effect \"Stored Glow\" in the project)")))
        << answers.texts.at(1).toStdString();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(storedDescription(), edited);
}

// An effect made with + has a template of no name and no UUID: the question names it by its
// effect, and Save stores it as the Template tab would, with a UUID and the effect's name.
TEST_P(QuitQuestion, ANamelessTemplateIsNamedByItsEffectAndSaved)
{
    editNamelessEffectTemplate();
    MessageBoxes answers({QMessageBox::Discard, QMessageBox::Save}, QMessageBox::Cancel);
    GetParam().run(window.get());
    settle();
    ASSERT_EQ(answers.texts.size(), 2) << answers.texts.join(" | ").toStdString();
    const QString question = answers.texts.at(1);
    EXPECT_FALSE(question.contains(QStringLiteral("\"\""))) << question.toStdString();
    EXPECT_TRUE(question.contains(QStringLiteral("The template of the effect \"Tone FX\" in the project has been modified")))
        << question.toStdString();
    EXPECT_FALSE(window->isVisible()) << answers.texts.join(" | ").toStdString();

    // The store now holds it under the effect's name, with the typed note.
    KelTemplate* stored = storedTemplateNamed(QStringLiteral("Tone FX"));
    ASSERT_NE(stored, nullptr);
    EXPECT_FALSE(QUuid::fromString(stored->uuid()).isNull());
    EXPECT_EQ(stored->description(), QStringLiteral("A note."));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, QuitQuestion,
    ::testing::Values(Quit{"ExitAction", [](TwMainWindow* window) { window->form()->actionExit->trigger(); }},
                      Quit{"CloseWindow", [](TwMainWindow* window) { window->close(); }},
                      Quit{"CtrlQ",
                           [](TwMainWindow* window) {
                               // Delivered as the shortcut map delivers the key, with no need
                               // for window focus; the typed key runs under Xvfb (RealWindow).
                               QAction* exit = window->form()->actionExit;
                               EXPECT_EQ(exit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
                               EXPECT_TRUE(exit->isEnabled());
                               QShortcutEvent event(exit->shortcut(), 0);
                               QCoreApplication::sendEvent(exit, &event);
                           }}),
    [](auto const& info) { return std::string(info.param.name); });

} // namespace
} // namespace MainWindowTest

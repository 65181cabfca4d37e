#include "MainWindowFixture.h"

#include "app/AddressSpaceLimit.h"
#include "app/FileSizeLimit.h"
#include "app/HostileFiles.h"

#include "ui_MainWindow.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "app/TwUtilities.h"
#include "browser/ImageView.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "browser/TwSaveSequence.h"
#include "nodeui/KelTimeline.h"
#include "ui_ProjectBrowser.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelParam.h"
#include "io/RegularFileReader.h"
#include "params/IParameterContainer.h"

#include <QBuffer>
#include <QFileInfo>
#include <QDockWidget>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>
#include <QApplication>
#include <QFileDialog>
#include <QSplitter>
#include <QSpinBox>
#include <QToolButton>
#include <QLineEdit>
#include <QPushButton>
#include <QLabel>
#include <QTest>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUndoStack>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace MainWindowTest {
namespace {

using MainWindowStart = MainWindowFixture;

TEST_F(MainWindowStart, StartsUntitledWithSaveDisabledAndShowsTheFilteredPreview)
{
    EXPECT_EQ(window->windowTitle(), "Vyx-Solenne - Untitled[*]");
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_FALSE(window->form()->actionSave->isEnabled());
    EXPECT_FALSE(window->form()->actionSaveAs->isEnabled());
    EXPECT_FALSE(window->form()->actionCopy->isEnabled());
    EXPECT_FALSE(window->form()->actionPaste->isEnabled());
    EXPECT_TRUE(window->form()->actionCheckForTemplates->isEnabled());
    // The default preview image is the source, and without objects the result equals it.
    ASSERT_FALSE(window->imageView()->image().isNull());
    EXPECT_EQ(window->imageView()->image().size(), core()->sourceImage()->size());
    EXPECT_EQ(core()->sourceImage()->size(), QImage(TwUtilities::getResourcesDirectory() + "/tw/preview_big.png").size());
    EXPECT_TRUE(window->debugWindow() != nullptr);
}

TEST_F(MainWindowStart, ActionsCarryTheirTextsShortcutsAndMenus)
{
    Ui::MainWindow* ui = window->form();
    struct Row {
        QAction* action;
        const char* text;
        const char* shortcut;
        QMenu* menu;
    };
    const Row rows[] = {
        {ui->actionNew, "New", "Ctrl+N", ui->menuFile},
        {ui->actionOpen, "Open...", "Ctrl+O", ui->menuFile},
        {ui->actionSave, "Save", "Ctrl+S", ui->menuFile},
        {ui->actionSaveAs, "Save As...", "Ctrl+Alt+S", ui->menuFile},
        {ui->actionExit, "Exit", "Ctrl+Q", ui->menuFile},
        {ui->actionCopy, "Copy", "Ctrl+C", ui->menuEdit},
        {ui->actionPaste, "Paste", "Ctrl+V", ui->menuEdit},
        {ui->actionDelete, "Delete", "", ui->menuEdit},
        {ui->actionSaveSequence, "Save Sequence...", "", ui->menuProject},
        {ui->actionSaveImage, "Save Image...", "", ui->menuProject},
        {ui->actionImageView, "Image View", "Ctrl+1", ui->menuView},
        {ui->actionNodeGraphView, "NodeGraph View", "Ctrl+2", ui->menuView},
        {ui->actionToggleBrowser, "Toggle Browser / Timeline", "Ctrl+B", ui->menuView},
        {ui->actionHelp, "Vyx-Solenne Help", "", ui->menuHelp},
        {ui->actionAbout, "About", "", ui->menuHelp},
        {ui->actionCheckForTemplates, "Update Templates...", "", ui->menuHelp},
        {ui->actionPreferences, "Preferences...", "Ctrl+,", ui->menuHelp},
        {window->undoAction(), nullptr, "Ctrl+Z", ui->menuEdit},
        {window->redoAction(), nullptr, "Ctrl+Shift+Z", ui->menuEdit},
    };
    for (Row const& row : rows) {
        if (row.text) {
            EXPECT_EQ(row.action->text(), row.text);
        }
        EXPECT_EQ(row.action->shortcut().toString(), row.shortcut) << row.action->text().toStdString();
        EXPECT_TRUE(row.menu->actions().contains(row.action)) << row.action->text().toStdString();
    }
    // Undo and redo head the Edit menu, before a separator and Copy.
    QList<QAction*> const edit = ui->menuEdit->actions();
    ASSERT_GE(edit.size(), 4);
    EXPECT_EQ(edit.at(0), window->undoAction());
    EXPECT_EQ(edit.at(1), window->redoAction());
    EXPECT_TRUE(edit.at(2)->isSeparator());
    EXPECT_EQ(edit.at(3), ui->actionCopy);
    EXPECT_TRUE(ui->actionToggleBrowser->isChecked());
    EXPECT_EQ(window->viewModeMenu()->title(), "{Image View}");
}

TEST_F(MainWindowStart, AnImageThatCannotBeReadIsReportedWithTheReasonAndTheSourceStays)
{
    // A layered Photoshop file whose composite is cut short.
    QFile psd(QStringLiteral(VYX_TEST_DATA_DIR) + "/layered.psd");
    ASSERT_TRUE(psd.open(QIODevice::ReadOnly));
    const QByteArray bytes = psd.readAll();
    struct Case {
        QString name;
        QByteArray content;
        QStringList reason;
    };
    const Case cases[] = {
        {"composite-cut.psd", bytes.left(bytes.size() - 20), {}},
        // Whole, but above the size limit: the limit is the reason, not damage.
        {"huge.png", HostileFiles::pngBomb(20000, 8000), {"too large", "20000 x 8000", "million"}},
    };
    for (Case const& c : cases) {
        const QString path = dir.filePath(c.name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        file.close();

        const QImage before = *core()->sourceImage();
        QString warning;
        answerMessageBox(QMessageBox::Ok, &warning);
        window->imageChangedInBrowser(path);
        settle();
        EXPECT_TRUE(warning.contains(QDir::toNativeSeparators(path))) << warning.toStdString();
        EXPECT_TRUE(warning.contains("\n\n")) << "with a reason: " << warning.toStdString();
        for (QString const& part : c.reason)
            EXPECT_TRUE(warning.contains(part)) << warning.toStdString();
        EXPECT_EQ(*core()->sourceImage(), before);
    }
}

TEST(MainWindowArguments, TheFirstArgumentThatIsNoOptionNamesTheProject)
{
    struct Case {
        QStringList arguments;
        QString project;
    };
    const Case cases[] = {
        {{"vyx-solenne"}, ""},
        {{"vyx-solenne", "a.vyxsg"}, "a.vyxsg"},
        {{"vyx-solenne", "--nosplash", "p.vyxsg"}, "p.vyxsg"},
        {{"vyx-solenne", "p.vyxsg", "--nosplash"}, "p.vyxsg"},
        {{"vyx-solenne", "--nosplash"}, ""},
        {{"vyx-solenne", "a.vyxsg", "b.vyxsg"}, "a.vyxsg"},
    };
    for (Case const& c : cases)
        EXPECT_EQ(TwMainWindow::startupProjectArgument(c.arguments), c.project) << c.arguments.join(' ').toStdString();
}


using RecentFiles = MainWindowFixture;

TEST_F(RecentFiles, NewestFirstWithoutDuplicatesAndAtMostFive)
{
    QSettings().remove("recentFileList");
    window->updateRecentFileActions();
    window->addFileToRecentFileList("/p/one.vyxsg");
    window->addFileToRecentFileList("/p/two.vyxsg");
    Ui::MainWindow* ui = window->form();
    EXPECT_EQ(ui->actionRecentFile1->text(), "&1 two");
    EXPECT_EQ(ui->actionRecentFile2->text(), "&2 one");
    EXPECT_EQ(ui->actionRecentFile1->data().toString(), "/p/two.vyxsg");
    EXPECT_TRUE(ui->actionRecentFile2->isVisible());
    EXPECT_FALSE(ui->actionRecentFile3->isVisible());

    window->addFileToRecentFileList("/p/one.vyxsg");
    EXPECT_EQ(QSettings().value("recentFileList").toStringList(), QStringList({"/p/one.vyxsg", "/p/two.vyxsg"}));
    for (const char* name : {"/p/3.vyxsg", "/p/4.vyxsg", "/p/5.vyxsg", "/p/6.vyxsg"})
        window->addFileToRecentFileList(name);
    const QStringList list = QSettings().value("recentFileList").toStringList();
    EXPECT_EQ(list, QStringList({"/p/6.vyxsg", "/p/5.vyxsg", "/p/4.vyxsg", "/p/3.vyxsg", "/p/one.vyxsg"}));
    EXPECT_TRUE(ui->actionRecentFile5->isVisible());
    EXPECT_EQ(ui->actionRecentFile5->text(), "&5 one");
    QSettings().remove("recentFileList");
}

using ProjectFiles = MainWindowFixture;

TEST_F(ProjectFiles, SaveAsOpenAndNewKeepTitleFlagsAndUndoHistoryInStep)
{
    QSettings().setValue("lastProjectLocation", dir.path());
    addInversion("Inversion");
    EXPECT_TRUE(core()->isModified());
    EXPECT_TRUE(window->form()->actionSaveAs->isEnabled());
    EXPECT_FALSE(window->form()->actionSave->isEnabled()) << "no file yet";
    EXPECT_EQ(window->windowTitle(), "Vyx-Solenne - Untitled[*]");
    EXPECT_TRUE(window->isWindowModified());

    const QString path = dir.filePath("scene.vyxsg");
    QString proposed;
    answerFileDialog(path, [&](QFileDialog* dialog) { proposed = dialog->selectedFiles().value(0); });
    window->form()->actionSaveAs->trigger();
    EXPECT_EQ(QFileInfo(proposed).fileName(), "Untitled.vyxsg");
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(window->windowTitle(), "Vyx-Solenne - scene[*]");
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_TRUE(core()->hasProjectFile());
    EXPECT_EQ(core()->undoStack()->count(), 0);
    EXPECT_FALSE(QSettings().value("recentFileList").toStringList().contains(path)) << "Save adds no recent file";

    ASSERT_TRUE(window->on_actionNew_triggered());
    settle();
    EXPECT_TRUE(core()->objectList().isEmpty());
    EXPECT_EQ(window->windowTitle(), "Vyx-Solenne - Untitled[*]");
    EXPECT_FALSE(core()->hasProjectFile());

    QString openPath = path;
    window->openNodeGraph(core()->rootGraph(), openPath);
    settle();
    EXPECT_EQ(objectNames(), QStringList({"Inversion"}));
    EXPECT_EQ(window->windowTitle(), "Vyx-Solenne - scene[*]");
    EXPECT_FALSE(core()->isModified());
    EXPECT_FALSE(window->undoAction()->isEnabled());
    EXPECT_EQ(QSettings().value("recentFileList").toStringList().value(0), path);

    // A removal clears the saved mark: Save stays off and the question asks for a name.
    core()->deleteSelectedObjects();
    settle();
    EXPECT_TRUE(core()->isModified());
    EXPECT_FALSE(window->form()->actionSave->isEnabled());
}

TEST_F(ProjectFiles, SaveAsGivesANameTypedWithoutTheSuffixTheProjectSuffixAndAsksBeforeReplacing)
{
    struct Case {
        QString typed;
        QString written;
        QByteArray before; // the written file's bytes before the save; empty: no such file
        int answer;        // to the question about replacing it; 0: no question may come
    };
    const Case cases[] = {
        {"first", "first.vyxsg", "", 0},
        {"x.vyxsg", "x.vyxsg", "", 0},
        {"notes.txt", "notes.txt.vyxsg", "", 0},
        {"again", "again.vyxsg", "old", QMessageBox::No},
        {"again", "again.vyxsg", "old", QMessageBox::Yes},
    };
    addInversion("Inversion");
    for (Case const& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        const QString target = dir.filePath(c.written);
        QFile::remove(target);
        if (!c.before.isEmpty()) {
            ASSERT_TRUE(AppTest::writeFileBytes(target, c.before));
        }
        core()->setModified(true);
        QString question;
        answerFileDialog(dir.filePath(c.typed));
        if (c.answer)
            answerMessageBox(c.answer, &question);
        window->on_actionSaveAs_triggered();
        if (c.answer) {
            EXPECT_TRUE(question.contains(QDir::toNativeSeparators(target))) << question.toStdString();
        }
        const bool kept = c.answer == QMessageBox::No;
        EXPECT_EQ(AppTest::fileBytes(target) == c.before, kept);
        EXPECT_EQ(AppTest::fileBytes(target).contains("<graph"), !kept);
        EXPECT_FALSE(QFile::exists(dir.filePath(c.typed)) && c.typed != c.written);
        EXPECT_EQ(core()->projectName().toStdString(), (kept ? dir.filePath("notes.txt.vyxsg") : target).toStdString());
        EXPECT_EQ(core()->isModified(), kept);
    }
}

// The frame field follows frames set elsewhere than in it: by an open, a New and an export.
TEST_F(ProjectFiles, TheFrameFieldShowsTheFrameOfTheProject)
{
    KelNGObject* object = addInversion("Inversion");
    core()->setSelectedObject(object);
    settle();
    KelTimeline* timeline = window->timeline();
    auto* field = timeline->findChild<QSpinBox*>("currentFrameSB");
    ASSERT_NE(field, nullptr);
    timeline->setCurrentFrame(25);
    settle();
    QString path = dir.filePath("frame.vyxsg");
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), path));

    ASSERT_TRUE(window->on_actionNew_triggered());
    settle();
    EXPECT_EQ(field->value(), 0) << "after New";
    window->openNodeGraph(core()->rootGraph(), path);
    settle();
    ASSERT_NE(timeline->selectedContainer(), nullptr);
    ASSERT_EQ(timeline->selectedContainer()->currentFrame(), 25) << "the frame the ruler marks";
    EXPECT_EQ(field->value(), 25) << "after Open";
    ASSERT_TRUE(window->on_actionNew_triggered());
    settle();
    EXPECT_EQ(field->value(), 0) << "after New";

    // An export of frame 2 gives the object its own frame back, though the root graph, whose
    // frame the export sets for all, stood at another.
    window->openNodeGraph(core()->rootGraph(), path);
    settle();
    const int usersFrame = 25;
    ASSERT_NE(core()->rootGraph()->paramContainer()->currentFrame(), usersFrame);
    const bool started = exportThroughTheDialog([this] { window->saveSequence(); }, dir.path(), 2, 2);
    settle();
    EXPECT_TRUE(started);
    EXPECT_EQ(timeline->selectedContainer()->currentFrame(), usersFrame);
    EXPECT_EQ(field->value(), usersFrame) << "after an export";
}

// The end frame, reached by its button or typed into the field, is the last frame the effect
// holds: the field reads the frame the effect and the picture are at, not one they refused.
TEST_F(ProjectFiles, TheEndFrameIsTheLastFrameTheFieldAndTheEffectShare)
{
    KelNGObject* object = addInversion("Inversion");
    core()->setSelectedObject(object);
    settle();
    KelTimeline* timeline = window->timeline();
    auto* field = timeline->findChild<QSpinBox*>("currentFrameSB");
    auto* end = timeline->findChild<QSpinBox*>("endFrameSB");
    auto* button = timeline->findChild<QToolButton*>("gotoEndFrameTB");
    ASSERT_TRUE(field && end && button);
    ASSERT_NE(timeline->selectedContainer(), nullptr);
    const int last = timeline->selectedContainer()->numFrames() - 1;
    ASSERT_EQ(end->value(), last + 1);
    const std::function<void()> ways[] = {
        [&] { button->click(); },
        [&] {
            field->setValue(end->value());
            emit field->editingFinished();
        },
    };
    for (std::size_t way = 0; way < std::size(ways); ++way) {
        SCOPED_TRACE(way);
        timeline->setCurrentFrame(25);
        settle();
        ways[way]();
        settle();
        EXPECT_EQ(timeline->selectedContainer()->currentFrame(), last);
        EXPECT_EQ(field->value(), last);
    }
}

TEST_F(ProjectFiles, AFileThatCannotBeReadKeepsTheOpenProject)
{
    addInversion("Kept");
    core()->setModified(false);
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(dir.filePath("picture.png")));
    // Nested far deeper than any graph: refused before the parser, whose time grows with the
    // square of the depth, would take over a minute.
    const QByteArray deep = QByteArray("<graph><nodes>").repeated(50000) + QByteArray("</nodes></graph>").repeated(50000);
    struct Case {
        QString name;
        QByteArray content; // empty: no file written
        QStringList parts;
    };
    const Case cases[] = {
        {"garbage.vyxsg", "<graph><node", {"project \"", "could not be read", "(line 1, column"}},
        {"other.vyxsg", "<template/>", {"is not a Vyx-Solenne project."}},
        {"picture.png", QByteArray(),
         {"is not a Vyx-Solenne project.\n\n", "incorrectly encoded content. (line 1, column 1)."}},
        {"missing.vyxsg", QByteArray(), {"could not be opened"}},
        {"deep.vyxsg", deep, {"could not be read", "nested deeper than"}},
        // An undeclared prefix no longer lets the depth pass end early.
        {"prefixed.vyxsg", "<graph><p:q/>" + deep + "</graph>", {"could not be read", "nested deeper than"}},
    };
    for (Case const& c : cases) {
        if (!c.content.isEmpty()) {
            QFile file(dir.filePath(c.name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.content);
        }
        QString text;
        answerMessageBox(QMessageBox::Ok, &text);
        QString path = dir.filePath(c.name);
        window->openNodeGraph(core()->rootGraph(), path);
        settle();
        EXPECT_TRUE(text.contains(QDir::toNativeSeparators(path))) << text.toStdString();
        for (QString const& part : c.parts)
            EXPECT_TRUE(text.contains(part)) << text.toStdString();
        EXPECT_EQ(objectNames(), QStringList({"Kept"})) << c.name.toStdString();
        EXPECT_FALSE(core()->isModified());
    }
}

// A project declared in an encoding the reader does not follow is told as what it is: a project
// in an encoding this program does not read, named, in sentences that start as sentences.
TEST_F(ProjectFiles, AProjectInAnEncodingNotReadIsRefusedForItsEncoding)
{
    addInversion("Kept");
    core()->setModified(false);
    for (const char* encoding : {"Shift_JIS", "Big5", "IBM037", "UTF-7", "x-no-such-encoding"}) {
        SCOPED_TRACE(encoding);
        const QString path = dir.filePath(QStringLiteral("%1.vyxsg").arg(QLatin1String(encoding)));
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("<?xml version=\"1.0\" encoding=\"" + QByteArray(encoding) + "\"?>\n<graph/>\n");
        }
        QString text;
        answerMessageBox(QMessageBox::Ok, &text);
        QString opened = path;
        window->openNodeGraph(core()->rootGraph(), opened);
        settle();
        EXPECT_TRUE(text.startsWith(QStringLiteral("The project \"%1\" is in the encoding \"%2\", which this program "
                                                   "does not read.")
                                        .arg(QDir::toNativeSeparators(path), QLatin1String(encoding))))
            << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("not a Vyx-Solenne project"))) << text.toStdString();
        for (QString const& paragraph : text.split(QStringLiteral("\n\n")))
            EXPECT_TRUE(!paragraph.isEmpty() && paragraph.at(0).isUpper()) << text.toStdString();
        EXPECT_EQ(objectNames(), QStringList({"Kept"}));
        EXPECT_FALSE(core()->isModified());
    }
}

// A project in an encoding the program reads (UHC) whose bytes hold a sequence that is no
// character of it, taking in markup, is refused as damaged, not as a project in an encoding the
// program does not read, in sentences that start as sentences.
TEST_F(ProjectFiles, ADamagedProjectInAnEncodingReadIsRefusedAsDamaged)
{
    addInversion("Kept");
    core()->setModified(false);
    const QString path = dir.filePath(QStringLiteral("uhc.vyxsg"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        // 0x81 leads a character in UHC; "]" cannot end one.
        file.write("<?xml version=\"1.0\" encoding=\"windows-949\"?>\n<graph name=\"\x81]\"/>\n");
    }
    QString text;
    answerMessageBox(QMessageBox::Ok, &text);
    QString opened = path;
    window->openNodeGraph(core()->rootGraph(), opened);
    settle();
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(path))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("does not read"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("no character of the encoding \"windows-949\""))) << text.toStdString();
    // Where the sequence stands, not where the reader was when the bytes ahead were refused.
    EXPECT_TRUE(text.contains(QStringLiteral("(line 2, column 14)"))) << text.toStdString();
    for (QString const& paragraph : text.split(QStringLiteral("\n\n")))
        EXPECT_TRUE(!paragraph.isEmpty() && paragraph.at(0).isUpper()) << text.toStdString();
    EXPECT_EQ(objectNames(), QStringList({"Kept"}));
    EXPECT_FALSE(core()->isModified());
}

// A file that does not begin as XML is refused on its first bytes: a 400 MB file of zeros,
// under the size limit, opened with only 256 MB of address space to spare.
TEST_F(ProjectFiles, AFileThatDoesNotBeginAsXmlIsRefusedOnItsFirstBytes)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString zeros = dir.filePath("zeros.vyxsg");
    {
        QFile file(zeros);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(400) * 1024 * 1024));
    }
    auto openUnderTheLimit = [&] {
        if (!AppTest::limitAddressSpace(qint64(256) << 20))
            return 3;
        QString text;
        answerMessageBox(QMessageBox::Ok, &text);
        QString path = zeros;
        window->openNodeGraph(core()->rootGraph(), path);
        settle();
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return text.contains(QStringLiteral("is not a Vyx-Solenne project")) ? 0 : 4;
    };
    EXPECT_EXIT(std::exit(openUnderTheLimit()), ::testing::ExitedWithCode(0), "is not a Vyx-Solenne project");
}

TEST_F(ProjectFiles, AnEndlessOrOversizedFileIsRefusedBeforeItIsRead)
{
    addInversion("Kept");
    core()->setModified(false);
    // Sparse: as large as the limit allows and one byte more, without using the disk.
    const QString oversized = dir.filePath("oversized.vyxsg");
    {
        QFile file(oversized);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(KelUtils::RegularFileReader::MaxDocumentBytes + 1));
    }
    struct Case {
        QString path;
        bool fromRecentFiles;
        QString reason;
    };
    const Case cases[] = {
        {"/dev/zero", false, "It is not a regular file."},
        {"/dev/zero", true, "It is not a regular file."},
        {dir.path(), false, "It is not a regular file."},
        {oversized, false, "It is larger than 512 MB."},
    };
    for (Case const& c : cases) {
        QString text;
        answerMessageBox(QMessageBox::Ok, &text);
        if (c.fromRecentFiles) {
            window->addFileToRecentFileList(c.path);
            QAction* recent = nullptr;
            for (QAction* action : window->form()->menuFile->actions()) {
                if (action->isVisible() && action->data().toString() == c.path)
                    recent = action;
            }
            ASSERT_NE(recent, nullptr);
            recent->trigger();
        } else {
            QString path = c.path;
            window->openNodeGraph(core()->rootGraph(), path);
        }
        settle();
        EXPECT_EQ(text, QStringLiteral("The project \"%1\" could not be opened:\n%2")
                            .arg(QDir::toNativeSeparators(c.path), c.reason));
        EXPECT_EQ(objectNames(), QStringList({"Kept"})) << c.path.toStdString();
        EXPECT_FALSE(core()->isModified());
    }
}

TEST_F(ProjectFiles, APartlyReadProjectIsKeptButNotSavedOverItsFile)
{
    addInversion("Whole");
    const QString path = dir.filePath("partial.vyxsg");
    QString savePath = path;
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), savePath));
    // An unknown node type inside the object: that node is skipped, the rest loads.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    // The inversion's type UUID becomes one no registry knows.
    ASSERT_TRUE(text.contains("21051af5-3c09-487b-ab7b-e4a35fdff084"));
    text.replace("21051af5-3c09-487b-ab7b-e4a35fdff084", "21051af5-0000-4000-8000-000000000000");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();

    QString warning;
    answerMessageBox(QMessageBox::Ok, &warning);
    QString openPath = path;
    window->openNodeGraph(core()->rootGraph(), openPath);
    settle();
    EXPECT_FALSE(warning.isEmpty());
    EXPECT_EQ(objectNames(), QStringList({"Whole"}));
    EXPECT_FALSE(core()->hasProjectFile());
    core()->setModified(true);
    EXPECT_FALSE(window->form()->actionSave->isEnabled());
}

// A stored link that would close a cycle is left open and reported as an unresolved link is:
// the project opens, and saving asks for a new name instead of writing over the file.
TEST_F(ProjectFiles, AStoredLinkThatClosesACycleIsReportedAndSaveAsksForANewName)
{
    const QString path = dir.filePath("cycle.vyxsg");
    const QByteArray stored = HostileFiles::stackedProject(3, 4, true);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(stored), stored.size());
    }
    QString warning;
    answerMessageBox(QMessageBox::Ok, &warning);
    QString openPath = path;
    window->openNodeGraph(core()->rootGraph(), openPath);
    settle();
    EXPECT_TRUE(warning.contains("could not be read")) << warning.toStdString();
    EXPECT_EQ(objectNames(), QStringList({"Object 1", "Object 2", "Object 3"}));
    QList<KelNGObject*> const objects = core()->objectList();
    ASSERT_EQ(objects.size(), 3);
    EXPECT_FALSE(objects.last()->graph()->isConnectedTo(objects.first()->graph()));
    EXPECT_FALSE(core()->hasProjectFile());
    core()->setModified(true);
    EXPECT_FALSE(window->form()->actionSave->isEnabled());

    bool asked = false;
    answerMessageBox(QMessageBox::Save);
    answerFileDialog(QString(), [&asked](QFileDialog*) { asked = true; });
    EXPECT_FALSE(window->maybeSaveNodeGraph());
    EXPECT_TRUE(asked);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), stored);
}

TEST_F(ProjectFiles, AFailedSaveIsReportedAndChangesNoFlag)
{
    addInversion("Unsaved");
    QString warning;
    answerMessageBox(QMessageBox::Ok, &warning);
    QString path = dir.filePath("no-such-folder/scene.vyxsg");
    EXPECT_FALSE(window->saveNodeGraph(core()->rootGraph(), path));
    EXPECT_FALSE(warning.isEmpty());
    EXPECT_TRUE(core()->isModified());
    EXPECT_FALSE(core()->hasProjectFile());
    EXPECT_EQ(core()->projectName(), "Untitled");

    // A folder in the way of the file: reported the same way.
    ASSERT_TRUE(QDir(dir.path()).mkpath("taken.vyxsg"));
    warning.clear();
    answerMessageBox(QMessageBox::Ok, &warning);
    QString taken = dir.filePath("taken.vyxsg");
    EXPECT_FALSE(window->saveNodeGraph(core()->rootGraph(), taken));
    EXPECT_FALSE(warning.isEmpty());
    EXPECT_TRUE(core()->isModified());
}

TEST_F(ProjectFiles, TheSaveQuestionDecidesWhetherTheWindowCloses)
{
    addInversion("Edited");
    ASSERT_TRUE(core()->isModified());
    QString question;
    answerMessageBox(QMessageBox::Cancel, &question);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(question.contains("\"Untitled\" has been modified"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(objectNames(), QStringList({"Edited"}));
    EXPECT_FALSE(core()->renderBlocked());

    // Save on a never-saved project asks for a name; cancelling it keeps the window.
    answerMessageBox(QMessageBox::Save);
    answerFileDialog(QString());
    EXPECT_FALSE(window->maybeSaveNodeGraph());

    answerMessageBox(QMessageBox::Discard);
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(core()->objectList().isEmpty());
    window.reset();
}

TEST_F(ProjectFiles, ReturnInTheSaveQuestionNeverDiscardsTheChanges)
{
    addInversion("Edited");
    // Return on the button that has the focus when the question opens, then on Discard itself.
    for (bool onDiscard : {false, true}) {
        QTimer answer;
        answer.setInterval(10);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            // Return may save; a save dialog is cancelled, which keeps the question's answer "stay".
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                dialog->reject();
                return;
            }
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box || !box->isVisible() || !answer.isActive())
                return;
            QWidget* target = QApplication::focusWidget();
            if (onDiscard) {
                target = box->button(QMessageBox::Discard);
                if (!target) {
                    ADD_FAILURE() << "no Discard in: " << box->text().toStdString();
                    box->reject();
                    return;
                }
                target->setFocus();
            } else if (!box->isAncestorOf(target)) {
                return; // the box has not taken the focus yet: Return would land elsewhere
            }
            answer.setInterval(50);
            QTest::keyClick(target, Qt::Key_Return);
            if (box->isVisible())
                box->reject();
        });
        answer.start();
        EXPECT_FALSE(window->maybeSaveNodeGraph()) << "on Discard: " << onDiscard;
        EXPECT_TRUE(core()->isModified());
        EXPECT_EQ(objectNames(), QStringList({"Edited"}));
    }
}

TEST_F(ProjectFiles, SaveImageOffersTheWritableFormatsAndTheTypedSuffixDecidesTheFormat)
{
    struct Case {
        QString setting;
        QString proposal;
        QString firstFilter;
        QString typed;
        QString written; // the file name written
        QByteArray magic;
    };
    // The dialog puts the first suffix of the chosen filter on the proposed name.
    const Case cases[] = {
        {QString(), "image.jpeg", "JPEG Image (*.jpeg *.jpg)", "saved.png", "saved.png", "\x89PNG"},
        {QString(), "image.jpeg", "JPEG Image (*.jpeg *.jpg)", "photo", "photo.jpeg", "\xff\xd8\xff"},
        {QString(), "image.jpeg", "JPEG Image (*.jpeg *.jpg)", "short.jpg", "short.jpg", "\xff\xd8\xff"},
        {"png", "image.png", "PNG Image (*.png)", "shot.JPG", "shot.JPG", "\xff\xd8\xff"},
        {"png", "image.png", "PNG Image (*.png)", "plain.bmp", "plain.bmp", "BM"},
        {"png", "image.png", "PNG Image (*.png)", "named", "named.png", "\x89PNG"},
    };
    QSettings().setValue("lastImageLocation", dir.path());
    for (Case const& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        QSettings settings;
        if (c.setting.isEmpty())
            settings.remove("General::DefaultImageFormat");
        else
            settings.setValue("General::DefaultImageFormat", c.setting);
        QString proposed;
        QStringList filters;
        answerFileDialog(dir.filePath(c.typed), [&](QFileDialog* dialog) {
            proposed = dialog->selectedFiles().value(0);
            filters = dialog->nameFilters();
        });
        window->saveImage();
        EXPECT_EQ(QFileInfo(proposed).fileName(), c.proposal);
        EXPECT_EQ(filters.value(0), c.firstFilter);
        for (QString const& other : {QStringLiteral("JPEG Image (*.jpeg *.jpg)"), QStringLiteral("PNG Image (*.png)"),
                                     QStringLiteral("BMP Image (*.bmp)")})
            EXPECT_EQ(filters.count(other), 1) << other.toStdString();
        const QString target = dir.filePath(c.written);
        QFile written(target);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << target.toStdString();
        EXPECT_TRUE(written.read(4).startsWith(c.magic));
        written.close();
        EXPECT_EQ(QImage(target).size(), core()->resultImage()->size());
    }

    // A suffix added to the typed name: a file of that name is only replaced when confirmed.
    ASSERT_TRUE(AppTest::writeFileBytes(dir.filePath("named.png"), "old"));
    for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        QString question;
        answerFileDialog(dir.filePath("named"));
        answerMessageBox(answer, &question);
        window->saveImage();
        EXPECT_TRUE(question.contains(dir.filePath("named.png"))) << question.toStdString();
        EXPECT_EQ(AppTest::fileBytes(dir.filePath("named.png")) == "old", answer == QMessageBox::No);
    }

    // The quality setting is JPEG's: a PNG is packed as usual, not stored raw.
    QSettings().setValue("General::DefaultImageFormatQuality", 100);
    answerFileDialog(dir.filePath("packed.png"));
    window->saveImage();
    const QSize size = core()->resultImage()->size();
    EXPECT_LT(QFileInfo(dir.filePath("packed.png")).size(), qint64(size.width()) * size.height() * 3 * 3 / 4);
    QSettings().remove("General::DefaultImageFormatQuality");

    // A folder that cannot take the file (a plain file stands in its place): a warning, no file.
    // Not a system folder: the file dialogs remember it, and sniffing a file there can block.
    ASSERT_TRUE(AppTest::writeFileBytes(dir.filePath("plain-file"), "not a folder"));
    QString warning;
    answerFileDialog(dir.filePath("plain-file/vyx-solenne-test.png"));
    answerMessageBox(QMessageBox::Ok, &warning);
    window->saveImage();
    EXPECT_FALSE(warning.isEmpty());
    QSettings().remove("General::DefaultImageFormat");
}

// In a child process whose files may not grow past 1000 bytes, as on a full disk: Save and
// Save Image fail with the system's reason, the old files keep their bytes, the project its
// flags. The exit code says whether all of that held.
TEST_F(ProjectFiles, AFullDiskKeepsTheOldFilesTheFlagsAndSaysWhy)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            addInversion("Unsaved");
            const QByteArray old = "the old bytes";
            const QString project = dir.filePath("scene.vyxsg");
            const QString image = dir.filePath("old.png");
            const bool prepared = AppTest::writeFileBytes(project, old) && AppTest::writeFileBytes(image, old);
            QString projectWarning;
            QString imageWarning;
            bool saved = true;
            AppTest::withFileSizeLimit(1000, [&] {
                answerMessageBox(QMessageBox::Ok, &projectWarning);
                QString path = project;
                saved = window->saveNodeGraph(core()->rootGraph(), path);
                answerFileDialog(image);
                answerMessageBox(QMessageBox::Yes); // the file dialog's "replace it?"
                answerMessageBox(QMessageBox::Ok, &imageWarning);
                window->saveImage();
            });
            const bool ok = prepared && !saved && AppTest::fileBytes(project) == old
                            && AppTest::fileBytes(image) == old && projectWarning.contains(project)
                            && imageWarning.contains(image) && core()->isModified()
                            && !core()->hasProjectFile() && core()->projectName() == "Untitled";
            std::fprintf(stderr, "%s\n%s\n", qPrintable(projectWarning), qPrintable(imageWarning));
            // At once: the window and its render thread are not taken down in a child.
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "File too large\n.*File too large");
}

using Objects = MainWindowFixture;



TEST_F(Objects, CopyPasteRepeatsAndANewEmptyFilterIsSelectedWithoutAnUndoStep)
{
    addInversion("Copied");
    window->on_menuEdit_aboutToShow();
    ASSERT_TRUE(window->form()->actionCopy->isEnabled());
    window->form()->actionCopy->trigger();
    EXPECT_TRUE(window->form()->actionPaste->isEnabled());
    window->form()->actionPaste->trigger();
    settle();
    window->form()->actionPaste->trigger();
    settle();
    EXPECT_EQ(objectNames(), QStringList({"Copied", "Copied", "Copied"}));

    // The Templates page edits no project: Copy, Delete and Paste are off, even with a
    // selection and a filled clipboard (the Project tab's own bin still acts on its effect).
    auto* templatesPage = window->objectEditor()->findChild<QRadioButton*>("templatesRadioButton");
    auto* projectPage = window->objectEditor()->findChild<QRadioButton*>("projectRadioButton");
    ASSERT_TRUE(templatesPage && projectPage);
    templatesPage->click();
    core()->setSelectedObject(core()->objectList().first());
    EXPECT_FALSE(window->form()->actionCopy->isEnabled());
    EXPECT_EQ(window->projectBrowser()->shownEffect(), core()->objectList().first());
    EXPECT_FALSE(window->form()->actionDelete->isEnabled());
    EXPECT_FALSE(window->form()->actionPaste->isEnabled());
    projectPage->click();
    EXPECT_TRUE(window->form()->actionDelete->isEnabled());
    EXPECT_TRUE(window->form()->actionPaste->isEnabled());

    const int steps = core()->undoStack()->count();
    window->addNewEmptyFilter();
    settle();
    EXPECT_EQ(objectNames().last(), "New Filter");
    EXPECT_EQ(core()->selectedObject(), core()->objectList().last());
    EXPECT_TRUE(core()->isModified());
    // Taken at once: undo does not remove it.
    EXPECT_EQ(core()->undoStack()->count(), steps);
    window->undoAction()->trigger();
    settle();
    EXPECT_EQ(objectNames(), QStringList({"Copied", "Copied", "Copied", "New Filter"}));
}

TEST_F(Objects, SettingChangesMarkTheProjectOrTheTemplateAndRenderOnceLater)
{
    KelNGObject* object = addInversion("Shown");
    core()->setModified(false);
    ASSERT_FALSE(core()->isModified());
    QSignalSpy finished(core(), &TwCore::finished);
    // A click on the status icon in the project browser switches the effect off.
    QTreeWidget* rows = window->projectBrowser()->form()->treeWidget;
    ASSERT_EQ(rows->topLevelItemCount(), 1);
    const QRect icon = rows->visualItemRect(rows->topLevelItem(0));
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(rows->columnViewportPosition(0) + 5, icon.center().y()));
    EXPECT_EQ(object->graph()->paramContainer()->getIntParam("disable"), 1);
    EXPECT_EQ(core()->undoStack()->count(), 0) << "switching an effect off takes effect at once, without an undo step";
    EXPECT_TRUE(core()->isModified()) << "visibility, blend mode and opacity are saved";
    EXPECT_EQ(finished.count(), 0) << "the render starts 100 ms later";
    ASSERT_TRUE(finished.wait(5000));
    settle();
    QTest::qWait(200);
    EXPECT_EQ(finished.count(), 1);

    // Node moves are saved too.
    core()->setModified(false);
    window->nodePositionsChanged();
    EXPECT_EQ(core()->isModified(), window->objectEditor()->currentObject() != nullptr);

    // A template's own object marks its template, not the project.
    KelTemplate* objectTemplate = core()->templateStore()->createObjectTemplate();
    ASSERT_NE(objectTemplate, nullptr);
    KelNGObject* instance = objectTemplate->objectInstance();
    ASSERT_NE(instance, nullptr);
    objectTemplate->setModified(false);
    core()->setModified(false);
    window->vyxGraphSettingChanged(instance, false);
    settle();
    EXPECT_TRUE(objectTemplate->modified());
    EXPECT_FALSE(core()->isModified());
}

TEST_F(Objects, TemplatePreviewsKeepTheirImageWhileTheWindowLives)
{
    KelTemplate* objectTemplate = core()->templateStore()->createObjectTemplate();
    ASSERT_NE(objectTemplate, nullptr);
    window->displayTemplateDescription(objectTemplate->uuid(), window->filtersDescription());
    QImage const& preview = window->templatePreviewImage();
    EXPECT_LE(preview.width(), 120);
    EXPECT_LE(preview.height(), 80);
    EXPECT_TRUE(preview.width() == 120 || preview.height() == 80);
    EXPECT_EQ(preview.format(), QImage::Format_ARGB32);
    // The template's graph stays set up on the window's copy, not on a temporary.
    EXPECT_EQ(objectTemplate->objectInstance()->effectGraph()->originalImage(), &preview);
}

TEST_F(Objects, TheWindowGoesWhileATemplateGraphIsRenderedAndObjectsRemain)
{
    addInversion("Left");
    KelTemplate* objectTemplate = core()->templateStore()->createObjectTemplate();
    ASSERT_NE(objectTemplate, nullptr);
    core()->setCurrentGraph(objectTemplate->objectInstance()->effectGraph());
    core()->start();
    core()->setModified(false);
    window.reset();
    SUCCEED();
}

TEST_F(Objects, AParameterPanelEditIsOneUndoStepOnTheCoresStack)
{
    KelNGObject* object = addInversion("Panel");
    KelUtils::IParameterContainer* container = object->graph()->paramContainer();
    auto panel = std::make_unique<KelParam>(container);
    core()->setModified(false);
    QBuffer* before = panel->storeParamState();
    ASSERT_EQ(container->getIntParam("opacity"), 100);
    container->setIntParam("opacity", 40);
    const int steps = core()->undoStack()->count();
    window->addParamUndo(panel.get(), before);
    ASSERT_EQ(core()->undoStack()->count(), steps + 1);
    EXPECT_TRUE(core()->undoStack()->command(steps)->text().endsWith(" edit"));
    EXPECT_TRUE(core()->isModified());
    core()->undoStack()->undo();
    settle();
    EXPECT_EQ(container->getIntParam("opacity"), 100);
    core()->undoStack()->redo();
    settle();
    EXPECT_EQ(container->getIntParam("opacity"), 40);
    core()->undoStack()->clear();
}

TEST_F(Objects, EditsArrivingDuringARenderStopItFirstAndTheLastRenderHoldsThemAll)
{
    QImage large(1600, 1200, QImage::Format_RGB32);
    large.fill(qRgb(10, 20, 30));
    const QString path = dir.filePath("large.png");
    ASSERT_TRUE(large.save(path));
    window->imageChangedInBrowser(path);
    KelNGObject* first = addInversion("First");
    KelNodes::Node* inversion = first->graph()->nodes().value(0);
    for (KelNodes::Node* node : first->graph()->nodes()) {
        if (node->descriptor() && node->descriptor()->typeId == QLatin1String("operator.inversion"))
            inversion = node;
    }
    ASSERT_NE(inversion, nullptr);
    for (int i = 0; i < 3; ++i) {
        core()->start();
        window->addNewEmptyFilter();
        core()->start();
        window->nodeParameterChanged(nullptr, inversion);
    }
    EXPECT_TRUE(core()->isModified());
    ASSERT_TRUE(waitForRender() || core()->renderer()->completedSucceeded());
    settle();
    core()->start();
    ASSERT_TRUE(waitForRender());
    EXPECT_TRUE(core()->renderer()->completedSucceeded());
    // One inversion and three empty filters.
    EXPECT_EQ(core()->resultImage()->pixel(800, 600), qRgb(245, 235, 225));
    EXPECT_EQ(objectNames(), QStringList({"First", "New Filter", "New Filter", "New Filter"}));
}

using Results = MainWindowFixture;

// The core and the view share each result with the render; the next render writes beside the
// result on show, into the one before it, which no one holds any more: nothing is copied.
TEST_F(Results, EachRenderWritesIntoThePictureBeforeTheOneOnShow)
{
    addInversion("First");
    ImageView* view = window->imageView();
    auto render = [this] {
        core()->start();
        return waitForRender() && core()->renderer()->completedSucceeded();
    };
    ASSERT_TRUE(render());
    uchar const* const first = core()->resultImage()->constBits();
    EXPECT_EQ(view->image().constBits(), first);

    ASSERT_TRUE(render());
    uchar const* const second = core()->resultImage()->constBits();
    EXPECT_EQ(view->image().constBits(), second);
    EXPECT_NE(second, first);
    // Takes the first picture's memory if it was given back, so that it cannot return by chance.
    QImage blocker(view->image().size(), view->image().format());
    blocker.fill(0);

    ASSERT_TRUE(render());
    EXPECT_EQ(core()->resultImage()->constBits(), first);
    EXPECT_EQ(view->image().constBits(), first);
}

using ViewModes = MainWindowFixture;

TEST_F(ViewModes, NodeGraphViewSplitsOneThirdAndEachModeKeepsItsDivision)
{
    Ui::MainWindow* ui = window->form();
    window->resize(1200, 800);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ui->pseudoDock->isHidden());
    EXPECT_EQ(window->rightDock()->widget(), window->imageDockPage());
    auto* tabs = window->imageDockPage()->findChild<QTabWidget*>("tabWidget");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(0), "Project");
    EXPECT_EQ(tabs->tabText(1), "Filters");
    EXPECT_EQ(tabs->tabText(2), "Effects");

    const QString before = window->viewModeMenu()->title();
    window->viewModeChanged(ui->actionImageView);
    EXPECT_EQ(window->viewModeMenu()->title(), before) << "the current mode changes nothing";

    ui->actionNodeGraphView->trigger();
    EXPECT_TRUE(window->isNodeGraphViewMode());
    EXPECT_EQ(window->viewModeMenu()->title(), "{NodeGraph View}");
    EXPECT_FALSE(ui->pseudoDock->isHidden());
    EXPECT_EQ(window->rightDock()->widget(), static_cast<QWidget*>(window->objectEditorDock()));
    QList<int> const sizes = window->nodeGraphViewSizes();
    ASSERT_EQ(sizes.size(), 2);
    const int width = ui->centralSplitter->width() - ui->centralSplitter->handleWidth();
    EXPECT_EQ(sizes.at(0), int(double(width) / 3.0));
    EXPECT_EQ(sizes.at(1), int(2.0 * (double(width) / 3.0)));

    ui->centralSplitter->setSizes({500, 600});
    QList<int> const chosen = ui->centralSplitter->sizes();
    ui->actionImageView->trigger();
    EXPECT_FALSE(window->isNodeGraphViewMode());
    EXPECT_TRUE(ui->pseudoDock->isHidden());
    EXPECT_EQ(window->rightDock()->widget(), window->imageDockPage());
    ui->actionNodeGraphView->trigger();
    EXPECT_EQ(ui->centralSplitter->sizes(), chosen);
    EXPECT_FALSE(core()->blockFocusOutEvents());
}


} // namespace
} // namespace MainWindowTest

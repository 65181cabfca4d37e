// The end-to-end road: the application as start-up builds it, driven step by step through its
// own widgets, dialogs and drag data under a real (virtual) X server. The steps depend on each
// other: one test walks them in the order written, from a new project, with files of its own
// run, so that it passes run again in the process and among the others in any order.

#include "RoadSupport.h"

#include "app/TemplateStoreTestSupport.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "browser/ImageBrowser.h"
#include "browser/ImageView.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwProjectBrowser.h"
#include "mainwindow/VyxApplication.h"
#include "mainwindow/VyxStartup.h"
#include "nodes/NodeDescriptor.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelParam.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/TreeWidgetByMimeType.h"
#include "nodeui/VyxNodeGraphView.h"
#include "nodes/Node.h"
#include "params/IParameterContainer.h"
#include "ui_MainWindow.h"
#include "ui_ProjectBrowser.h"

#include <QComboBox>
#include <QGraphicsPixmapItem>
#include <QLabel>
#include <QDir>
#include <QDomDocument>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileOpenEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoGroup>
#include <QUndoStack>
#include <QUuid>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

QTemporaryDir* g_work = nullptr;
// The test picture as main writes it, and the walk's copy of its run.
QString g_sourcePath;
QString g_imagePath;
QString g_templateUuid;
QImage g_inverted;
// The walk's run in this process: each writes its files in a folder of its own, so that no dialog
// asks to replace the last run's.
int g_run = 0;

QString workPath(QString const& name)
{
    return g_work->filePath(QStringLiteral("run%1/").arg(g_run) + name);
}

TwMainWindow* window()
{
    return Road::window();
}

TwCore* core()
{
    return window()->core();
}

// A horizontal red ramp over constant green and blue.
QImage testImage()
{
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 4, 100, 200));
    }
    return image;
}

bool near(int a, int b, int tolerance)
{
    return std::abs(a - b) <= tolerance;
}

void expectInverted(char const* step)
{
    QImage const source = core()->sourceImage()->convertToFormat(QImage::Format_RGB32);
    QImage const result = core()->resultImage()->convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(result.size(), source.size()) << step;
    QString failure;
    EXPECT_TRUE(Road::allPixels(result, [&](QRgb pixel, int x, int y) {
        const QRgb original = source.pixel(x, y);
        return qRed(pixel) == 255 - qRed(original) && qGreen(pixel) == 255 - qGreen(original)
               && qBlue(pixel) == 255 - qBlue(original);
    }, &failure)) << step << ": " << failure.toStdString();
}

void expectGrey(char const* step)
{
    QString failure;
    EXPECT_TRUE(Road::allPixels(core()->resultImage()->convertToFormat(QImage::Format_RGB32),
                                [](QRgb pixel, int, int) {
                                    return qRed(pixel) == 128 && qGreen(pixel) == 128 && qBlue(pixel) == 128;
                                },
                                &failure))
        << step << ": " << failure.toStdString();
}

QString g_earlyProject;
QString g_pendingBeforeStart;

// What start-up left, taken by main before any test runs.
struct StartUp
{
    QString projectName;
    bool hasProjectFile = false;
    QString pendingAfterStart;
    bool windowIsTheApplications = false;
};
StartUp g_startUp;

TEST(Road, AnEarlyFileOpenWaitsForTheWindowAndOnlyTheLastCounts)
{
    EXPECT_EQ(g_pendingBeforeStart, g_earlyProject);
    EXPECT_EQ(g_startUp.projectName, g_earlyProject);
    EXPECT_TRUE(g_startUp.hasProjectFile);
    EXPECT_TRUE(g_startUp.pendingAfterStart.isEmpty());
    EXPECT_TRUE(g_startUp.windowIsTheApplications);
}

// A new project in the image view with the browser below, as the walk starts; the picture is a
// file of this run, so that picking it is a new pick.
void startTheWalk()
{
    ++g_run;
    ASSERT_TRUE(QDir().mkpath(workPath(QString())));
    if (core()->isModified())
        Road::answerMessageBox(QMessageBox::Discard);
    ASSERT_TRUE(Road::waitForRender([] { window()->form()->actionNew->trigger(); }));
    ASSERT_TRUE(core()->objectList().isEmpty());
    if (!window()->form()->actionToggleBrowser->isChecked())
        window()->form()->actionToggleBrowser->trigger();
    window()->form()->actionImageView->trigger();
    Road::settle();
    ASSERT_FALSE(window()->isNodeGraphViewMode());
    g_imagePath = workPath(QStringLiteral("source.png"));
    ASSERT_TRUE(QFile::copy(g_sourcePath, g_imagePath));
}

void step01PickTheImageInTheBrowser()
{
    ASSERT_TRUE(Road::waitForRender([] { emit window()->imageBrowser()->currentImageChanged(g_imagePath); }));
    EXPECT_EQ(core()->sourceImage()->size(), QSize(64, 48));
    EXPECT_EQ(core()->sourceImage()->pixel(10, 10), qRgb(40, 100, 200));
}

void step02And03DropTheTemplateAndSeeItInverted()
{
    QTreeWidget* filters = window()->filtersTree();
    QTreeWidgetItem* item = nullptr;
    for (int i = 0; i < filters->topLevelItemCount(); ++i) {
        if (filters->topLevelItem(i)->data(0, Qt::UserRole + 1).toString().compare(g_templateUuid, Qt::CaseInsensitive) == 0)
            item = filters->topLevelItem(i);
    }
    ASSERT_NE(item, nullptr) << "the installed template is listed under Filters";
    QModelIndex const index = filters->model()->index(filters->indexOfTopLevelItem(item), 0);
    std::unique_ptr<QMimeData> data(filters->model()->mimeData({index}));
    ASSERT_TRUE(data);

    ImageView* view = window()->imageView();
    const QPoint at = view->rect().center();
    const bool rendered = Road::waitForRender([&] {
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &drop);
    });
    ASSERT_TRUE(rendered);
    ASSERT_EQ(core()->objectList().size(), 1);
    expectInverted("after the drop");
    g_inverted = core()->resultImage()->convertToFormat(QImage::Format_RGB32);

    const QImage picture = Road::screenshot(QStringLiteral("road-inverted"));
    const QRgb shown = Road::imageViewCentre(picture);
    const QRgb expected = g_inverted.pixel(g_inverted.width() / 2, g_inverted.height() / 2);
    EXPECT_TRUE(near(qRed(shown), qRed(expected), 8) && near(qGreen(shown), qGreen(expected), 2)
                && near(qBlue(shown), qBlue(expected), 2))
        << qRed(shown) << "," << qGreen(shown) << "," << qBlue(shown);
}

void step04SaveImageThroughTheDialog()
{
    const QString path = workPath(QStringLiteral("result.png"));
    Road::answerFileDialog(path);
    window()->form()->actionSaveImage->trigger();
    const QImage written = QImage(path).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written, g_inverted);
}

void step05SaveAsNamesTheWindow()
{
    Road::answerFileDialog(workPath(QStringLiteral("road.vyxsg")));
    window()->form()->actionSaveAs->trigger();
    EXPECT_TRUE(QFile::exists(workPath(QStringLiteral("road.vyxsg"))));
    EXPECT_EQ(window()->windowTitle(), "Vyx-Solenne - road[*]");
    EXPECT_FALSE(window()->isWindowModified());
}

void step06NewThenOpenGivesTheSameResult()
{
    ASSERT_TRUE(Road::waitForRender([] { window()->form()->actionNew->trigger(); }));
    EXPECT_TRUE(core()->objectList().isEmpty());
    Road::answerFileDialog(workPath(QStringLiteral("road.vyxsg")));
    ASSERT_TRUE(Road::waitForRender([] { window()->form()->actionOpen->trigger(); }));
    ASSERT_EQ(core()->objectList().size(), 1);
    EXPECT_EQ(core()->resultImage()->convertToFormat(QImage::Format_RGB32), g_inverted);
    EXPECT_EQ(window()->windowTitle(), "Vyx-Solenne - road[*]");
}

void step07OpacityHalfThenUndoRedoUndo()
{
    QTreeWidget* rows = window()->projectBrowser()->form()->treeWidget;
    ASSERT_EQ(rows->topLevelItemCount(), 1);
    QComboBox* opacity = nullptr;
    for (int column = 0; column < rows->columnCount() && !opacity; ++column)
        opacity = qobject_cast<QComboBox*>(rows->itemWidget(rows->topLevelItem(0), column));
    ASSERT_NE(opacity, nullptr);
    QUndoStack* stack = core()->undoStack();
    const int before = stack->count();

    ASSERT_TRUE(Road::waitForRender([&] { opacity->setCurrentIndex(opacity->findText(QStringLiteral("50%"))); }));
    ASSERT_EQ(stack->count(), before + 1);
    EXPECT_EQ(stack->command(stack->count() - 1)->text(), "Opacity Change");
    EXPECT_TRUE(window()->isWindowModified());
    EXPECT_TRUE(window()->windowTitle().endsWith("[*]"));
    expectGrey("at 50%");

    ASSERT_TRUE(Road::waitForRender([] { window()->undoAction()->trigger(); }));
    expectInverted("after undo");
    ASSERT_TRUE(Road::waitForRender([] { window()->redoAction()->trigger(); }));
    expectGrey("after redo");
    ASSERT_TRUE(Road::waitForRender([] { window()->undoAction()->trigger(); }));
    expectInverted("after the second undo");
}


// --- node-graph steps --------------------------------------------------------------------------

KelNGNodeGraphView* graphView()
{
    return window()->objectEditorGraphView();
}

KelNodes::NodeGraph* objectGraph()
{
    return core()->objectList().value(0) ? core()->objectList().value(0)->graph() : nullptr;
}

void step08NodeGraphViewShowsTheInversionGraph()
{
    window()->activateWindow();
    (void)QTest::qWaitForWindowActive(window(), 5000);
    QTest::keySequence(window(), QKeySequence(QStringLiteral("Ctrl+2")));
    QCoreApplication::processEvents();
    ASSERT_TRUE(window()->isNodeGraphViewMode());
    ASSERT_NE(graphView(), nullptr);
    ASSERT_NE(objectGraph(), nullptr);
    EXPECT_EQ(graphView()->graph(), objectGraph());
    KelNodes::Node* inversion = Road::nodeOfType(objectGraph(), QStringLiteral("operator.inversion"));
    ASSERT_NE(inversion, nullptr);
    KelNGNode* item = KelNGNode::itemOf(inversion);
    ASSERT_NE(item, nullptr);
    EXPECT_NE(item->pixmapItem(), nullptr);
    Road::screenshot(QStringLiteral("road-node-graph"));
}

void step09InsertRgbaAndWireItInWithTheMouse()
{
    NodeDockTabWidget* dock = window()->nodeDock();
    ASSERT_NE(dock, nullptr);
    dock->availableNodesButton()->click();
    QTreeWidget* types = dock->availableNodesTree();
    QModelIndexList const found = types->model()->match(types->model()->index(0, 0), Qt::UserRole + 1,
                                                        QStringLiteral("operator.rgba"), 1,
                                                        Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    QModelIndex const index = found.first();
    EXPECT_EQ(index.data().toString(), "RGBA");
    std::unique_ptr<QMimeData> data(types->model()->mimeData({index}));
    ASSERT_TRUE(data);

    QUndoStack* stack = core()->undoStack();
    // Undone steps ahead of the index are dropped by the next push.
    const int before = stack->index();
    QWidget* viewport = graphView()->viewport();
    // Left and below the chain, wholly inside the viewport.
    const QPoint at(30, viewport->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    Road::settle();
    ASSERT_EQ(stack->index(), before + 1);
    ASSERT_EQ(stack->count(), before + 1);
    EXPECT_EQ(stack->command(before)->text(), "Insert RGBA");

    KelNodes::Node* inversion = Road::nodeOfType(objectGraph(), QStringLiteral("operator.inversion"));
    KelNodes::Node* rgba = Road::nodeOfType(objectGraph(), QStringLiteral("operator.rgba"));
    auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(objectGraph());
    ASSERT_TRUE(inversion && rgba && graph);
    KelNodes::Node* output = graph->destinationNode();

    Road::dragWire(Road::terminalPoint(inversion, QStringLiteral("outRgb")), Road::terminalPoint(rgba, QStringLiteral("rgb")));
    Road::dragWire(Road::terminalPoint(rgba, QStringLiteral("out rgb")), Road::terminalPoint(output, QStringLiteral("rgb")));
    EXPECT_TRUE(inversion->isConnectedTo(rgba));
    EXPECT_TRUE(rgba->isConnectedTo(output));
    EXPECT_FALSE(inversion->isConnectedTo(output)) << "the output's input keeps one link";
    ASSERT_TRUE(Road::waitForRender([] { core()->start(); }));
    EXPECT_EQ(core()->resultImage()->convertToFormat(QImage::Format_RGB32), g_inverted);
}

void step10RedMinus55OnTheCurrentNodePage()
{
    KelNodes::Node* rgba = Road::nodeOfType(objectGraph(), QStringLiteral("operator.rgba"));
    ASSERT_NE(rgba, nullptr);
    KelNGNode* item = KelNGNode::itemOf(rgba);
    ASSERT_TRUE(item && item->pixmapItem());
    const QRectF body = item->pixmapItem()->sceneBoundingRect();
    const QPoint title = graphView()->mapFromScene(body.topLeft() + QPointF(body.width() / 2, 8));
    QTest::mouseClick(graphView()->viewport(), Qt::LeftButton, Qt::NoModifier, title);
    QCoreApplication::processEvents();

    NodeDockTabWidget* dock = window()->nodeDock();
    dock->currentNodeButton()->click();
    KelUtils::Parameter* red = rgba->paramContainer()->getParamByName(QStringLiteral("Red"));
    ASSERT_NE(red, nullptr);
    KelParam* panel = nullptr;
    for (KelParam* candidate : dock->findChildren<KelParam*>()) {
        if (candidate->isVisible() && candidate->editorFor(red))
            panel = candidate;
    }
    ASSERT_NE(panel, nullptr) << "the current node page shows the RGBA panel";
    auto* field = qobject_cast<QSpinBox*>(panel->editorFor(red));
    ASSERT_NE(field, nullptr);
    QLabel* label = panel->labelFor(red);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Red:");

    QUndoStack* stack = core()->undoStack();
    const int before = stack->index();
    const bool rendered = Road::waitForRender([&] {
        window()->activateWindow();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("-55"));
        QTest::keyClick(field, Qt::Key_Return);
    });
    ASSERT_TRUE(rendered);
    ASSERT_EQ(stack->index(), before + 1);
    EXPECT_EQ(stack->command(before)->text(), "RGBA edit");
    QString failure;
    EXPECT_TRUE(Road::allPixels(core()->resultImage()->convertToFormat(QImage::Format_RGB32), [](QRgb pixel, int x, int y) {
        const QRgb inverted = g_inverted.pixel(x, y);
        return qRed(pixel) == std::max(0, qRed(inverted) - 55) && qGreen(pixel) == qGreen(inverted)
               && qBlue(pixel) == qBlue(inverted);
    }, &failure)) << failure.toStdString();

    const QImage picture = Road::screenshot(QStringLiteral("road-rgba"));
    const QRgb shown = Road::imageViewCentre(picture);
    const QRgb expected = core()->resultImage()->pixel(32, 24);
    EXPECT_TRUE(near(qRed(shown), qRed(expected), 8) && near(qGreen(shown), qGreen(expected), 2))
        << qRed(shown) << "," << qGreen(shown) << "," << qBlue(shown);
}

void step11UndoBringsTheInvertedImageBack()
{
    ASSERT_TRUE(Road::waitForRender([] { window()->undoAction()->trigger(); }));
    EXPECT_EQ(core()->resultImage()->convertToFormat(QImage::Format_RGB32), g_inverted);
}

void step12TimelinePlaysTwoFramesAndStops()
{
    window()->activateWindow();
    (void)QTest::qWaitForWindowActive(window(), 5000);
    QTest::keySequence(window(), QKeySequence(QStringLiteral("Ctrl+B")));
    ASSERT_FALSE(window()->form()->actionToggleBrowser->isChecked()) << "Ctrl+B shows the timeline";
    ASSERT_EQ(window()->form()->bottomStack->currentIndex(), 1);

    KelTimeline* timeline = window()->timeline();
    auto* length = timeline->findChild<QSpinBox*>(QStringLiteral("endFrameSB"));
    ASSERT_NE(length, nullptr);
    length->setFocus();
    length->selectAll();
    QTest::keyClicks(length, QStringLiteral("2"));
    QTest::keyClick(length, Qt::Key_Return);
    emit length->editingFinished();
    ASSERT_EQ(length->value(), 2);

    if (auto* once = timeline->findChild<QToolButton*>(QStringLiteral("playOnceTB")))
        once->click();
    auto* play = timeline->findChild<QToolButton*>(QStringLiteral("playForwardTB"));
    ASSERT_NE(play, nullptr);
    QSignalSpy frames(timeline, &KelTimeline::setCurrentFrameSignal);
    QTest::mouseClick(play, Qt::LeftButton);
    for (int i = 0; i < 600 && (timeline->player()->isPlaying() || timeline->player()->isRunning()); ++i)
        QTest::qWait(50);
    ASSERT_FALSE(timeline->player()->isPlaying()) << "the player stops by itself";
    QList<int> played;
    for (QList<QVariant> const& frame : frames)
        played << frame.at(0).toInt();
    EXPECT_EQ(played, QList<int>({0, 1, 2}));
    Road::settle();
    EXPECT_TRUE(core()->renderer()->completedSucceeded());
}

TEST(Road, NodePluginsOfTheProgramFolderAreLoaded)
{
    QList<KelNodes::NodeDescriptor const*>* types = core()->rootGraph()->nodeTypes();
    ASSERT_NE(types, nullptr);
    bool found = false;
    for (KelNodes::NodeDescriptor const* type : *types)
        found = found || (type && type->typeId == QLatin1String("plugin.invert"));
    EXPECT_TRUE(found) << "the test plug-in in ../lib/vyx-solenne/nodes";
}

// Runs the program with its own settings and data homes, the given arguments and installation,
// until it has opened `project` (the project heads its recent files) or gives up; its error
// output goes to *errors.
bool programOpens(QString const& program, QString const& project, QString* errors)
{
    QTemporaryDir home;
    if (!home.isValid())
        return false;
    const QString configFile = home.filePath("config/Marrowind/Vyx-Solenne.conf");
    {
        QSettings settings(configFile, QSettings::IniFormat);
        settings.setValue("DontShowWelcomeScreen", true);
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    process.setProcessEnvironment(environment);
    process.start(program, {QStringLiteral("--nosplash"), project});
    if (!process.waitForStarted(30000))
        return false;
    bool opened = false;
    for (int i = 0; i < 600 && !opened && process.state() == QProcess::Running; ++i) {
        QTest::qWait(100);
        QSettings settings(configFile, QSettings::IniFormat);
        opened = settings.value("recentFileList").toStringList().value(0) == project;
    }
    process.kill();
    process.waitForFinished(10000);
    if (errors)
        *errors = QString::fromLocal8Bit(process.readAllStandardError());
    return opened;
}

void aProjectNamedOnTheCommandLineIsOpened()
{
    QString errors;
    EXPECT_TRUE(programOpens(QStringLiteral(VYX_PROGRAM), workPath(QStringLiteral("road.vyxsg")), &errors))
        << errors.toStdString();
}

// A copy of the program in an installation of its own: with the test plug-in in
// ../lib/vyx-solenne/nodes/ a project using the plug-in's node type opens whole; without it
// the loader reports the unknown node.
void aCopyOfTheProgramLoadsANodePlugInBesideIt()
{
    KelNodes::NodeGraph* graph = objectGraph();
    ASSERT_NE(graph, nullptr);
    core()->cancelRender();
    ASSERT_NE(graph->addNode(QStringLiteral("plugin.invert"), -1), nullptr);
    QString project = workPath(QStringLiteral("plug-in.vyxsg"));
    ASSERT_TRUE(window()->saveNodeGraph(core()->rootGraph(), project));

    for (bool withPlugin : {true, false}) {
        QTemporaryDir install;
        ASSERT_TRUE(QDir(install.path()).mkpath("bin"));
        ASSERT_TRUE(QDir(install.path()).mkpath("lib/vyx-solenne/nodes"));
        ASSERT_TRUE(QFile::link(QDir(QStringLiteral(VYX_BUILD_SHARE)).absolutePath(), install.filePath("share")));
        const QString program = install.filePath("bin/vyx-solenne");
        ASSERT_TRUE(QFile::copy(QStringLiteral(VYX_PROGRAM), program));
        if (withPlugin) {
            ASSERT_TRUE(QFile::copy(QStringLiteral(VYX_TEST_NODES_PLUGIN),
                                    install.filePath("lib/vyx-solenne/nodes/")
                                        + QFileInfo(QStringLiteral(VYX_TEST_NODES_PLUGIN)).fileName()));
        }
        QString errors;
        EXPECT_TRUE(programOpens(program, project, &errors)) << errors.toStdString();
        EXPECT_EQ(errors.contains("unknown node"), !withPlugin) << errors.toStdString();
    }
}

void aFileOpenEventOpensTheProject()
{
    if (core()->isModified())
        Road::answerMessageBox(QMessageBox::Discard);
    const QString project = workPath(QStringLiteral("road.vyxsg"));
    ASSERT_TRUE(Road::waitForRender([&] {
        QFileOpenEvent event(project);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &event);
    }));
    EXPECT_EQ(core()->objectList().size(), 1);
    EXPECT_EQ(core()->projectName(), project);
    EXPECT_FALSE(core()->isModified());
}

// The steps in the order written; each stops the walk at its first fatal failure.
TEST(Road, AUserPicksAPictureAddsAnEffectSavesEditsAndPlaysIt)
{
    const struct {
        char const* name;
        void (*step)();
    } steps[] = {
        {"start of the walk", &startTheWalk},
        {"01 pick the image in the browser", &step01PickTheImageInTheBrowser},
        {"02 and 03 drop the template and see it inverted", &step02And03DropTheTemplateAndSeeItInverted},
        {"04 save the image through the dialog", &step04SaveImageThroughTheDialog},
        {"05 Save As names the window", &step05SaveAsNamesTheWindow},
        {"06 New, then Open gives the same result", &step06NewThenOpenGivesTheSameResult},
        {"07 opacity half, then Undo, Redo, Undo", &step07OpacityHalfThenUndoRedoUndo},
        {"08 the node-graph view shows the inversion's graph", &step08NodeGraphViewShowsTheInversionGraph},
        {"09 insert RGBA and wire it in with the mouse", &step09InsertRgbaAndWireItInWithTheMouse},
        {"10 red -55 on the Current Node page", &step10RedMinus55OnTheCurrentNodePage},
        {"11 Undo brings the inverted image back", &step11UndoBringsTheInvertedImageBack},
        {"12 the timeline plays two frames and stops", &step12TimelinePlaysTwoFramesAndStops},
        {"a project named on the command line is opened", &aProjectNamedOnTheCommandLineIsOpened},
        {"a copy of the program loads a node plug-in beside it", &aCopyOfTheProgramLoadsANodePlugInBesideIt},
        {"a file-open event opens the project", &aFileOpenEventOpensTheProject},
    };
    for (auto const& s : steps) {
        SCOPED_TRACE(s.name);
        ASSERT_NO_FATAL_FAILURE(s.step());
    }
}

} // namespace

int main(int argc, char** argv)
{
    g_work = new QTemporaryDir;
    QTemporaryDir data;
    QTemporaryDir config;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);

    int applicationArgc = 2;
    char noSplash[] = "--nosplash";
    char* applicationArgv[] = {argv[0], noSplash, nullptr};
    VyxApplication application(applicationArgc, applicationArgv);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QCoreApplication::setOrganizationName(QStringLiteral("Marrowind"));
    QCoreApplication::setApplicationName(QStringLiteral("Vyx-Solenne"));
    {
        QSettings settings;
        settings.setValue(QStringLiteral("DontShowWelcomeScreen"), true);
        settings.setValue(QStringLiteral("General::DefaultImageFormat"), QStringLiteral("png"));
    }

    g_templateUuid = QUuid::createUuid().toString();
    const QString templates = data.path() + QStringLiteral("/Vyx-Solenne/templates/lumora");
    QDir().mkpath(templates + QStringLiteral("/icons"));
    StoreTest::writeFile(templates + QLatin1Char('/') + g_templateUuid,
                         StoreTest::templateDocument({g_templateUuid, QStringLiteral("Inversion")}));
    g_sourcePath = g_work->filePath(QStringLiteral("source.png"));
    testImage().save(g_sourcePath);

    // A project opened with the program before its window exists: only the last one waits.
    g_earlyProject = g_work->filePath(QStringLiteral("early.vyxsg"));
    {
        KelVyxNodes::VyxNodeGraph empty(nullptr);
        std::unique_ptr<QDomDocument> document(empty.store(empty.nodes(), false, true, false));
        StoreTest::writeFile(g_earlyProject, document->toByteArray(4));
    }
    for (QString const& path : {g_work->filePath(QStringLiteral("missing.vyxsg")), g_earlyProject}) {
        QFileOpenEvent event(path);
        QCoreApplication::sendEvent(&application, &event);
    }
    g_pendingBeforeStart = application.pendingProjectPath();

    int exitCode = 0;
    QString errorText;
    TwMainWindow* mainWindow = VyxStartup::start(application, &exitCode, &errorText);
    if (!mainWindow) {
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(errorText));
        return 1;
    }
    VyxStartup::showMainWindow(mainWindow);
    Road::setWindow(mainWindow);
    (void)QTest::qWaitForWindowExposed(mainWindow, 10000);
    Road::settle();
    g_startUp.projectName = mainWindow->core()->projectName();
    g_startUp.hasProjectFile = mainWindow->core()->hasProjectFile();
    g_startUp.pendingAfterStart = application.pendingProjectPath();
    g_startUp.windowIsTheApplications = application.mainWindow() == mainWindow;

    const int result = RUN_ALL_TESTS();

    Road::settle();
    mainWindow->core()->setModified(false);
    application.setMainWindow(nullptr);
    delete mainWindow;
    delete g_work;
    return result;
}

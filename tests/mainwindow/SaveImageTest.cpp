// Save Image and Save Sequence write only what the project renders as it stands, in a format that
// holds the picture as it is, or say why they write nothing.

#include "MainWindowFixture.h"
#include "MessageBoxes.h"

#include "ui_MainWindow.h"

#include "app/KelNGObject.h"
#include "app/RenderStatus.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "browser/ImageBrowser.h"
#include "browser/ImageView.h"
#include "browser/TwSaveSequence.h"
#include "browser/VyxBrowserFileSystemModel.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/Terminal.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/KelTimelinePlayer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <QSemaphore>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace MainWindowTest {
namespace {

// Holds every render at its start until the gate opens, or for two seconds at most, so that a
// render is surely still running when the command comes.
class GateClock : public RenderStatus::Clock
{
public:
    explicit GateClock(QSemaphore* gate) : m_gate(gate) {}
    void start() override
    {
        m_gate->tryAcquire(1, 2000);
        m_timer.start();
    }
    qint64 elapsed() const override { return m_timer.isValid() ? m_timer.elapsed() : 0; }

private:
    QSemaphore* m_gate;
    QElapsedTimer m_timer;
};

// Holds every render at its start for a while: longer than a played frame, so that while the
// timeline plays a render always runs.
class SlowClock : public RenderStatus::Clock
{
public:
    void start() override
    {
        QThread::msleep(40);
        m_timer.start();
    }
    qint64 elapsed() const override { return m_timer.isValid() ? m_timer.elapsed() : 0; }

private:
    QElapsedTimer m_timer;
};

class SaveImage : public MainWindowFixture
{
protected:
    // Makes a picture of one colour the project's source, as the image browser does.
    void showPicture(QSize size, QRgb colour, QString const& name = QStringLiteral("picture.png"))
    {
        QDir(dir.path()).mkpath(QStringLiteral("pictures"));
        const QString path = dir.filePath(QStringLiteral("pictures/") + name);
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(colour);
        ASSERT_TRUE(picture.save(path));
        window->imageChangedInBrowser(path);
        settle();
        ASSERT_EQ(core()->resultImage()->size(), size);
    }
    // Save Image and Save Sequence, run on a project whose render failed, each say `reason` and
    // write nothing; Save Image asks for no name.
    void expectBothCommandsRefuse(QString const& reason)
    {
        QSettings().setValue("lastImageLocation", dir.path());
        QSettings().setValue("lastSequenceLocation", dir.path());
        QAction* const commands[] = {window->form()->actionSaveImage, window->form()->actionSaveSequence};
        for (QAction* command : commands) {
            SCOPED_TRACE(command->text().toStdString());
            // Answers whatever comes: a file dialog with a name, the export by starting it, a box.
            QString said;
            bool askedForAName = false;
            bool exportStarted = false;
            QTimer answer;
            QObject::connect(&answer, &QTimer::timeout, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                    said = box->text();
                    clickOrFail(box, QMessageBox::Ok);
                } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                    askedForAName = true;
                    dialog->selectFile(dir.filePath("stale.png"));
                    QMetaObject::invokeMethod(dialog, "accept");
                } else if (auto* exporter = qobject_cast<TwSaveSequence*>(modal)) {
                    if (!exportStarted) {
                        exportStarted = true;
                        exporter->on_renderButton_clicked();
                    } else if (!exporter->isRendering()) {
                        exporter->reject();
                    }
                }
            });
            answer.start(10);
            command->trigger();
            answer.stop();
            EXPECT_TRUE(said.contains(reason)) << said.toStdString();
            EXPECT_FALSE(askedForAName);
            EXPECT_EQ(written(), QStringList());
        }
    }
    // The files the commands wrote (the pictures have their own folder).
    QStringList written() const { return QDir(dir.path()).entryList(QDir::Files); }
    template<typename T = QToolButton>
    T* timelineChild(const char* name) const
    {
        T* child = window->timeline()->findChild<T*>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    int shownFrame() const { return timelineChild<QSpinBox>("currentFrameSB")->value(); }
    // Lets events through until the condition holds or a generous bound of rounds has passed.
    static bool eventually(std::function<bool()> const& condition)
    {
        for (int round = 0; round < 3000 && !condition(); ++round)
            QTest::qWait(10);
        return condition();
    }
};

// The node between Original Image and Filtered Image deleted: the render fails, and neither
// command writes the last good picture.
TEST_F(SaveImage, AFailedRenderIsRefusedWithItsReasonAndNothingIsWritten)
{
    const QString reason = QStringLiteral("the input RGB terminal is not connected");
    showPicture(QSize(40, 30), qRgb(200, 10, 10));
    KelNGObject* object = addInversion("Broken");
    KelNodes::Node* between = nullptr;
    auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(object->graph());
    ASSERT_NE(graph, nullptr);
    for (KelNodes::Node* node : graph->nodes()) {
        if (node != graph->sourceNode() && node != graph->destinationNode())
            between = node;
    }
    ASSERT_NE(between, nullptr);
    window->deleteNodeFromGraphView(nullptr, between);
    settle();
    ASSERT_FALSE(core()->renderer()->completedSucceeded());

    expectBothCommandsRefuse(reason);
}

// An Equalize node without input gives up while the render prepares it: the view names it after
// the failure sentence, and neither command writes anything; both name it too.
TEST_F(SaveImage, ANodeThatGivesUpIsNamedAndNothingIsWritten)
{
    const QString reason = QStringLiteral("the node \"Equalize\" could not be prepared for rendering");
    showPicture(QSize(40, 30), qRgb(200, 10, 10));
    KelNGObject* object = addInversion("Equalized");
    auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(object->graph());
    ASSERT_NE(graph, nullptr);
    core()->cancelRender();
    KelNodes::Node* equalize = graph->addNode(QStringLiteral("operator.equalize"), -1);
    ASSERT_NE(equalize, nullptr);
    graph->destinationNode()->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    ASSERT_EQ(equalize->connect(QStringLiteral("rgb"), graph->destinationNode(), QStringLiteral("rgb")), 0);
    core()->start();
    settle();
    ASSERT_FALSE(core()->renderer()->completedSucceeded());
    EXPECT_EQ(window->imageView()->message().toStdString(),
              QStringLiteral("Rendering failed or canceled: %1.").arg(reason).toStdString());

    expectBothCommandsRefuse(reason);
}

// A node reading an effect the render does not make (here one of another graph) would read the
// grey an effect gives without a result: the render fails with the reason after the failure
// sentence, and neither command writes anything.
TEST_F(SaveImage, ANodeReadingAnEffectWithoutItsResultFailsTheRenderAndNothingIsWritten)
{
    const QString reason =
        QStringLiteral("the node \"Reader\" reads the effect \"Elsewhere\", which has no result for it in this render");
    showPicture(QSize(40, 30), qRgb(200, 10, 10));
    KelNGObject* object = addInversion("Reads elsewhere");
    auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(object->graph());
    ASSERT_NE(graph, nullptr);
    KelVyxNodes::VyxNodeGraph other;
    KelVyxNodes::VyxNodeGraph* elsewhere = other.addSubGraph(-1);
    ASSERT_NE(elsewhere, nullptr);
    elsewhere->setName(QStringLiteral("Elsewhere"));
    core()->cancelRender();
    KelNodes::Node* max = graph->addNode(QStringLiteral("operator.Maths.max"), -1);
    ASSERT_NE(max, nullptr);
    max->setName(QStringLiteral("Reader"));
    ASSERT_EQ(graph->sourceNode()->connect(QStringLiteral("rgb"), max, QStringLiteral("rgbIn1")), 0);
    ASSERT_EQ(elsewhere->connect(QStringLiteral("rgbOut"), max, QStringLiteral("rgbIn2")), 0);
    graph->destinationNode()->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    ASSERT_EQ(max->connect(QStringLiteral("rgbOut"), graph->destinationNode(), QStringLiteral("rgb")), 0);
    core()->start();
    settle();
    ASSERT_FALSE(core()->renderer()->completedSucceeded());
    EXPECT_EQ(window->imageView()->message().toStdString(),
              QStringLiteral("Rendering failed or canceled: %1.").arg(reason).toStdString());

    expectBothCommandsRefuse(reason);
    // The other graph goes first: nothing renders it while the window holds a link to it.
    core()->cancelRender();
    max->getTerminal(QStringLiteral("rgbIn2"))->disconnectAll();
}

TEST_F(SaveImage, OnlyFormatsThatHoldThePictureAreOfferedAndOthersAreRefusedByName)
{
    struct Case {
        QSize size;
        QString typed;
        bool iconsOffered;
        QStringList said; // empty: the typed file is written
    };
    const Case cases[] = {
        {QSize(720, 477), "x.gif", false, {"GIF", "cannot be written", "PNG", "JPEG", "BMP"}},
        {QSize(720, 477), "big.ico", false, {"256 x 256", "720 x 477", "PNG"}},
        {QSize(64, 48), "small.ico", true, {}},
    };
    QSettings().setValue("lastImageLocation", dir.path());
    for (Case const& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        showPicture(c.size, qRgb(10, 120, 200));
        QStringList filters;
        answerFileDialog(dir.filePath(c.typed), [&](QFileDialog* dialog) { filters = dialog->nameFilters(); });
        QString said;
        if (!c.said.isEmpty())
            answerMessageBox(QMessageBox::Ok, &said);
        window->saveImage();
        for (QString const& icon : {QStringLiteral("ICO Image"), QStringLiteral("CUR Image")})
            EXPECT_EQ(!filters.filter(icon).isEmpty(), c.iconsOffered) << filters.join(";;").toStdString();
        EXPECT_TRUE(filters.filter("ICNS Image").isEmpty());
        for (QString const& part : c.said)
            EXPECT_TRUE(said.contains(part)) << part.toStdString() << " in " << said.toStdString();
        if (c.said.isEmpty()) {
            EXPECT_EQ(written(), QStringList{c.typed});
            EXPECT_EQ(QImage(dir.filePath(c.typed)).size(), c.size);
            QFile::remove(dir.filePath(c.typed));
        } else {
            EXPECT_EQ(written(), QStringList());
        }
    }
}

// The picture saved under the name the dialog proposes is among the pictures the image browser
// shows of that folder, as is a photo whose suffix is another spelling of a readable format.
TEST_F(SaveImage, TheSavedPictureIsShownInTheImageBrowser)
{
    QSettings().setValue("lastImageLocation", dir.path());
    showPicture(QSize(24, 16), qRgb(30, 160, 90));
    QImage photo(QSize(8, 8), QImage::Format_RGB32);
    photo.fill(qRgb(90, 90, 90));
    ASSERT_TRUE(photo.save(dir.filePath("photo.tiff"), "TIFF"));
    QString proposed;
    answerFileDialog(dir.filePath("image.jpeg"), [&](QFileDialog* dialog) {
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            proposed = edit->text();
    });
    window->saveImage();
    ASSERT_EQ(proposed, QStringLiteral("image.jpeg"));
    ASSERT_TRUE(QFile::exists(dir.filePath("image.jpeg")));

    ImageBrowser* browser = window->imageBrowser();
    VyxBrowserFileSystemModel* model = browser->fileModel();
    QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
    browser->navigateTo(model->index(dir.path()));
    ASSERT_TRUE(loaded.count() > 0 || loaded.wait(5000));
    settle();
    ASSERT_EQ(browser->currentPath(), dir.path());
    const QModelIndex folder = model->index(dir.path());
    QStringList shown;
    for (int row = 0; row < model->rowCount(folder); ++row)
        shown << model->index(row, 0, folder).data().toString();
    EXPECT_TRUE(shown.contains("image.jpeg")) << shown.join(", ").toStdString();
    EXPECT_TRUE(shown.contains("photo.tiff")) << shown.join(", ").toStdString();
}

// A command that comes while the render of an edit still runs waits for it, under a busy cursor,
// and saves the edit's picture.
TEST_F(SaveImage, ARunningRenderIsWaitedForUnderABusyCursor)
{
    showPicture(QSize(32, 24), qRgb(255, 0, 0), "red.png");
    addInversion("Inverted");
    QSemaphore gate;
    core()->renderer()->status().setClock(std::make_unique<GateClock>(&gate));
    bool busy = false;
    QTimer opener;
    QObject::connect(&opener, &QTimer::timeout, [&] {
        QCursor const* cursor = QApplication::overrideCursor();
        if (cursor && cursor->shape() == Qt::WaitCursor && !busy) {
            busy = true;
            gate.release();
        }
    });
    opener.start(10);

    const QString blue = dir.filePath(QStringLiteral("pictures/blue.png"));
    QImage picture(QSize(32, 24), QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 255));
    ASSERT_TRUE(picture.save(blue));
    window->imageChangedInBrowser(blue);
    ASSERT_TRUE(core()->isRenderPending());
    answerFileDialog(dir.filePath("edited.png"));
    window->saveImage();
    opener.stop();
    settle();
    core()->renderer()->status().setClock(nullptr);

    EXPECT_TRUE(busy);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Blue inverted, not red inverted.
    EXPECT_EQ(QImage(dir.filePath("edited.png")).pixel(0, 0), qRgb(255, 255, 0));
}

// Save Image while the timeline plays, each frame's render outlasting the frame: the command
// stops the player at the frame shown and waits for the render running when it came, not for
// the renders of the frames that would follow until the playback's end.
TEST_F(SaveImage, DuringPlaybackOnlyTheRenderRunningWhenTheCommandCameIsWaitedFor)
{
    QSettings().setValue("lastImageLocation", dir.path());
    showPicture(QSize(64, 48), qRgb(200, 120, 40));
    addInversion("Inverted");
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto* length = timelineChild<QSpinBox>("durationSB");
    length->setValue(60);
    core()->renderer()->status().setClock(std::make_unique<SlowClock>());
    KelTimeline* timeline = window->timeline();
    KelTimelinePlayer* player = timeline->player();

    struct Seen
    {
        bool commanded = false;
        bool renderRunning = false;
        bool renderStarted = false;
        quint64 generation = 0;
        int frame = -1;
    } atCommand, atDialog;
    bool playingAtDialog = true;
    bool renderEndedAtDialog = false;
    bool succeededAtDialog = false;
    int framesSeen = 0;
    answerFileDialog(dir.filePath("played.png"), [&](QFileDialog*) {
        atDialog.generation = core()->renderer()->generation();
        atDialog.frame = shownFrame();
        playingAtDialog = player->isPlaying();
        renderEndedAtDialog = !core()->renderer()->isRunning();
        succeededAtDialog = core()->renderer()->completedSucceeded();
    });
    // After the panel's own handling of the frame: its render has just started.
    QObject::connect(timeline, &KelTimeline::setCurrentFrameSignal, window.get(), [&](int) {
        if (atCommand.commanded || ++framesSeen < 5)
            return;
        atCommand.commanded = true;
        atCommand.renderRunning = core()->isRenderPending();
        atCommand.renderStarted = core()->renderer()->isRunning();
        atCommand.generation = core()->renderer()->generation();
        atCommand.frame = shownFrame();
        window->form()->actionSaveImage->trigger();
    }, Qt::QueuedConnection);
    QTest::mouseClick(timelineChild("playForwardTB"), Qt::LeftButton);

    ASSERT_TRUE(eventually([&] { return QFile::exists(dir.filePath("played.png")); }));
    player->stop();
    player->wait();
    settle();
    core()->renderer()->status().setClock(nullptr);

    ASSERT_TRUE(atCommand.renderRunning);
    // No render started between the command and the file dialog but the one the frame needed:
    // the one running was awaited, or the one asked for was started by the wait.
    EXPECT_EQ(atDialog.generation, atCommand.generation + (atCommand.renderStarted ? 0 : 1));
    EXPECT_TRUE(renderEndedAtDialog);
    EXPECT_TRUE(succeededAtDialog);
    EXPECT_FALSE(playingAtDialog);
    EXPECT_EQ(atDialog.frame, atCommand.frame);
    EXPECT_EQ(shownFrame(), atCommand.frame) << "no frame of the stopped player came later";
    EXPECT_EQ(QImage(dir.filePath("played.png")).pixel(0, 0), qRgb(55, 135, 215));
}

// While Save Image waits, a click on a timeline button does nothing, then or later; Esc ends the
// wait, and nothing is asked or written.
TEST_F(SaveImage, EscEndsTheWaitAndNoCommandRunsInsideIt)
{
    QSettings().setValue("lastImageLocation", dir.path());
    showPicture(QSize(32, 24), qRgb(255, 0, 0), "red.png");
    addInversion("Inverted");
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const int frameBefore = shownFrame();
    QToolButton* gotoEnd = timelineChild("gotoEndFrameTB");
    ASSERT_TRUE(gotoEnd->isEnabled());

    QSemaphore gate;
    core()->renderer()->status().setClock(std::make_unique<GateClock>(&gate));
    const QString blue = dir.filePath(QStringLiteral("pictures/blue.png"));
    QImage picture(QSize(32, 24), QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 255));
    ASSERT_TRUE(picture.save(blue));
    window->imageChangedInBrowser(blue);
    ASSERT_TRUE(core()->isRenderPending());

    bool waited = false;
    bool commandRanInside = false;
    bool askedForAName = false;
    QTimer inside;
    QObject::connect(&inside, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            askedForAName = true;
            dialog->reject();
            return;
        }
        QCursor const* cursor = QApplication::overrideCursor();
        if (waited || !cursor || cursor->shape() != Qt::WaitCursor)
            return;
        waited = true;
        QTest::mouseClick(gotoEnd, Qt::LeftButton);
        commandRanInside = shownFrame() != frameBefore;
        QTest::keyClick(window.get(), Qt::Key_Escape);
    });
    inside.start(10);
    window->form()->actionSaveImage->trigger();
    const bool renderStillHeld = core()->renderer()->isRunning();
    inside.stop();
    gate.release(100);
    settle();
    core()->renderer()->status().setClock(nullptr);

    EXPECT_TRUE(waited);
    EXPECT_TRUE(renderStillHeld) << "Esc ended the wait, not the render";
    EXPECT_FALSE(commandRanInside);
    EXPECT_EQ(shownFrame(), frameBefore) << "the click is not replayed after the wait";
    EXPECT_FALSE(askedForAName);
    EXPECT_EQ(written(), QStringList());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace MainWindowTest

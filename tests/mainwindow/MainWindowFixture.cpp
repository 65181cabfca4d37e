#include "MainWindowFixture.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/NodeGraph.h"

#include <QApplication>
#include <QMessageBox>
#include <QAbstractButton>
#include <QSignalSpy>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QUndoStack>

namespace MainWindowTest {

// Answer timers still waiting; a test ends them all, so none answers for the next test.
static QList<QPointer<QTimer>> g_pendingAnswers;

void MainWindowFixture::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    window = std::make_unique<TwMainWindow>(nullptr);
    settle();
}

void cancelPendingAnswers()
{
    for (QPointer<QTimer> const& timer : std::as_const(g_pendingAnswers)) {
        if (timer && timer->isActive())
            ADD_FAILURE() << "a dialog that was to be answered never came";
        delete timer.data();
    }
    g_pendingAnswers.clear();
}

void MainWindowFixture::TearDown()
{
    cancelPendingAnswers();
    if (!window)
        return;
    settle();
    discardProject();
    window.reset();
}

TwCore* MainWindowFixture::core() const
{
    return window->core();
}

void MainWindowFixture::settle()
{
    for (int i = 0; i < 50; ++i) {
        core()->renderer()->wait(10000);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        if (!core()->renderer()->isRunning())
            return;
    }
}

bool MainWindowFixture::waitForRender()
{
    QSignalSpy finished(core(), &TwCore::finished);
    const bool ended = finished.wait(20000);
    settle();
    return ended;
}

KelNGObject* MainWindowFixture::addInversion(QString const& name)
{
    core()->cancelRender();
    KelVyxNodes::VyxNodeGraph* graph = core()->rootGraph()->addSubGraph(-1);
    graph->setName(name);
    graph->setUp(core()->sourceImage(), nullptr, nullptr, false);
    KelNodes::Node* inversion = graph->addNode(QStringLiteral("operator.inversion"), -1);
    EXPECT_NE(inversion, nullptr);
    graph->sourceNode()->connect(QStringLiteral("rgb"), inversion, QStringLiteral("inRgb"));
    inversion->connect(QStringLiteral("outRgb"), graph->destinationNode(), QStringLiteral("rgb"));
    KelNGObject* object = core()->addObjectFromNodeGraph(graph);
    settle();
    return object;
}

QStringList MainWindowFixture::objectNames() const
{
    QStringList names;
    for (KelNGObject* object : core()->objectList())
        names << object->graph()->name();
    return names;
}

void MainWindowFixture::discardProject()
{
    core()->setModified(false);
    window->clear();
    core()->setModified(false);
    settle();
}

namespace {

// Polls for the next modal widget of type T and answers it once.
template<typename T>
void answerNext(std::function<void(T*)> answer)
{
    auto* timer = new QTimer;
    g_pendingAnswers << timer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start();
}

} // namespace

void answerFileDialog(QString const& fileName, std::function<void(QFileDialog*)> inspect)
{
    answerNext<QFileDialog>([fileName, inspect](QFileDialog* dialog) {
        if (inspect)
            inspect(dialog);
        if (fileName.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(fileName);
        // The name field wins over the selection when the dialog proposed a name.
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            edit->setText(fileName);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

void rejectNextDialog(QString* className)
{
    answerNext<QDialog>([className](QDialog* dialog) {
        if (className)
            *className = QString::fromLatin1(dialog->metaObject()->className());
        dialog->reject();
    });
}

void answerMessageBox(int button, QString* text)
{
    answerNext<QMessageBox>([button, text](QMessageBox* box) {
        if (text)
            *text = box->text();
        QAbstractButton* target = box->button(QMessageBox::StandardButton(button));
        if (!target)
            target = box->escapeButton();
        if (target)
            target->click();
        else
            box->done(button);
    });
}

} // namespace MainWindowTest

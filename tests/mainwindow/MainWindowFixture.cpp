#include "MainWindowFixture.h"

#include "CoreSteps.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "browser/TwSaveSequence.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "nodeui/KelTimeline.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QMessageBox>
#include <QAbstractButton>
#include <QSignalSpy>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
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
    CoreSteps::settle(core());
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
    return CoreSteps::addInversion(core(), name);
}

QStringList MainWindowFixture::objectNames() const
{
    return CoreSteps::objectNames(core());
}

void MainWindowFixture::discardProject()
{
    core()->setModified(false);
    // The effects' own template edits go with the effects: dropped here as a Discard drops them.
    for (KelNGObject* owner : window->objectEditor()->unsavedProjectTemplateOwners())
        owner->objectTemplate()->setModified(false);
    window->clear();
    core()->setModified(false);
    settle();
}

void MainWindowFixture::showWindow()
{
    window->resize(1400, 900);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

void MainWindowFixture::goToFrame(int frame)
{
    auto* field = window->timeline()->findChild<QSpinBox*>(QStringLiteral("currentFrameSB"));
    ASSERT_NE(field, nullptr);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QString::number(frame));
    QTest::keyClick(field, Qt::Key_Return);
    settle();
}

void typeValue(QAbstractSpinBox* editor, QString const& text)
{
    ASSERT_NE(editor, nullptr);
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(editor, &in);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(editor, &out);
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

bool exportThroughTheDialog(std::function<void()> const& start, QString const& folder, int from, int to,
                            std::function<void(TwSaveSequence*)> const& atTheEnd)
{
    QTimer poll;
    poll.setInterval(10);
    bool started = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TwSaveSequence*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        if (!started) {
            started = true;
            dialog->findChild<QLineEdit*>(QStringLiteral("directoryEdit"))->setText(folder);
            dialog->findChild<QSpinBox*>(QStringLiteral("fromSpinBox"))->setValue(from);
            dialog->findChild<QSpinBox*>(QStringLiteral("toSpinBox"))->setValue(to);
            dialog->findChild<QPushButton*>(QStringLiteral("renderButton"))->click();
        } else if (!dialog->findChild<QLabel*>(QStringLiteral("summaryLabel"))->text().isEmpty()) {
            poll.stop();
            if (atTheEnd)
                atTheEnd(dialog);
            dialog->reject();
        }
    });
    poll.start();
    start();
    return started;
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

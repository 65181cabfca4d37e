#pragma once

// A real main window on the offscreen platform, built as start-up builds it (no splash, no
// command-line project), with helpers to let renders end and to answer its dialogs.

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class KelNGObject;
class QAbstractSpinBox;
class TwCore;
class TwSaveSequence;
class TwMainWindow;

namespace MainWindowTest {

class MainWindowFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Waits until no render runs and the queued ends and restarts have been delivered.
    void settle();
    // Waits for the next finished() of the core (true) or gives up after a generous time.
    bool waitForRender();
    // A new top-level object named `name` whose graph inverts the colours.
    KelNGObject* addInversion(QString const& name);
    // The project object names in chain order.
    QStringList objectNames() const;
    // Brings a modified project to a clean state without asking.
    void discardProject();
    // Shows the window at a size that holds every panel, and waits until it is on the screen.
    void showWindow();
    // Types `frame` into the timeline's frame field and confirms it, as a user goes to a frame.
    void goToFrame(int frame);

    TwCore* core() const;
    std::unique_ptr<TwMainWindow> window;
    QTemporaryDir dir;
};

// Runs `answer` with the next file dialog that shows up, from a timer; the dialog is then
// accepted with `fileName` (empty: rejected).
void answerFileDialog(QString const& fileName, std::function<void(QFileDialog*)> inspect = {});
// Rejects the next modal dialog of any kind; its class name goes to *className when given.
void rejectNextDialog(QString* className = nullptr);
// Runs `start`, which opens the Save Sequence dialog; exports frames `from`..`to` into `folder`
// through it and, once the dialog says what was written, hands it to `atTheEnd` and closes it.
// False when no dialog came.
bool exportThroughTheDialog(std::function<void()> const& start, QString const& folder, int from, int to,
                            std::function<void(TwSaveSequence*)> const& atTheEnd = {});
// Types `text` into `editor` and confirms it as a user does: focus in, Return, focus out.
void typeValue(QAbstractSpinBox* editor, QString const& text);
// Clicks `button` on the next message box; its text goes to *text when given.
void answerMessageBox(int button, QString* text = nullptr);

} // namespace MainWindowTest

// The main window as a user sees it on a real (virtual) X server: keyboard focus and shortcuts,
// and the title bar the window paints itself. Registered under Xvfb as "mainwindow_real_window";
// on the offscreen platform these tests are skipped.

#include "MainWindowFixture.h"
#include "MessageBoxes.h"
#include "ParameterObject.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwProjectBrowser.h"
#include "mainwindow/TwObjectSettings.h"
#include "style/KelStyle.h"
#include "ui_ProjectBrowser.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStyleFactory>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>

namespace MainWindowTest {
namespace {

class RealWindow : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs a real window (runs under Xvfb)";
        // The application's own style, as start-up installs it before the window exists.
        QApplication::setStyle(new KelStyle);
        MainWindowFixture::SetUp();
        window->resize(1100, 700);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        settle();
    }

    void TearDown() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return;
        MainWindowFixture::TearDown();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    }

    QTreeWidget* projectTree() const { return window->projectBrowser()->form()->treeWidget; }

    QComboBox* opacityBox(KelNGObject* object) const
    {
        return qobject_cast<QComboBox*>(projectTree()->itemWidget(object->projectBrowserItem, 3));
    }

    // The window's undo shortcut, typed wherever the focus is.
    void pressUndo()
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);
        settle();
    }

    // What the screen shows of the window's menu bar, where the window paints its title.
    QImage titleBarOnScreen() const
    {
        QMenuBar* bar = window->menuBar();
        return window->screen()
            ->grabWindow(window->winId(), bar->x(), bar->y(), bar->width(), bar->height())
            .toImage();
    }
};

TEST_F(RealWindow, UndoKeysReachTheWindowFromAnOpacityBox)
{
    const struct
    {
        const char* name;
        bool typeAndReturn; // else the box only takes the focus
    } cases[] = {{"typed value and Return", true}, {"focus left in the box", false}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        KelNGObject* object = addInversion(QStringLiteral("Soft"));
        settle();
        QComboBox* box = opacityBox(object);
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(box->isVisible());
        // The box's line edit passes its focus on to the box.
        box->lineEdit()->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == box; }, 5000));
        if (c.typeAndReturn) {
            box->lineEdit()->selectAll();
            QTest::keyClicks(box, QStringLiteral("50%"));
            QTest::keyClick(box, Qt::Key_Return);
            settle();
            EXPECT_EQ(TwObjectSettings::opacity(object->graph()), 50);
            EXPECT_EQ(QApplication::focusWidget(), projectTree());
            // The next change, "+": an empty filter, a step of its own.
            window->projectBrowser()->form()->addNewEmptyFilter->click();
            settle();
        } else {
            core()->undoStack()->push(new QUndoCommand(QStringLiteral("Step")));
        }
        const int index = core()->undoStack()->index();
        ASSERT_GT(index, 0);
        pressUndo();
        EXPECT_EQ(core()->undoStack()->index(), index - 1);
        discardProject();
    }
}

TEST_F(RealWindow, UndoAndRedoKeysReachTheWindowFromEveryParameterEditor)
{
    ParameterObject made = addParameterObject(core(), QStringLiteral("Keys"));
    ASSERT_NE(made.object, nullptr);
    core()->setSelectedObject(made.object);
    window->projectBrowser()->dynamicObjectSettingsFor(made.object);
    settle();
    QUndoStack* stack = core()->undoStack();
    for (KelUtils::Parameter* parameter : std::as_const(made.parameters)) {
        QWidget* editor = importantEditor(window.get(), parameter);
        ASSERT_NE(editor, nullptr);
        SCOPED_TRACE(editor->metaObject()->className());
        ASSERT_TRUE(editor->isVisible());
        stack->push(new QUndoCommand(QStringLiteral("Step")));
        const int index = stack->index();
        editor->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == editor; }, 5000));
        pressUndo();
        EXPECT_EQ(stack->index(), index - 1) << "Ctrl+Z is the window's Undo";
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        settle();
        EXPECT_EQ(stack->index(), index) << "Ctrl+Shift+Z is the window's Redo";
    }
    discardProject();
}

// Ctrl+Q typed into the active window asks about the edited project, as the File menu's Exit does.
TEST_F(RealWindow, CtrlQAsksAboutTheEditedProjectAndQuitsOnDiscard)
{
    addInversion(QStringLiteral("Edited"));
    settle();
    {
        MessageBoxes answers({QMessageBox::Cancel});
        QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
        settle();
        ASSERT_EQ(answers.texts.size(), 1);
        EXPECT_TRUE(answers.texts.first().contains(QStringLiteral("\"Untitled\" has been modified")))
            << answers.texts.first().toStdString();
        EXPECT_TRUE(window->isVisible());
    }
    // Without a window manager nothing hands the activation back once the question closes.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    MessageBoxes answers({QMessageBox::Discard});
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    settle();
    EXPECT_EQ(answers.texts.size(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(RealWindow, TitleBarShowsANewTitleWithoutWaitingForThePointer)
{
    // What the screen shows once the window has finished painting.
    QImage before = titleBarOnScreen();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QTest::qWait(100);
            const QImage now = titleBarOnScreen();
            const bool still = now == before;
            before = now;
            return still;
        },
        10000));
    window->setWindowTitle(QStringLiteral("Vyx-Solenne - Harbour at Dusk[*]"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return titleBarOnScreen() != before; }, 5000))
        << "the title bar still shows the old title";
}

} // namespace
} // namespace MainWindowTest

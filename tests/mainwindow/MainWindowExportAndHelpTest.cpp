#include "MainWindowFixture.h"

#include "ui_MainWindow.h"

#include "app/TwCore.h"
#include "browser/TwSaveSequence.h"
#include "help/TwHelp.h"
#include "mainwindow/TwMainWindow.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/KelTimelinePlayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpContentWidget>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace MainWindowTest {
namespace {

using MainWindowExportAndHelp = MainWindowFixture;

TEST_F(MainWindowExportAndHelp, PlaybackStopsBeforeTheExportDialogOpens)
{
    KelTimelinePlayer* player = window->timeline()->player();
    KelTimelinePlayer::Settings loop;
    loop.first = 0;
    loop.end = 100;
    loop.duration = 1000;
    player->play(loop);
    ASSERT_TRUE(player->isPlaying());

    bool answered = false;
    bool playingUnderTheDialog = true;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TwSaveSequence*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        answered = true;
        playingUnderTheDialog = player->isPlaying();
        dialog->reject();
    });
    poll.start();
    window->form()->actionSaveSequence->trigger();

    EXPECT_TRUE(answered);
    EXPECT_FALSE(playingUnderTheDialog);
    player->stop();
    player->wait();
}

// At the end of an export the dialog's row of buttons says what was written: the sentence
// reads on one line beside the buttons, not word by word down a narrow column that pushes
// the pictures of the frames out of sight.
TEST_F(MainWindowExportAndHelp, TheExportSummaryReadsOnOneLineBesideTheButtons)
{
    core()->setSelectedObject(addInversion(QStringLiteral("Inversion")));
    settle();
    QString summary;
    int summaryWidth = 0;
    int roomOnOneLine = 0;
    int summaryHeight = 0;
    int lineHeight = 0;
    const bool started = exportThroughTheDialog([this] { window->form()->actionSaveSequence->trigger(); },
                                                dir.path(), 1, 2, [&](TwSaveSequence* dialog) {
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("summaryLabel"));
        // The layout settles in the event loop after the text changed.
        QApplication::processEvents();
        dialog->layout()->activate();
        summary = label->text();
        summaryWidth = label->width();
        roomOnOneLine = label->fontMetrics().horizontalAdvance(summary);
        summaryHeight = label->height();
        lineHeight = label->fontMetrics().lineSpacing();
    });
    settle();

    ASSERT_TRUE(started);
    ASSERT_FALSE(summary.isEmpty());
    EXPECT_GE(summaryWidth, roomOnOneLine) << summary.toStdString();
    EXPECT_LT(summaryHeight, 2 * lineHeight) << summary.toStdString();
}

TEST_F(MainWindowExportAndHelp, HelpOpensAtTheIntroduction)
{
    window->form()->actionHelp->trigger();
    TwHelp* help = window->findChild<TwHelp*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->pageBytes().contains("<h1>Introduction</h1>"));
    EXPECT_TRUE(help->testAttribute(Qt::WA_DeleteOnClose));
    // The help engine fills its contents on a thread of its own: let it finish before the window
    // goes, and let the window go within the test.
    QElapsedTimer clock;
    clock.start();
    while (help->contentWidget()->model()->rowCount() == 0 && clock.elapsed() < 20000)
        QTest::qWait(10);
    EXPECT_GT(help->contentWidget()->model()->rowCount(), 0);
    QPointer<TwHelp> watched(help);
    help->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull());
}

} // namespace
} // namespace MainWindowTest

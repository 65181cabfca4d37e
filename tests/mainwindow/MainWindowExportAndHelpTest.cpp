#include "MainWindowFixture.h"

#include "ui_MainWindow.h"

#include "browser/TwSaveSequence.h"
#include "help/TwHelp.h"
#include "mainwindow/TwMainWindow.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/KelTimelinePlayer.h"

#include <QApplication>
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

TEST_F(MainWindowExportAndHelp, HelpOpensAtTheIntroduction)
{
    window->form()->actionHelp->trigger();
    TwHelp* help = window->findChild<TwHelp*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->pageBytes().contains("<h1>Introduction</h1>"));
    EXPECT_TRUE(help->testAttribute(Qt::WA_DeleteOnClose));
    help->close();
}

} // namespace
} // namespace MainWindowTest

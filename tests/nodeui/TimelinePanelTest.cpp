// The timeline panel: frame fields, keyframe buttons, enabling, and the player thread against a
// recording core.

#include "TimelineTestSupport.h"

#include "nodeui/KelTimeline.h"

#include <gtest/gtest.h>

#include <QSpinBox>
#include <QTest>
#include <QThread>
#include <QToolButton>

using namespace TimelineTest;

namespace {

// The end of a player's run. QThread::finished comes on the player's own thread, where a signal
// spy would record it while this thread reads the spy: it is passed over to this thread first.
class PlayerEnd
{
public:
    explicit PlayerEnd(QThread* player)
    {
        QObject::connect(player, &QThread::finished, &m_receiver, [this] { m_ended = true; }, Qt::QueuedConnection);
    }
    bool wait() { return QTest::qWaitFor([this] { return m_ended; }, 10000); }

private:
    QObject m_receiver;
    bool m_ended = false;
};


class TimelinePanel : public ::testing::Test
{
protected:
    void SetUp() override { timeline.setCore(&core); }
    template<typename T = QToolButton>
    T* form(const char* name)
    {
        T* found = timeline.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QSpinBox* field(const char* name) { return form<QSpinBox>(name); }
    void show(KeyedContainer& keyed)
    {
        timeline.setMasterContainer(&keyed.container);
        timeline.selectedContainerChanged(nullptr);
    }
    void click(const char* button) { QMetaObject::invokeMethod(&timeline, (QByteArray("on_") + button + "_clicked").constData()); }
    // Plays and collects the frames handed to the core, until the thread has ended.
    QList<int> play(const char* direction)
    {
        QList<int> frames;
        core.onFrameChanged = [&] { frames.append(field("currentFrameSB")->value()); };
        PlayerEnd done(timeline.player());
        form(direction)->click();
        EXPECT_TRUE(done.wait());
        QCoreApplication::processEvents(); // frames queued before the end
        core.onFrameChanged = nullptr;
        return frames;
    }

    FakeCore core;
    KelTimeline timeline;
};

} // namespace

TEST_F(TimelinePanel, MasterSetsRangesAndAnEmptyContainerKeepsTheEndFieldAtOne)
{
    KeyedContainer empty(0);
    show(empty);
    EXPECT_EQ(field("endFrameSB")->value(), 1);
    EXPECT_EQ(field("currentFrameSB")->maximum(), 0);
    EXPECT_EQ(field("endFrameSB")->maximum(), 65565);
    EXPECT_EQ(field("durationSB")->value(), 1000);
    KeyedContainer hundred(100);
    hundred.container.setCurrentFrame(7);
    show(hundred);
    EXPECT_EQ(field("currentFrameSB")->maximum(), 100);
    EXPECT_EQ(field("currentFrameSB")->value(), 7);
}

TEST_F(TimelinePanel, CurrentFrameIsClampedWrittenAfterTheHookAndAnnouncedOnlyWithAMaster)
{
    KeyedContainer keyed(50);
    show(keyed);
    HookCounter hook;
    struct Case { int asked; int shown; };
    for (Case c : {Case{-3, 0}, Case{12, 12}, Case{80, 49}}) {
        timeline.setCurrentFrame(c.asked);
        EXPECT_EQ(field("currentFrameSB")->value(), c.shown) << c.asked;
    }
    EXPECT_EQ(core.frameChanges, 3);
    EXPECT_EQ(hook.calls, 3);
    EXPECT_EQ(keyed.container.currentFrame(), 49); // the last frame, the one the field shows
    // The field goes the same road; not while the core blocks focus-out edits.
    field("currentFrameSB")->setValue(20);
    core.blockFocusOut = true;
    emit field("currentFrameSB")->editingFinished();
    EXPECT_EQ(core.frameChanges, 3);
    core.blockFocusOut = false;
    emit field("currentFrameSB")->editingFinished();
    EXPECT_EQ(keyed.container.currentFrame(), 20);
    // Frames the player queued before the master went do nothing.
    timeline.setMasterContainer(nullptr);
    emit timeline.setCurrentFrameSignal(6);
    QCoreApplication::processEvents();
    EXPECT_EQ(core.frameChanges, 4);
    EXPECT_EQ(keyed.container.currentFrame(), 20);
}

TEST_F(TimelinePanel, KeyframeAndEndFrameEditsWriteOnceAndMarkTheProject)
{
    KeyedContainer keyed(30);
    show(keyed);
    timeline.setCurrentFrame(4);
    HookCounter hook;
    EXPECT_FALSE(form("removeKeyframeTB")->isEnabled());
    form("addKeyframeTB")->click();
    EXPECT_EQ(keyed.container.keyframes(), QList<int>{4});
    EXPECT_FALSE(form("addKeyframeTB")->isEnabled());
    click("addKeyframeTB"); // on a key: writes nothing
    EXPECT_EQ(core.edits, 1);
    EXPECT_EQ(hook.calls, 1);
    form("removeKeyframeTB")->click();
    EXPECT_TRUE(keyed.container.keyframes().isEmpty());
    field("endFrameSB")->setValue(40);
    emit field("endFrameSB")->editingFinished();
    emit field("endFrameSB")->editingFinished();
    EXPECT_EQ(keyed.container.numFrames(), 40);
    EXPECT_EQ(field("currentFrameSB")->maximum(), 40);
    EXPECT_EQ(core.edits, 3);
    EXPECT_EQ(hook.calls, 3);
}

TEST_F(TimelinePanel, NextAndPreviousKeyframeAndEnabling)
{
    EXPECT_FALSE(form("playForwardTB")->isEnabled());
    EXPECT_FALSE(field("currentFrameSB")->isEnabled());
    KeyedContainer keyed(30);
    keyed.keys({5, 10});
    show(keyed);
    struct Case { int from; const char* button; int to; };
    for (Case c : {Case{5, "gotoNextKeyframeTB", 10}, Case{10, "gotoNextKeyframeTB", 10},
                   Case{5, "gotoPrevKeyframeTB", 5}, Case{7, "gotoPrevKeyframeTB", 5}}) {
        timeline.setCurrentFrame(c.from);
        click(c.button);
        EXPECT_EQ(field("currentFrameSB")->value(), c.to) << c.from << c.button;
    }
    timeline.setCurrentFrame(5);
    EXPECT_TRUE(form("playForwardTB")->isEnabled());
    EXPECT_FALSE(form("stopTB")->isEnabled());
    EXPECT_TRUE(form("removeKeyframeTB")->isEnabled());
    EXPECT_FALSE(form("gotoPrevKeyframeTB")->isEnabled());
    EXPECT_TRUE(form("gotoNextKeyframeTB")->isEnabled());
    form("playOnceTB")->click();
    form("playOnceTB")->click();
    EXPECT_TRUE(form("playOnceTB")->isChecked());
    EXPECT_FALSE(form("playLoopTB")->isChecked() || form("playPingPongTB")->isChecked());
}

TEST_F(TimelinePanel, PlayerModes)
{
    KeyedContainer keyed(100);
    show(keyed);
    struct Case { const char* mode; const char* direction; int duration; QList<int> frames; };
    const QList<Case> cases = {
        {"playLoopTB", "playForwardTB", 5, {2, 3, 4, 2, 3, 4}},
        {"playLoopTB", "playBackwardTB", 3, {2, 4, 3, 2}},
        {"playPingPongTB", "playForwardTB", 6, {2, 3, 4, 4, 3, 2, 2}},
        {"playOnceTB", "playForwardTB", 10, {2, 3, 4}},
        {"playOnceTB", "playBackwardTB", 10, {2}},
    };
    field("firstFrameSB")->setValue(2);
    field("endFrameSB")->setValue(4);
    for (Case const& c : cases) {
        field("durationSB")->setValue(c.duration);
        form(c.mode)->setChecked(true);
        EXPECT_EQ(play(c.direction), c.frames) << c.mode << " " << c.direction;
    }
    EXPECT_TRUE(form("playForwardTB")->isEnabled());
    EXPECT_FALSE(form("stopTB")->isEnabled());
}

TEST_F(TimelinePanel, PlayerKeepsTheSettingsOfItsStartAcrossAMasterChange)
{
    KeyedContainer keyed(100);
    KeyedContainer other(100);
    show(keyed);
    field("firstFrameSB")->setValue(1);
    field("endFrameSB")->setValue(3);
    field("durationSB")->setValue(4);
    QList<int> frames;
    core.onFrameChanged = [&] { frames.append(field("currentFrameSB")->value()); };
    PlayerEnd done(timeline.player());
    form("playForwardTB")->click();
    EXPECT_TRUE(form("stopTB")->isEnabled());
    EXPECT_FALSE(form("playForwardTB")->isEnabled());
    field("endFrameSB")->setValue(50);
    form("playOnceTB")->setChecked(true);
    timeline.setMasterContainer(&other.container);
    ASSERT_TRUE(done.wait());
    QCoreApplication::processEvents();
    core.onFrameChanged = nullptr;
    EXPECT_EQ(frames, (QList<int>{1, 2, 3, 1, 2}));
    EXPECT_EQ(other.container.currentFrame(), 2);
}

TEST_F(TimelinePanel, StopEndsPlaybackAndDestructionJoinsTheThread)
{
    KeyedContainer keyed(100);
    auto* panel = new KelTimeline;
    panel->setCore(&core);
    panel->setMasterContainer(&keyed.container);
    panel->findChild<QSpinBox*>(QStringLiteral("durationSB"))->setValue(65565);
    auto* forward = panel->findChild<QToolButton*>(QStringLiteral("playForwardTB"));
    PlayerEnd done(panel->player());
    forward->click();
    panel->player()->stop();
    ASSERT_TRUE(done.wait());
    forward->click();
    delete panel; // stops and joins the running player
    QCoreApplication::processEvents();
}

// The timeline panel: frame fields, keyframe buttons, enabling, and the player thread against a
// recording core.

#include "TimelineTestSupport.h"

#include "nodeui/KelTimeline.h"
#include "nodeui/KelTimelineWidget.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>
#include <QTest>

using namespace TimelineTest;

namespace {

// The panel's form objects, found by their names.
struct TimelineForm
{
    explicit TimelineForm(QWidget* panel)
        : firstFrameSB(spin(panel, "firstFrameSB"))
        , currentFrameSB(spin(panel, "currentFrameSB"))
        , endFrameSB(spin(panel, "endFrameSB"))
        , durationSB(spin(panel, "durationSB"))
        , addKeyframeTB(button(panel, "addKeyframeTB"))
        , removeKeyframeTB(button(panel, "removeKeyframeTB"))
        , gotoPrevKeyframeTB(button(panel, "gotoPrevKeyframeTB"))
        , gotoNextKeyframeTB(button(panel, "gotoNextKeyframeTB"))
        , playBackwardTB(button(panel, "playBackwardTB"))
        , playForwardTB(button(panel, "playForwardTB"))
        , stopTB(button(panel, "stopTB"))
        , playLoopTB(button(panel, "playLoopTB"))
        , playPingPongTB(button(panel, "playPingPongTB"))
        , playOnceTB(button(panel, "playOnceTB"))
    {
    }
    static QSpinBox* spin(QWidget* panel, const char* name)
    {
        auto* found = panel->findChild<QSpinBox*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QToolButton* button(QWidget* panel, const char* name)
    {
        auto* found = panel->findChild<QToolButton*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QSpinBox *firstFrameSB, *currentFrameSB, *endFrameSB, *durationSB;
    QToolButton *addKeyframeTB, *removeKeyframeTB, *gotoPrevKeyframeTB, *gotoNextKeyframeTB,
        *playBackwardTB, *playForwardTB, *stopTB, *playLoopTB, *playPingPongTB, *playOnceTB;
};

class TimelinePanel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        timeline.setCore(&core);
        timeline.resize(776, 59);
    }
    TimelineForm* form() { return &m_form; }
    void setup(KeyedContainer& keyed)
    {
        timeline.setMasterContainer(&keyed.container);
        timeline.selectedContainerChanged(nullptr);
    }
    // Plays and collects the frames the player hands the panel, until the thread has ended.
    QList<int> playAndCollect(bool forwards, int first, int end, int duration, QToolButton* mode)
    {
        form()->firstFrameSB->setValue(first);
        form()->endFrameSB->setValue(end);
        form()->durationSB->setValue(duration);
        mode->setChecked(true);
        QList<int> frames;
        core.onFrameChanged = [&] { frames.append(form()->currentFrameSB->value()); };
        QSignalSpy done(timeline.player(), &QThread::finished);
        (forwards ? form()->playForwardTB : form()->playBackwardTB)->click();
        EXPECT_TRUE(done.wait(10000));
        // Frames queued before the end arrive now.
        QCoreApplication::processEvents();
        core.onFrameChanged = nullptr;
        return frames;
    }

    FakeCore core;
    KelTimeline timeline;
    TimelineForm m_form{&timeline};
};

} // namespace

TEST_F(TimelinePanel, MasterSetsRangesAndAnEmptyContainerKeepsTheEndFieldAtOne)
{
    KeyedContainer empty(0);
    setup(empty);
    EXPECT_EQ(form()->endFrameSB->value(), 1);
    EXPECT_EQ(form()->currentFrameSB->maximum(), 0);
    EXPECT_EQ(form()->endFrameSB->maximum(), 65565);
    EXPECT_EQ(form()->durationSB->value(), 1000);

    KeyedContainer hundred(100);
    hundred.container.setCurrentFrame(7);
    setup(hundred);
    EXPECT_EQ(form()->currentFrameSB->maximum(), 100);
    EXPECT_EQ(form()->currentFrameSB->value(), 7);
    EXPECT_EQ(form()->endFrameSB->value(), 100);
}

TEST_F(TimelinePanel, CurrentFrameIsClampedWrittenAfterTheHookAndAnnounced)
{
    KeyedContainer keyed(50);
    setup(keyed);
    HookCounter hook;
    struct Case { int asked; int shown; };
    for (Case c : {Case{-3, 0}, Case{12, 12}, Case{80, 50}}) {
        const int before = core.frameChanges;
        timeline.setCurrentFrame(c.asked);
        EXPECT_EQ(form()->currentFrameSB->value(), c.shown) << c.asked;
        EXPECT_EQ(core.frameChanges, before + 1);
    }
    EXPECT_EQ(keyed.container.currentFrame(), 12); // 50 lies past the last frame (49)
    EXPECT_EQ(hook.calls, 3);
}

TEST_F(TimelinePanel, WithoutMasterLateFramesDoNothing)
{
    KeyedContainer keyed(50);
    setup(keyed);
    timeline.setMasterContainer(nullptr);
    timeline.setCurrentFrame(5);
    emit timeline.setCurrentFrameSignal(6);
    QCoreApplication::processEvents();
    EXPECT_EQ(core.frameChanges, 0);
    EXPECT_EQ(keyed.container.currentFrame(), 0);
}

TEST_F(TimelinePanel, CurrentFrameFieldGoesThroughTheClampingRoad)
{
    KeyedContainer keyed(30);
    setup(keyed);
    form()->currentFrameSB->setValue(20);
    core.blockFocusOut = true;
    emit form()->currentFrameSB->editingFinished();
    EXPECT_EQ(core.frameChanges, 0);
    core.blockFocusOut = false;
    emit form()->currentFrameSB->editingFinished();
    EXPECT_EQ(core.frameChanges, 1);
    EXPECT_EQ(keyed.container.currentFrame(), 20);
}

TEST_F(TimelinePanel, KeyframeButtonsEditOnceAndMarkTheProject)
{
    KeyedContainer keyed(30);
    setup(keyed);
    HookCounter hook;
    timeline.setCurrentFrame(4);
    const int frameHooks = hook.calls;
    ASSERT_TRUE(form()->addKeyframeTB->isEnabled());
    EXPECT_FALSE(form()->removeKeyframeTB->isEnabled());
    form()->addKeyframeTB->click();
    EXPECT_EQ(keyed.container.keyframes(), QList<int>{4});
    EXPECT_EQ(core.edits, 1);
    EXPECT_EQ(hook.calls, frameHooks + 1);
    EXPECT_FALSE(form()->addKeyframeTB->isEnabled());
    // A second add on a keyed frame writes nothing.
    QMetaObject::invokeMethod(&timeline, "on_addKeyframeTB_clicked");
    EXPECT_EQ(core.edits, 1);
    EXPECT_EQ(hook.calls, frameHooks + 1);

    form()->removeKeyframeTB->click();
    EXPECT_TRUE(keyed.container.keyframes().isEmpty());
    EXPECT_EQ(core.edits, 2);
    EXPECT_EQ(hook.calls, frameHooks + 2);
}

TEST_F(TimelinePanel, NextAndPreviousKeyframe)
{
    KeyedContainer keyed(30);
    keyed.keys({5, 10});
    setup(keyed);
    struct Case { int from; bool next; int to; };
    for (Case c : {Case{5, true, 10}, Case{10, true, 10}, Case{5, false, 5}, Case{7, false, 5},
                   Case{0, true, 5}}) {
        timeline.setCurrentFrame(c.from);
        QMetaObject::invokeMethod(&timeline, c.next ? "on_gotoNextKeyframeTB_clicked"
                                                    : "on_gotoPrevKeyframeTB_clicked");
        EXPECT_EQ(form()->currentFrameSB->value(), c.to) << c.from << (c.next ? " next" : " prev");
    }
}

TEST_F(TimelinePanel, EnablingFollowsContainerKeysAndPlayback)
{
    EXPECT_FALSE(form()->playForwardTB->isEnabled());
    EXPECT_FALSE(form()->stopTB->isEnabled());
    EXPECT_FALSE(form()->currentFrameSB->isEnabled());
    KeyedContainer keyed(30);
    keyed.keys({3, 9});
    setup(keyed);
    timeline.setCurrentFrame(3);
    EXPECT_TRUE(form()->playForwardTB->isEnabled());
    EXPECT_FALSE(form()->stopTB->isEnabled());
    EXPECT_FALSE(form()->addKeyframeTB->isEnabled());
    EXPECT_TRUE(form()->removeKeyframeTB->isEnabled());
    EXPECT_FALSE(form()->gotoPrevKeyframeTB->isEnabled());
    EXPECT_TRUE(form()->gotoNextKeyframeTB->isEnabled());
}

TEST_F(TimelinePanel, ModeButtonsKeepExactlyOneChecked)
{
    EXPECT_TRUE(form()->playLoopTB->isChecked());
    KeyedContainer keyed(10);
    setup(keyed);
    form()->playOnceTB->click();
    form()->playOnceTB->click();
    const int checked = int(form()->playLoopTB->isChecked()) + int(form()->playPingPongTB->isChecked())
                        + int(form()->playOnceTB->isChecked());
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(form()->playOnceTB->isChecked());
}

TEST_F(TimelinePanel, PlayerModes)
{
    KeyedContainer keyed(100);
    setup(keyed);
    struct Case { const char* name; bool forwards; int first, end, duration; QToolButton* mode; QList<int> frames; };
    const QList<Case> cases = {
        {"loop forwards", true, 2, 4, 5, form()->playLoopTB, {2, 3, 4, 2, 3, 4}},
        {"loop backwards", false, 2, 4, 3, form()->playLoopTB, {2, 4, 3, 2}},
        {"ping-pong", true, 2, 4, 6, form()->playPingPongTB, {2, 3, 4, 4, 3, 2, 2}},
        {"once forwards", true, 2, 4, 10, form()->playOnceTB, {2, 3, 4}},
        {"once backwards", false, 2, 4, 10, form()->playOnceTB, {2}},
    };
    for (Case const& c : cases)
        EXPECT_EQ(playAndCollect(c.forwards, c.first, c.end, c.duration, c.mode), c.frames) << c.name;
    EXPECT_TRUE(form()->playForwardTB->isEnabled());
    EXPECT_FALSE(form()->stopTB->isEnabled());
}

TEST_F(TimelinePanel, PlayerUsesTheSettingsOfItsStartAndSurvivesAMasterChange)
{
    KeyedContainer keyed(100);
    KeyedContainer other(100);
    setup(keyed);
    form()->firstFrameSB->setValue(1);
    form()->endFrameSB->setValue(3);
    form()->durationSB->setValue(4);
    QList<int> frames;
    core.onFrameChanged = [&] { frames.append(form()->currentFrameSB->value()); };
    QSignalSpy done(timeline.player(), &QThread::finished);
    form()->playForwardTB->click();
    EXPECT_TRUE(form()->stopTB->isEnabled());
    EXPECT_FALSE(form()->playForwardTB->isEnabled());
    // Whatever happens to the fields meanwhile, the run plays what it started with.
    form()->endFrameSB->setValue(50);
    form()->playOnceTB->setChecked(true);
    timeline.setMasterContainer(&other.container);
    ASSERT_TRUE(done.wait(10000));
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
    TimelineForm panelForm(panel);
    panelForm.durationSB->setValue(65565);
    QSignalSpy done(panel->player(), &QThread::finished);
    panelForm.playForwardTB->click();
    ASSERT_TRUE(panel->player()->isRunning());
    panel->player()->stop();
    ASSERT_TRUE(done.wait(10000));
    panelForm.playForwardTB->click();
    delete panel; // stops and joins the running player
    QCoreApplication::processEvents();
    SUCCEED();
}

TEST_F(TimelinePanel, EndFrameEditSetsTheCountAndMarksTheProject)
{
    KeyedContainer keyed(100);
    setup(keyed);
    HookCounter hook;
    form()->endFrameSB->setValue(40);
    emit form()->endFrameSB->editingFinished();
    EXPECT_EQ(keyed.container.numFrames(), 40);
    EXPECT_EQ(form()->currentFrameSB->maximum(), 40);
    EXPECT_EQ(core.edits, 1);
    EXPECT_EQ(hook.calls, 1);
    emit form()->endFrameSB->editingFinished();
    EXPECT_EQ(core.edits, 1);
}

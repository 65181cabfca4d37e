// The frame ruler: scale, degenerate sizes, clicks, bar drags and keyframe drags.

#include "TimelineTestSupport.h"

#include "nodeui/KelTimeline.h"
#include "nodeui/KelTimelineWidget.h"
#include "style/KelStyleConfig.h"

#include <gtest/gtest.h>

#include <QPixmap>
#include <QTest>

using namespace TimelineTest;

namespace {

class TimelineRuler : public ::testing::Test
{
protected:
    void SetUp() override
    {
        timeline.setCore(&core);
        ruler = timeline.ruler();
        // The ruler alone, at a known size.
        ruler->setParent(nullptr);
        ruler->resize(504, 44);
        timeline.setMasterContainer(&keyed.container);
        paint();
    }
    void TearDown() override { delete ruler; }
    void paint() { (void)ruler->grab(); }
    int xOf(int frame) const
    {
        return int((frame - ruler->firstVisibleFrame()) * ruler->pixelsPerFrame() + 7);
    }
    void moveTo(int x, int y, Qt::MouseButtons buttons)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), ruler->mapToGlobal(QPointF(x, y)),
                         Qt::NoButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(ruler, &move);
    }
    int barTop() const
    {
        return ruler->height() - 2
               - KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("timelineMovebar")).height();
    }

    FakeCore core;
    KelTimeline timeline;
    KeyedContainer keyed{100};
    KelTimelineWidget* ruler = nullptr;
};

} // namespace

TEST_F(TimelineRuler, ScaleClicksAndFramesBeyondTheVisibleRange)
{
    EXPECT_NEAR(ruler->pixelsPerFrame(), 500.0 / 101 * 2, 1e-9);
    EXPECT_EQ(ruler->moveBarLength(), 250);
    EXPECT_EQ(ruler->firstVisibleFrame(), 0);
    // (504 - 9) / 9.9 frames fit: 0..49.
    EXPECT_EQ(ruler->lastVisibleFrame(), 49);

    // A click in the scale sets the frame under it.
    QTest::mouseClick(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(xOf(12) + 2, 5));
    EXPECT_EQ(keyed.container.currentFrame(), 12);
    EXPECT_EQ(core.frameChanges, 1);

    // A current frame beyond the visible range still paints; an invisible key is not hovered.
    keyed.keys({90});
    timeline.setCurrentFrame(80);
    paint();
    moveTo(xOf(49), 5, Qt::NoButton);
    EXPECT_EQ(ruler->hoveredKey(), -1);
}

TEST_F(TimelineRuler, DegenerateSizesPaintOnlyTheFrameAndIgnoreTheMouse)
{
    struct Case { const char* name; int width; double percent; };
    for (Case c : {Case{"no usable width", 4, 50.0}, Case{"narrower than the frame", 2, 50.0},
                   Case{"nothing visible", 504, 0.0}, Case{"negative share", 504, -5.0}}) {
        ruler->resize(c.width, 44);
        ruler->setPercentVisible(c.percent);
        EXPECT_FALSE(ruler->scaleIsUsable()) << c.name;
        paint(); // must end
        QTest::mouseClick(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(1, 5));
        EXPECT_EQ(core.frameChanges, 0) << c.name;
    }
    // A ruler that was never painted nor scaled paints and ignores clicks too.
    KelTimelineWidget fresh;
    fresh.resize(300, 44);
    (void)fresh.grab();
    EXPECT_FALSE(fresh.scaleIsUsable());
}

TEST_F(TimelineRuler, BarDragScrollsWithinTheTrackAndTheLeftCapZooms)
{
    const int y = barTop() + 2;
    const int middle = int(ruler->moveBarOffset() + ruler->moveBarLength() / 2);
    QTest::mousePress(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(middle, y));
    moveTo(middle + 1000, y, Qt::LeftButton);
    EXPECT_EQ(ruler->moveBarOffset(), ruler->usableWidth() - ruler->moveBarLength());
    moveTo(middle - 5000, y, Qt::LeftButton);
    EXPECT_EQ(ruler->moveBarOffset(), 0);
    QTest::mouseRelease(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(middle, y));
    paint();

    const int length = ruler->moveBarLength();
    QTest::mousePress(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(1, y));
    moveTo(60, y, Qt::LeftButton);
    EXPECT_LT(ruler->moveBarLength(), length);
    EXPECT_GT(ruler->pixelsPerFrame(), 500.0 / 101 * 2);
    moveTo(5000, y, Qt::LeftButton);
    const QPixmap left = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("timelineLeftScalebar"));
    const QPixmap mid = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("timelineMovebar"));
    const QPixmap right = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("timelineRightScalebar"));
    EXPECT_GE(ruler->moveBarLength(), left.width() + mid.width() + right.width());
    QTest::mouseRelease(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(5000, y));
}

TEST_F(TimelineRuler, DraggingAKeyAcrossAnotherKeepsBoth)
{
    keyed.keys({10, 12});
    HookCounter hook;
    paint();
    moveTo(xOf(10) + 3, 5, Qt::NoButton);
    ASSERT_EQ(ruler->hoveredKey(), 10);
    QTest::mousePress(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(xOf(10) + 3, 5));
    EXPECT_EQ(core.frameChanges, 0); // a press on a key sets no frame
    int successful = 0;
    for (int frame = 11; frame <= 14; ++frame) {
        moveTo(xOf(frame) + 3, 5, Qt::LeftButton);
        if (frame != 12) {
            ++successful;
            EXPECT_EQ(ruler->hoveredKey(), frame);
        } else {
            EXPECT_EQ(ruler->hoveredKey(), 11) << "the hovered key follows successful moves only";
        }
    }
    QTest::mouseRelease(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(xOf(14) + 3, 5));
    QList<int> keys = keyed.container.keyframes();
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (QList<int>{12, 14}));
    EXPECT_EQ(core.edits, successful);
    EXPECT_EQ(hook.calls, successful);
}

TEST_F(TimelineRuler, ScrubbingAcrossAKeyLeavesIt)
{
    keyed.keys({10});
    paint();
    moveTo(xOf(4) + 3, 5, Qt::NoButton);
    ASSERT_EQ(ruler->hoveredKey(), -1);
    QTest::mousePress(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(xOf(4) + 3, 5));
    for (int frame = 5; frame <= 15; ++frame)
        moveTo(xOf(frame) + 3, 5, Qt::LeftButton);
    QTest::mouseRelease(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(xOf(15) + 3, 5));
    EXPECT_EQ(keyed.container.keyframes(), QList<int>{10});
    EXPECT_EQ(keyed.container.currentFrame(), 15);
    EXPECT_EQ(core.edits, 0);
    // Hover follows the mouse again once no button is held.
    moveTo(xOf(10) + 3, 5, Qt::NoButton);
    EXPECT_EQ(ruler->hoveredKey(), 10);
}

// A ruler scaled at one width and then shown at another (the panel hidden while a node was
// picked, a window made wider or narrower) spreads the same share of the frames over the new width.
TEST_F(TimelineRuler, ANewWidthRescalesAndKeepsTheBarOnItsTrack)
{
    const int y = barTop() + 2;
    const int middle = int(ruler->moveBarOffset() + ruler->moveBarLength() / 2);
    // The bar scrolled to the end of the track first.
    QTest::mousePress(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(middle, y));
    moveTo(middle + 1000, y, Qt::LeftButton);
    QTest::mouseRelease(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(middle + 1000, y));
    for (int width : {1004, 304, 96, 1404}) {
        ruler->resize(width, 44);
        paint();
        const int usable = width - 4;
        EXPECT_NEAR(ruler->pixelsPerFrame(), double(usable) / 101 * 2, 1e-9) << width;
        EXPECT_EQ(ruler->moveBarLength(), usable / 2) << width;
        EXPECT_GE(ruler->moveBarOffset(), 0) << width;
        EXPECT_LE(ruler->moveBarOffset() + ruler->moveBarLength(), usable) << width;
    }
}

#include "AppTestSupport.h"

#include "app/RenderStatus.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <limits>

namespace {

// A clock the test steps by hand.
struct ManualClockState
{
    qint64 now = 0;
    int starts = 0;
};

class ManualClock : public RenderStatus::Clock
{
public:
    explicit ManualClock(ManualClockState* state) : m_state(state) {}
    void start() override
    {
        ++m_state->starts;
        m_state->now = 0;
    }
    qint64 elapsed() const override { return m_state->now; }

private:
    ManualClockState* m_state;
};

class RenderStatusTest : public ::testing::Test
{
protected:
    RenderStatusTest()
    {
        status.setClock(std::make_unique<ManualClock>(&clock));
    }

    // The percentages reported so far.
    QList<int> reports() const
    {
        QList<int> values;
        for (QList<QVariant> const& args : spy)
            values.append(args.at(0).toInt());
        return values;
    }

    ManualClockState clock;
    RenderStatus status;
    QSignalSpy spy{&status, &RenderStatus::percentCompleted};
};

TEST_F(RenderStatusTest, ReportNeedsOnePointAnd501Milliseconds)
{
    status.started();
    EXPECT_EQ(clock.starts, 1);

    clock.now = 500;
    status.completePercentChanged(0.5, 0.5);
    EXPECT_TRUE(reports().isEmpty()) << "500 ms is not enough";

    clock.now = 501;
    status.completePercentChanged(0.5, 0.5);
    EXPECT_EQ(reports(), QList<int>{50});

    // Enough time, not enough progress: 0.009 above the last report.
    clock.now = 5000;
    status.completePercentChanged(0.509, 0.509);
    EXPECT_EQ(reports(), QList<int>{50});

    // Enough progress, not enough time since the last report (at 501).
    clock.now = 1001;
    status.completePercentChanged(0.75, 0.75);
    EXPECT_EQ(reports(), QList<int>{50});
    clock.now = 1002;
    status.completePercentChanged(0.75, 0.75);
    EXPECT_EQ(reports(), (QList<int>{50, 75}));
}

TEST_F(RenderStatusTest, PercentIsTruncatedAndNaNIgnored)
{
    status.started();
    clock.now = 600;
    status.completePercentChanged(std::numeric_limits<double>::quiet_NaN(),
                                  std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(reports().isEmpty());
    status.completePercentChanged(0.999, 0.999);
    EXPECT_EQ(reports(), QList<int>{99});
    // Less than one point, even to the very end, is no report.
    clock.now = 2000;
    status.completePercentChanged(1.0, 1.0);
    EXPECT_EQ(reports(), QList<int>{99});

    // The first argument is not used.
    status.started();
    clock.now = 600;
    status.completePercentChanged(0.0, 1.0);
    EXPECT_EQ(reports(), (QList<int>{99, 100}));
}

TEST_F(RenderStatusTest, StartedResetsProgressAndCompletedCountsAsAReport)
{
    status.started();
    clock.now = 700;
    status.completePercentChanged(0.9, 0.9);
    ASSERT_EQ(reports(), QList<int>{90});

    // A new render starts from zero: 0.2 is progress again, and time restarts.
    status.started();
    EXPECT_EQ(clock.starts, 2);
    clock.now = 400;
    status.completePercentChanged(0.2, 0.2);
    EXPECT_EQ(reports(), QList<int>{90});
    clock.now = 600;
    status.completePercentChanged(0.2, 0.2);
    EXPECT_EQ(reports(), (QList<int>{90, 20}));

    // completed() moves the last report time: the next report needs 501 ms from there.
    clock.now = 900;
    status.completed();
    clock.now = 1300;
    status.completePercentChanged(0.5, 0.5);
    EXPECT_EQ(reports(), (QList<int>{90, 20}));
    clock.now = 1401;
    status.completePercentChanged(0.5, 0.5);
    EXPECT_EQ(reports(), (QList<int>{90, 20, 50}));
}

TEST_F(RenderStatusTest, CancelSurvivesStartedAndClearsOnlyOnRequest)
{
    EXPECT_FALSE(status.cancelationRequested());
    status.cancel();
    EXPECT_TRUE(status.cancelationRequested());
    // A cancel that arrives before the graph starts reporting must not be lost.
    status.started();
    EXPECT_TRUE(status.cancelationRequested());
    status.clearCancel();
    EXPECT_FALSE(status.cancelationRequested());
}

} // namespace

#include "app/RenderStatus.h"

#include <QMutexLocker>

#include <cmath>

class RenderStatus::ElapsedTimerClock : public RenderStatus::Clock
{
public:
    void start() override { m_timer.start(); }
    // A timer that never started reads as 0 rather than as an undefined span.
    qint64 elapsed() const override { return m_timer.isValid() ? m_timer.elapsed() : 0; }

private:
    QElapsedTimer m_timer;
};

namespace {

// A report needs this much time since the previous one, and one percentage point of progress.
constexpr qint64 kMinReportIntervalMs = 501;
constexpr double kMinReportStep = 0.01;

} // namespace

RenderStatus::RenderStatus(QObject* parent)
    : QObject(parent)
    , m_clock(std::make_unique<ElapsedTimerClock>())
{
}

RenderStatus::~RenderStatus() = default;

void RenderStatus::setClock(std::unique_ptr<Clock> clock)
{
    QMutexLocker lock(&m_mutex);
    m_clock = clock ? std::move(clock) : std::make_unique<ElapsedTimerClock>();
}

void RenderStatus::cancel()
{
    QMutexLocker lock(&m_mutex);
    m_cancelRequested = true;
}

void RenderStatus::clearCancel()
{
    QMutexLocker lock(&m_mutex);
    m_cancelRequested = false;
}

QString RenderStatus::failureReason() const
{
    QMutexLocker lock(&m_mutex);
    return m_failureReason;
}

void RenderStatus::clearFailure()
{
    QMutexLocker lock(&m_mutex);
    m_failureReason.clear();
}

void RenderStatus::failed(QString const& reason)
{
    QMutexLocker lock(&m_mutex);
    // The first cause counts; what gives up after it only follows from it.
    if (m_failureReason.isEmpty())
        m_failureReason = reason;
}

void RenderStatus::started()
{
    // The cancel flag is left alone: it was cleared at hand-over, and a cancel that came after
    // that must still stop this render.
    QMutexLocker lock(&m_mutex);
    m_lastFraction = 0.0;
    m_lastReportTime = 0;
    m_clock->start();
}

void RenderStatus::statusChanged(QString const& /*text*/)
{
}

void RenderStatus::operationStarted(double /*weight*/)
{
}

void RenderStatus::completePercentChanged(double /*unused*/, double fraction)
{
    int percent = 0;
    {
        QMutexLocker lock(&m_mutex);
        // Written as "not at least" so that NaN reports nothing.
        if (!(fraction - m_lastFraction >= kMinReportStep))
            return;
        const qint64 now = m_clock->elapsed();
        if (now - m_lastReportTime < kMinReportIntervalMs)
            return;
        m_lastFraction = fraction;
        m_lastReportTime = now;
        percent = static_cast<int>(std::trunc(fraction * 100.0));
    }
    // Emitted outside the lock: a direct receiver may ask for the cancel flag.
    emit percentCompleted(percent);
}

void RenderStatus::completed()
{
    QMutexLocker lock(&m_mutex);
    m_lastReportTime = m_clock->elapsed();
}

bool RenderStatus::cancelationRequested()
{
    QMutexLocker lock(&m_mutex);
    return m_cancelRequested;
}

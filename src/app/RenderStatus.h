#pragma once

#include "params/StatusObserver.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QObject>

#include <memory>

// Progress and cancellation of one render. The effect graph reports to it on the render thread;
// the GUI thread requests cancellation. Its own mutex guards the cancel flag and the progress
// state; progress goes out as percentCompleted(int), at most one per 501 ms and per percentage
// point, so that a fast render does not flood the GUI thread's event queue.
class RenderStatus : public QObject, public KelUtils::StatusObserver
{
    Q_OBJECT

public:
    // The time source of the progress rate limit: a QElapsedTimer by default, replaceable so that
    // tests can step time by hand. Called on the render thread.
    class Clock
    {
    public:
        virtual ~Clock() = default;
        virtual void start() = 0;
        virtual qint64 elapsed() const = 0;
    };

    explicit RenderStatus(QObject* parent = nullptr);
    ~RenderStatus() override;

    // Replaces the clock (null restores a QElapsedTimer). Only while no render runs.
    void setClock(std::unique_ptr<Clock> clock);

    // Any thread.
    void cancel();
    // Clears the cancel request; the renderer calls it when it hands a new render over, so that a
    // cancel between hand-over and the graph's first report is never lost.
    void clearCancel();
    // Why the render failed, in words for the user: the first failed() since the renderer handed
    // the render over (it clears it then); empty while nothing failed.
    QString failureReason() const;
    void clearFailure();

    // KelUtils::StatusObserver, called by the effect graph on the render thread.
    void started() override;
    void statusChanged(QString const& text) override;
    void operationStarted(double weight) override;
    void completePercentChanged(double unused, double fraction) override;
    void completed() override;
    bool cancelationRequested() override;
    void failed(QString const& reason) override;

signals:
    void percentCompleted(int pc);

private:
    class ElapsedTimerClock;

    mutable QMutex m_mutex;
    bool m_cancelRequested = false;
    QString m_failureReason;
    double m_lastFraction = 0.0;
    std::unique_ptr<Clock> m_clock;
    qint64 m_lastReportTime = 0;
};

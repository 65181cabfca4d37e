#pragma once

#include <QString>

namespace KelUtils {

// Progress and cancellation of a long operation (a filtering run). Every caller checks the
// pointer for null before calling. One successful filtering run reports completed() twice
// (once from the image pass, once from the graph), so implementations must tolerate that.
class StatusObserver
{
public:
    virtual ~StatusObserver() {}

    virtual void started() = 0;
    virtual void statusChanged(QString const& text) = 0;
    virtual void operationStarted(double weight) = 0;
    // The image filter passes the fraction of rows done (0..1) as both arguments.
    virtual void completePercentChanged(double a, double b) = 0;
    virtual void completed() = 0;
    virtual bool cancelationRequested() = 0;
    // The run cannot produce its result; `reason` says why in words for the user (a cancelled
    // run reports nothing). Observers that only show progress may ignore it.
    virtual void failed(QString const& reason) { Q_UNUSED(reason) }
};

} // namespace KelUtils

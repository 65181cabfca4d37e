#pragma once

#include <functional>

namespace KelUtils {
class StatusObserver;
}

namespace KelVyxNodes {

// Runs a function once for every row 0..rowCount-1 on up to `threads` threads: the calling
// thread and helpers of the process-wide RenderThreadPool.
//
// Each thread starts on its own contiguous band of rows and walks it top to bottom; a thread
// whose band is done takes the lower half of the largest band left, so rows stay in runs
// (nodes with running sums over rows start over only at a band start) and no thread idles
// while work is left.
//
// Only the calling thread talks to the observer: it asks cancelationRequested() once before
// the first row and once after every finished row it reports (never more often than rows
// finish), and, when `reportProgress` is set, reports completePercentChanged(f, f) for every
// finished row, f growing by 1 / rowCount in single precision. Helpers read an atomic cancel
// flag before each row. Every helper has stopped before run() returns, also on cancellation.
class ParallelRows
{
public:
    // row: the row to do; worker: 0..threads-1, the same for every row a thread does in one run
    // (per-worker partial results).
    using RowFunction = std::function<void(int row, int worker)>;

    ParallelRows() = delete;

    // The number of workers run() uses: threads held to 1..RenderThreadPool::maxThreads() and
    // to rowCount (at least 1).
    static int workerCount(int rowCount, int threads);

    // 0 when every row was done, -1 when the observer asked to cancel (rows already done
    // stay done; no progress is reported for the rest).
    static int run(int rowCount, int threads, RowFunction const& function,
                   KelUtils::StatusObserver* observer, bool reportProgress);

    // Within a row function: whether the run it belongs to has been cancelled (the rest of
    // the row is done all the same unless the function stops itself). False outside a run.
    static bool cancelRequested();
};

} // namespace KelVyxNodes

#include "effects/ParallelRows.h"

#include "effects/RenderStack.h"
#include "effects/RenderThreadPool.h"
#include "effects/RenderThreadStates.h"
#include "effects/VectorRegisters.h"
#include "params/StatusObserver.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>

namespace KelVyxNodes {

namespace {

// A band of rows, next..end-1, packed into one word so that its owner taking the next row and
// a thief cutting off the lower half never race.
struct alignas(64) Band
{
    std::atomic<std::uint64_t> rows{0};
};

std::uint64_t pack(int next, int end)
{
    return (std::uint64_t(std::uint32_t(next)) << 32) | std::uint32_t(end);
}
int nextOf(std::uint64_t v)
{
    return int(std::uint32_t(v >> 32));
}
int endOf(std::uint64_t v)
{
    return int(std::uint32_t(v));
}

class RowJob;
thread_local RowJob const* t_job = nullptr;

class RowJob : public RenderThreadPool::Job
{
public:
    RowJob(int rowCount, int workers, ParallelRows::RowFunction const& function)
        : m_workers(workers)
        , m_bands(new Band[std::size_t(workers)])
        , m_function(function)
        , m_states(RenderThreadStates::current())
    {
        for (int i = 0; i < workers; ++i) {
            const int first = int(std::int64_t(rowCount) * i / workers);
            const int last = int(std::int64_t(rowCount) * (i + 1) / workers);
            m_bands[std::size_t(i)].rows.store(pack(first, last), std::memory_order_relaxed);
        }
    }

    void runTask(int index) override
    {
        // A pool thread has the register state of the thread that started it.
        VectorRegisters::clearUpperHalves();
        RenderStack::Guard guard;
        // The state a helper makes for the render is the render's to give back.
        RenderThreadStates::Scope states(m_states);
        t_job = this;
        try {
            for (;;) {
                if (cancelled())
                    break;
                const int row = claim(index);
                if (row < 0)
                    break;
                doRow(row, index);
            }
        } catch (...) {
            // A pool thread must not end by an exception: the caller rethrows it.
            fail(std::current_exception());
        }
        t_job = nullptr;
    }

    // The first exception of a helper; the job stops, and a waiting caller wakes.
    void fail(std::exception_ptr error)
    {
        {
            std::lock_guard<std::mutex> locker(m_errorLock);
            if (!m_error)
                m_error = error;
        }
        cancel();
        m_failed.store(true, std::memory_order_release);
        m_finished.fetch_add(1, std::memory_order_acq_rel);
        m_finished.notify_all();
    }
    bool failed() const { return m_failed.load(std::memory_order_acquire); }
    std::exception_ptr error() const
    {
        std::lock_guard<std::mutex> locker(m_errorLock);
        return m_error;
    }

    // The next row for worker `me`: from its own band, else the lower half of the largest
    // band left (which becomes its own band); -1 when no row is left.
    int claim(int me)
    {
        std::atomic<std::uint64_t>& own = m_bands[std::size_t(me)].rows;
        std::uint64_t v = own.load(std::memory_order_acquire);
        while (nextOf(v) < endOf(v)) {
            if (own.compare_exchange_weak(v, pack(nextOf(v) + 1, endOf(v)),
                                          std::memory_order_acq_rel))
                return nextOf(v);
        }
        for (;;) {
            int victim = -1;
            int largest = 0;
            std::uint64_t seen = 0;
            for (int i = 0; i < m_workers; ++i) {
                if (i == me)
                    continue;
                const std::uint64_t b = m_bands[std::size_t(i)].rows.load(std::memory_order_acquire);
                const int left = endOf(b) - nextOf(b);
                if (left > largest) {
                    largest = left;
                    victim = i;
                    seen = b;
                }
            }
            if (victim < 0)
                return -1;
            const int next = nextOf(seen);
            const int end = endOf(seen);
            const int middle = next + (end - next) / 2;
            if (!m_bands[std::size_t(victim)].rows.compare_exchange_strong(
                    seen, pack(next, middle), std::memory_order_acq_rel))
                continue;
            // Our own band is empty, so no thief touches it until it holds the stolen rows.
            own.store(pack(middle + 1, end), std::memory_order_release);
            return middle;
        }
    }

    void doRow(int row, int worker)
    {
        m_function(row, worker);
        m_finished.fetch_add(1, std::memory_order_acq_rel);
        m_finished.notify_one();
    }

    int finished() const { return m_finished.load(std::memory_order_acquire); }
    void waitForMoreThan(int rows) const { m_finished.wait(rows, std::memory_order_acquire); }
    void cancel() { m_cancel.store(true, std::memory_order_release); }
    bool cancelled() const { return m_cancel.load(std::memory_order_acquire); }

private:
    const int m_workers;
    std::unique_ptr<Band[]> m_bands;
    ParallelRows::RowFunction const& m_function;
    RenderThreadStates* const m_states;
    std::atomic<int> m_finished{0};
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_failed{false};
    mutable std::mutex m_errorLock;
    std::exception_ptr m_error;
};

} // namespace

bool ParallelRows::cancelRequested()
{
    return t_job && t_job->cancelled();
}

int ParallelRows::workerCount(int rowCount, int threads)
{
    return std::max(1, std::min({threads, rowCount, RenderThreadPool::maxThreads()}));
}

int ParallelRows::run(int rowCount, int threads, RowFunction const& function,
                      KelUtils::StatusObserver* observer, bool reportProgress)
{
    if (rowCount <= 0)
        return 0;
    // Rows run at full speed whatever the caller's code left in the vector registers.
    VectorRegisters::clearUpperHalves();
    RenderStack::Guard guard;
    const int workers = workerCount(rowCount, threads);
    const float step = 1.0f / float(rowCount);
    float fraction = 0.0f;

    if (workers == 1) {
        for (int row = 0; row < rowCount; ++row) {
            if (observer && observer->cancelationRequested())
                return -1;
            function(row, 0);
            if (observer && reportProgress) {
                fraction += step;
                observer->completePercentChanged(double(fraction), double(fraction));
            }
        }
        return 0;
    }

    if (observer && observer->cancelationRequested())
        return -1;
    RowJob job(rowCount, workers, function);
    bool cancelled = false;
    {
    RenderThreadPool& pool = RenderThreadPool::instance();
    pool.submit(&job, 1, workers - 1);
    RowJob const* outer = t_job; // a run inside a row function of another run
    t_job = &job;
    // However this thread leaves (an exception from a row or the observer), the helpers stop
    // and are waited for before the job goes away.
    struct Join
    {
        RenderThreadPool& pool;
        RowJob& job;
        RowJob const* outer;
        ~Join()
        {
            t_job = outer;
            job.cancel();
            pool.finish(&job);
        }
    } join{pool, job, outer};

    // Reports rows finished so far, one by one, each followed by the question the row loop
    // asks before its next row; false once cancelled.
    int reported = 0;
    auto catchUp = [&]() {
        const int done = job.finished();
        while (reported < done) {
            ++reported;
            if (!observer)
                continue;
            if (reportProgress) {
                fraction += step;
                observer->completePercentChanged(double(fraction), double(fraction));
            }
            if (reported < rowCount && observer->cancelationRequested()) {
                job.cancel();
                return false;
            }
        }
        return true;
    };

    for (;;) {
        if (job.failed())
            break;
        const int row = job.claim(0);
        if (row < 0)
            break;
        job.doRow(row, 0);
        if (!catchUp()) {
            cancelled = true;
            break;
        }
    }
    while (!cancelled && reported < rowCount && !job.failed()) {
        // Every row left is being done by a running helper (or one failed), so the count moves.
        if (job.finished() == reported)
            job.waitForMoreThan(reported);
        cancelled = !catchUp();
    }
    }
    if (std::exception_ptr error = job.error())
        std::rethrow_exception(error);
    return cancelled ? -1 : 0;
}

} // namespace KelVyxNodes

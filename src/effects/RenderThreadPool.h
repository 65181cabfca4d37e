#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class QThread;

namespace KelVyxNodes {

// The worker threads that help render rows, one set per process, living until the process
// ends (never detached). A render hands the pool tasks of a job and, before it returns, calls
// finish(): tasks not started yet are dropped and running ones are waited for, so no task ever
// outlives its job. Several renders may use the pool at once; a task that finds every thread
// busy simply starts later (or never, when its job has finished without it), which is why the
// caller of submit() always works on its job itself. Its threads have RenderStack::kThreadBytes
// of stack, whatever the process's default.
class RenderThreadPool
{
public:
    // A unit of work handed to the pool; `running` is guarded by the pool.
    class Job
    {
    public:
        virtual ~Job() = default;
        virtual void runTask(int index) = 0;

    private:
        friend class RenderThreadPool;
        int m_running = 0;
    };

    // The process-wide pool; its threads are created when first needed.
    static RenderThreadPool& instance();
    // The number of cores the process may run on (at least 1).
    static int coreCount();
    // The most threads a render may ask for.
    static int maxThreads();

    ~RenderThreadPool();
    RenderThreadPool(RenderThreadPool const&) = delete;
    RenderThreadPool& operator=(RenderThreadPool const&) = delete;

    // Queues job->runTask(first) .. job->runTask(first + count - 1), growing the pool to at
    // least `count` threads.
    void submit(Job* job, int first, int count);
    // Drops the job's queued tasks and waits until none of them runs. Afterwards the pool holds
    // no reference to the job.
    void finish(Job* job);

    // Threads of the pool so far (tests).
    int threadCount() const;
    // Tasks running on the pool's threads right now, of any job (tests).
    int busyThreads() const;

private:
    RenderThreadPool() = default;
    void workerLoop();

    struct Task
    {
        Job* job;
        int index;
    };

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<Task> m_queue;
    std::vector<std::unique_ptr<QThread>> m_threads;
    int m_busy = 0;
    bool m_stopping = false;
};

} // namespace KelVyxNodes

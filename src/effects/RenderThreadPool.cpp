#include "effects/RenderThreadPool.h"

#include "effects/RenderStack.h"

#include <QThread>

#include <algorithm>
#include <thread>

#include <sched.h>

namespace KelVyxNodes {

RenderThreadPool& RenderThreadPool::instance()
{
    static RenderThreadPool pool;
    return pool;
}

int RenderThreadPool::coreCount()
{
    int cores = int(std::thread::hardware_concurrency());
    // A process held to some of the cores (taskset, a container's quota of cpus) renders on
    // those: more threads would only share them, each with its own rows of every window node.
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof(allowed), &allowed) == 0) {
        const int usable = CPU_COUNT(&allowed);
        if (usable > 0)
            cores = cores > 0 ? std::min(cores, usable) : usable;
    }
    return cores > 0 ? cores : 1;
}

int RenderThreadPool::maxThreads()
{
    return std::max(64, 4 * coreCount());
}

RenderThreadPool::~RenderThreadPool()
{
    {
        std::lock_guard<std::mutex> locker(m_lock);
        m_stopping = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    for (std::unique_ptr<QThread>& thread : m_threads)
        thread->wait();
}

void RenderThreadPool::submit(Job* job, int first, int count)
{
    if (count <= 0)
        return;
    {
        std::lock_guard<std::mutex> locker(m_lock);
        if (m_stopping)
            return;
        const int wanted = std::min(count, maxThreads());
        while (int(m_threads.size()) < wanted) {
            std::unique_ptr<QThread> thread(QThread::create([this] { workerLoop(); }));
            thread->setStackSize(uint(RenderStack::kThreadBytes));
            thread->start();
            m_threads.push_back(std::move(thread));
        }
        for (int i = 0; i < count; ++i)
            m_queue.push_back(Task{job, first + i});
    }
    if (count == 1)
        m_wake.notify_one();
    else
        m_wake.notify_all();
}

void RenderThreadPool::finish(Job* job)
{
    std::unique_lock<std::mutex> locker(m_lock);
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(),
                                 [job](Task const& task) { return task.job == job; }),
                  m_queue.end());
    m_done.wait(locker, [job] { return job->m_running == 0; });
}

int RenderThreadPool::threadCount() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return int(m_threads.size());
}

int RenderThreadPool::busyThreads() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_busy;
}

void RenderThreadPool::workerLoop()
{
    std::unique_lock<std::mutex> locker(m_lock);
    for (;;) {
        m_wake.wait(locker, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping)
            return;
        const Task task = m_queue.front();
        m_queue.pop_front();
        ++task.job->m_running;
        ++m_busy;
        locker.unlock();
        task.job->runTask(task.index);
        locker.lock();
        --m_busy;
        // Notified under the lock: the job's owner cannot see zero and destroy the job before
        // this thread has let go of it.
        if (--task.job->m_running == 0)
            m_done.notify_all();
    }
}

} // namespace KelVyxNodes

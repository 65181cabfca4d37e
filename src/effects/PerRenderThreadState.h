#pragma once

// Per-render, per-thread running state of a node, without a lock while sampling.
//   mutable PerRenderThreadState<RunningSums> m_running;     // a member of the node
//   onFilterStart():  m_running.init(RunningSums{...});        // starts a render
//   getSample3():     RunningSums& s = m_running.local();      // this thread's own copy
// Every thread gets a fresh copy of the initial value the first time it samples in a render;
// a pooled thread never sees the previous render's state. The render that made a thread's state
// gives it back (RenderThreadStates): at its end, and after each node it prepared.

#include "effects/ThreadStateLookup.h"
#include "effects/ThreadStateOwner.h"

#include <QMutex>

#include <atomic>
#include <thread>

namespace KelVyxNodes {

template<class T>
class PerRenderThreadState : public ThreadStateOwner
{
public:
    PerRenderThreadState() = default;
    ~PerRenderThreadState() { freeSlots(); }
    PerRenderThreadState(PerRenderThreadState const&) = delete;
    PerRenderThreadState& operator=(PerRenderThreadState const&) = delete;

    // Starts a render: call from onFilterStart, before any sampling thread runs.
    void init(T const& initial)
    {
        m_initial = initial;
        startRender();
    }
    // Starts a render without a new initial value (local(reset) callers). State made outside
    // a render (a preview sampled on demand) is given back with this render's.
    void startRender()
    {
        m_generation.fetch_add(1, std::memory_order_acq_rel);
        if (m_head.load(std::memory_order_acquire))
            holdInCurrentRender();
    }

    // The calling thread's state for the current render, a copy of the initial value on the
    // thread's first call in this render.
    T& local() const
    {
        return local([this](T& state) { state = m_initial; });
    }
    // The same, with `reset(T&)` making a thread's state fresh for the render.
    template<class Reset>
    T& local(Reset&& reset) const
    {
        Slot* slot = slotOfThisThread();
        const unsigned long long current = m_generation.load(std::memory_order_acquire);
        if (slot->generation != current) {
            reset(slot->state);
            slot->generation = current;
        }
        return slot->state;
    }

    unsigned long long generation() const { return m_generation.load(std::memory_order_acquire); }

    // Calls visit(T&) on every thread's state; only while no thread samples (between renders).
    template<class Visit>
    void forEach(Visit&& visit)
    {
        for (Slot* s = m_head.load(std::memory_order_acquire); s; s = s->next)
            visit(s->state);
    }

private:
    void releaseThreadStates() override { freeSlots(); }

    void freeSlots()
    {
        Slot* slot = m_head.exchange(nullptr, std::memory_order_acq_rel);
        long long freed = 0;
        while (slot) {
            Slot* next = slot->next;
            delete slot;
            slot = next;
            ++freed;
        }
        slotsMade(-freed);
        // Every thread's remembered slot of the old id is never matched again.
        m_id.store(ThreadStateLookup::newOwnerId(), std::memory_order_release);
    }

    struct Slot
    {
        std::thread::id thread;
        Slot* next = nullptr;
        unsigned long long generation = ~0ull;
        T state{};
    };

    // Slots are only ever prepended while threads sample, and freed only while none does, so
    // readers walk the list without a lock; a thread creates its slot under the lock once.
    Slot* slotOfThisThread() const
    {
        const std::uint64_t id = m_id.load(std::memory_order_acquire);
        if (void* known = ThreadStateLookup::find(id))
            return static_cast<Slot*>(known);
        const std::thread::id me = std::this_thread::get_id();
        Slot* found = nullptr;
        for (Slot* s = m_head.load(std::memory_order_acquire); s && !found; s = s->next) {
            if (s->thread == me)
                found = s;
        }
        if (!found) {
            QMutexLocker locker(&m_createLock);
            found = new Slot;
            found->thread = me;
            found->next = m_head.load(std::memory_order_acquire);
            m_head.store(found, std::memory_order_release);
            slotsMade(1);
            const_cast<PerRenderThreadState*>(this)->holdInCurrentRender();
        }
        ThreadStateLookup::remember(id, found);
        return found;
    }

    std::atomic<std::uint64_t> m_id{ThreadStateLookup::newOwnerId()};
    T m_initial{};
    std::atomic<unsigned long long> m_generation{0};
    mutable std::atomic<Slot*> m_head{nullptr};
    mutable QMutex m_createLock;
};

} // namespace KelVyxNodes

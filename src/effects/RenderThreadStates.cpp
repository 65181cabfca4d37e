#include "effects/RenderThreadStates.h"

#include "effects/ThreadStateOwner.h"

#include <algorithm>

namespace KelVyxNodes {

namespace {
thread_local RenderThreadStates* t_current = nullptr;
}

RenderThreadStates::Scope::Scope(RenderThreadStates* states)
    : m_previous(t_current)
{
    t_current = states;
}

RenderThreadStates::Scope::~Scope()
{
    t_current = m_previous;
}

RenderThreadStates* RenderThreadStates::current()
{
    return t_current;
}

void RenderThreadStates::hold(ThreadStateOwner* owner)
{
    std::lock_guard<std::mutex> locker(m_lock);
    // Held by another render (never two at once on one node): that one gives it back.
    if (owner->m_holder)
        return;
    owner->m_holder = this;
    m_held.push_back(owner);
}

void RenderThreadStates::forget(ThreadStateOwner* owner)
{
    std::lock_guard<std::mutex> locker(m_lock);
    std::erase(m_held, owner);
    owner->m_holder = nullptr;
}

void RenderThreadStates::releaseAll()
{
    std::vector<ThreadStateOwner*> held;
    {
        std::lock_guard<std::mutex> locker(m_lock);
        held.swap(m_held);
        for (ThreadStateOwner* owner : held)
            owner->m_holder = nullptr;
    }
    for (ThreadStateOwner* owner : held)
        owner->releaseThreadStates();
}

} // namespace KelVyxNodes

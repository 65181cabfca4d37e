#include "effects/ThreadStateOwner.h"

#include "effects/RenderThreadStates.h"

namespace KelVyxNodes {

ThreadStateOwner::~ThreadStateOwner()
{
    // Only while a render holds the owner (a render gives back everything it held at its end).
    if (m_holder)
        m_holder->forget(this);
}

void ThreadStateOwner::holdInCurrentRender()
{
    if (RenderThreadStates* render = RenderThreadStates::current())
        render->hold(this);
}

} // namespace KelVyxNodes

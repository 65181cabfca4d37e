#include "effects/RenderStack.h"

#include <pthread.h>

namespace KelVyxNodes {

thread_local char const* RenderStack::t_limit = nullptr;

namespace {

// The lowest address of this thread's stack plus the reserve, found once per thread.
char const* limitOfThisThread()
{
    thread_local char const* limit = nullptr;
    thread_local bool known = false;
    if (known)
        return limit;
    known = true;
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0)
        return limit;
    void* low = nullptr;
    std::size_t size = 0;
    if (pthread_attr_getstack(&attributes, &low, &size) == 0 && low && size > RenderStack::kReserveBytes)
        limit = static_cast<char const*>(low) + RenderStack::kReserveBytes;
    pthread_attr_destroy(&attributes);
    return limit;
}

} // namespace

char const* RenderStack::TooDeep::what() const noexcept
{
    return RenderStack::message();
}

char const* RenderStack::message()
{
    return "the effect graph is nested too deeply to render";
}

RenderStack::Guard::Guard()
    : m_previous(t_limit)
{
    if (!t_limit)
        t_limit = limitOfThisThread();
}

RenderStack::Guard::~Guard()
{
    t_limit = m_previous;
}

void RenderStack::fail()
{
    throw TooDeep();
}

} // namespace KelVyxNodes

#pragma once

#include <cstddef>
#include <exception>

namespace KelVyxNodes {

// The stack a render may use. Every thread that renders rows (the render pool, the
// application's render thread) is made with kThreadBytes of stack. Staged rendering keeps the
// calls of a read inside the image within RenderStages::kCutDepth levels; reads outside the
// image may still go down a deep graph, so a render checks, at every stage and effect
// boundary, that kReserveBytes of its thread's stack are left, and otherwise fails with
// TooDeep instead of overflowing.
class RenderStack
{
public:
    // 8 MiB: far above kCutDepth levels of the largest frame (about 11 KB) plus kReserveBytes.
    static constexpr std::size_t kThreadBytes = std::size_t(8) << 20;
    // More than kCutDepth levels of the largest frame and a leaf's own work.
    static constexpr std::size_t kReserveBytes = std::size_t(1) << 20;

    class TooDeep : public std::exception
    {
    public:
        char const* what() const noexcept override;
    };

    // While one lives, check() on this thread throws TooDeep once less than kReserveBytes of
    // the thread's stack are left. Nested guards keep the outer limit.
    class Guard
    {
    public:
        Guard();
        ~Guard();
        Guard(Guard const&) = delete;
        Guard& operator=(Guard const&) = delete;

    private:
        char const* m_previous;
    };

    RenderStack() = delete;

    static void check()
    {
        if (t_limit && static_cast<char const*>(__builtin_frame_address(0)) < t_limit)
            fail();
    }
    // The user's words for a graph too deep for the stack.
    static char const* message();

private:
    [[noreturn]] static void fail();
    static thread_local char const* t_limit;
};

} // namespace KelVyxNodes

#pragma once

#include <mutex>
#include <vector>

namespace KelVyxNodes {

class ThreadStateOwner;

// The per-thread running state one render has made (row rings, row memos, every node's
// PerRenderThreadState), so that the render gives all of it back: at its end, whether it
// succeeded, failed or was cancelled, and after every node it prepared. Every pass over the
// picture (a stage's fill, a statistics scan, a preview, the row loop) runs within one node's
// preparation or after the last one, and starts its rows afresh, so what a pass made is of no
// use to the next: the state held at once is that of the nodes one pass reads, however many
// the graph has. An owner is held from the first slot a thread makes in the render (the render
// is known on its calling thread and on every helper running its rows).
class RenderThreadStates
{
public:
    RenderThreadStates() = default;
    ~RenderThreadStates() { releaseAll(); }
    RenderThreadStates(RenderThreadStates const&) = delete;
    RenderThreadStates& operator=(RenderThreadStates const&) = delete;

    // Makes `states` the current thread's render for its life.
    class Scope
    {
    public:
        explicit Scope(RenderThreadStates* states);
        ~Scope();
        Scope(Scope const&) = delete;
        Scope& operator=(Scope const&) = delete;

    private:
        RenderThreadStates* m_previous;
    };
    // The render the calling thread works for, or null.
    static RenderThreadStates* current();

    // From any thread of the render.
    void hold(ThreadStateOwner* owner);
    // An owner that dies while held.
    void forget(ThreadStateOwner* owner);
    // Frees every thread's state of every owner held; only while no thread samples them.
    void releaseAll();

private:
    std::mutex m_lock;
    std::vector<ThreadStateOwner*> m_held;
};

} // namespace KelVyxNodes

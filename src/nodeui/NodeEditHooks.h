#pragma once

#include <functional>

// The node editors' two links to the render, set by the main window and reset when it goes.
// Every editor calls beforeWrite() just before it writes a parameter, a container, a graph or a
// link (and only where a write follows): the render thread reads those without a lock, so it
// must have stopped first. Previews are sampled only while renderIsIdle() says so.
class NodeEditHooks
{
public:
    using PreWriteHook = std::function<void()>;
    using IdleQuery = std::function<bool()>;

    // An empty function restores the default: no-op before writes, always idle.
    static void setPreWriteHook(PreWriteHook hook);
    static void setRenderIdleQuery(IdleQuery query);

    static void beforeWrite();
    static bool renderIsIdle();
};

#pragma once

#include <functional>

// The node editors' links to the render, set by the main window and reset when it goes.
// Every editor calls beforeWrite() just before it writes a parameter, a container, a graph or a
// link (and only where a write follows): the render thread reads those without a lock, so it
// must have stopped first. Previews are asked of their nodes only while renderIsIdle() says so.
// Sampled previews are made by the render: a view that starts showing one the latest render did
// not make calls requestPreviews(), and the window renders again (from its event loop).
class NodeEditHooks
{
public:
    using PreWriteHook = std::function<void()>;
    using IdleQuery = std::function<bool()>;
    using PreviewRequest = std::function<void()>;

    // An empty function restores the default: no-op before writes, always idle.
    static void setPreWriteHook(PreWriteHook hook);
    static void setRenderIdleQuery(IdleQuery query);
    // Default: nothing (no render to ask).
    static void setPreviewRequest(PreviewRequest request);

    static void beforeWrite();
    static bool renderIsIdle();
    static void requestPreviews();
};

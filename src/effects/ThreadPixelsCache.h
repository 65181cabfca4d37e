#pragma once

// Per-render, per-thread pixel memo of a node (T = unsigned char or unsigned int), lock-free
// while sampling:
//   mutable ThreadPixelsCache<unsigned int> m_cache;                 // a member of the node
//   onFilterStart():  m_cache.init(image.width(), image.height());   // starts a render
//   getSample3(p):    NodeCache<unsigned int>& c = m_cache.local();   // this thread's memo
//                     if (c.lookup(x, y, v)) return v; ... compute ...; c.store(x, y, v);
// A thread's memo is created zeroed on its first local() of a render; if it could not be
// allocated it is not valid (lookup/store do nothing) and the node just computes. Given back
// by the render that made it (PerRenderThreadState). Only points inside the image are cached.

#include "effects/NodeCache.h"
#include "effects/PerRenderThreadState.h"

namespace KelVyxNodes {

template<class T>
class ThreadPixelsCache
{
public:
    // Starts a render with memos of w x h entries. Call from onFilterStart.
    void init(int w, int h)
    {
        m_width = w;
        m_height = h;
        m_state.startRender();
    }

    NodeCache<T>& local() const
    {
        return m_state.local([this](NodeCache<T>& cache) { cache.init(m_width, m_height); });
    }

    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    int m_width = 0;
    int m_height = 0;
    PerRenderThreadState<NodeCache<T>> m_state;
};

} // namespace KelVyxNodes

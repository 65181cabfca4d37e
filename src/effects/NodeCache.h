#pragma once

#include <cstddef>
#include <cstring>
#include <new>

namespace KelVyxNodes {

// A per-pixel memo of node samples over the whole image: entry (x, y) at y * width + x.
// A zeroed entry is "not computed yet". Not synchronised: one thread owns a record (see
// ThreadPixelsCache). When no block could be had the record is not valid and the node
// computes without memo.
template<class T>
class NodeCache
{
public:
    struct Entry
    {
        T value;
        bool valid;
    };

    // No memo is worth more than this; a bigger request fails like a failed allocation.
    static constexpr std::size_t kMaxBytes = std::size_t(1) << 36;

    NodeCache() = default;
    ~NodeCache() { delete[] entries; }
    NodeCache(NodeCache const&) = delete;
    NodeCache& operator=(NodeCache const&) = delete;

    // A zeroed memo of w x h entries; the block is kept while it is large enough. The size is
    // computed in size_t and capped, so huge images fail cleanly instead of overflowing.
    void init(int w, int h)
    {
        valid = false;
        width = 0;
        height = 0;
        if (w <= 0 || h <= 0)
            return;
        const std::size_t count = std::size_t(w) * std::size_t(h);
        if (count > kMaxBytes / sizeof(Entry))
            return;
        if (!entries || capacity < count) {
            delete[] entries;
            entries = nullptr;
            capacity = 0;
            entries = new (std::nothrow) Entry[count];
            if (!entries)
                return;
            capacity = count;
        }
        std::memset(static_cast<void*>(entries), 0, count * sizeof(Entry));
        width = w;
        height = h;
        valid = true;
    }

    bool contains(int x, int y) const
    {
        return valid && x >= 0 && y >= 0 && x < width && y < height;
    }
    // Only for points that contains() accepts.
    Entry& at(int x, int y) { return entries[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    Entry const& at(int x, int y) const
    {
        return entries[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }

    // The stored value of (x, y) when computed, else false.
    bool lookup(int x, int y, T& out) const
    {
        if (!contains(x, y))
            return false;
        Entry const& e = at(x, y);
        if (!e.valid)
            return false;
        out = e.value;
        return true;
    }
    // Stores a computed value; points outside the grid are not cached.
    void store(int x, int y, T value)
    {
        if (!contains(x, y))
            return;
        Entry& e = at(x, y);
        e.value = value;
        e.valid = true;
    }

    Entry* entries = nullptr;
    int width = 0;
    int height = 0;
    bool valid = false;
    std::size_t capacity = 0;
};

} // namespace KelVyxNodes

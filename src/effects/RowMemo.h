#pragma once

#include <cstdint>
#include <cstring>
#include <new>

namespace KelVyxNodes {

// One thread's memo of a node's samples over the last few image rows it was asked for: enough
// for kernels downstream, which ask the rows around the one they make (the one-channel kernels
// wrap round the image edge, so the rows may be far apart: each kept row is found by its
// number). Values are up to 24 bits (a colour or a channel value). Memory stays at a few rows
// whatever the image size; when it cannot be had the memo keeps nothing. Not synchronised:
// one thread owns a memo (PerRenderThreadState).
class RowMemo
{
public:
    static constexpr int kRows = 8;

    RowMemo() = default;
    ~RowMemo() { delete[] m_block; }
    RowMemo(RowMemo const&) = delete;
    RowMemo& operator=(RowMemo const&) = delete;

    // Gives the rows' memory back (the next reset takes it again).
    void release()
    {
        delete[] m_block;
        m_block = nullptr;
        m_capacity = 0;
        m_width = 0;
        for (int i = 0; i < kRows; ++i)
            m_rowOf[i] = -1;
    }

    // Forgets every value; the image is width x height.
    void reset(int width, int height)
    {
        m_height = height;
        for (int i = 0; i < kRows; ++i) {
            m_rowOf[i] = -1;
            m_used[i] = 0;
        }
        m_last = 0;
        m_clock = 0;
        if (width <= 0 || height <= 0) {
            m_width = 0;
            return;
        }
        const std::size_t need = std::size_t(width) * kRows;
        if (!m_block || m_capacity < need) {
            delete[] m_block;
            m_capacity = 0;
            m_block = new (std::nothrow) std::uint32_t[need];
            if (m_block)
                m_capacity = need;
        }
        m_width = m_block ? width : 0;
    }

    bool lookup(int x, int y, unsigned int& value)
    {
        if (!inside(x, y))
            return false;
        const int slot = find(y);
        if (slot < 0)
            return false;
        const std::uint32_t entry = m_block[std::size_t(slot) * std::size_t(m_width) + std::size_t(x)];
        if (!(entry & kComputed))
            return false;
        value = entry & ~kComputed;
        return true;
    }

    void store(int x, int y, unsigned int value)
    {
        if (!inside(x, y))
            return;
        int slot = find(y);
        if (slot < 0)
            slot = take(y);
        m_block[std::size_t(slot) * std::size_t(m_width) + std::size_t(x)] = (value & 0xFFFFFFu) | kComputed;
    }

    // The values of row y from column x on, count of them at most, for a span: a run of
    // looked-up and stored values without finding the row again for each. The row is made
    // (empty) when it is not kept yet. Count is 0 when nothing of the span can be kept (a row
    // or columns outside the image, no memory); the run then starts at column x all the same.
    class Run
    {
    public:
        int count() const { return m_count; }
        bool lookup(int i, unsigned int& value) const
        {
            const std::uint32_t entry = m_entries[i];
            value = entry & ~kComputed;
            return (entry & kComputed) != 0;
        }
        void store(int i, unsigned int value) { m_entries[i] = (value & 0xFFFFFFu) | kComputed; }

    private:
        friend class RowMemo;
        std::uint32_t* m_entries = nullptr;
        int m_count = 0;
    };

    // The run of row y starting at column x (x inside the image).
    Run run(int y, int x, int count)
    {
        Run r;
        if (!inside(x, y) || count <= 0)
            return r;
        int slot = find(y);
        if (slot < 0)
            slot = take(y);
        r.m_entries = m_block + std::size_t(slot) * std::size_t(m_width) + std::size_t(x);
        r.m_count = count < m_width - x ? count : m_width - x;
        return r;
    }

private:
    static constexpr std::uint32_t kComputed = 0x80000000u;

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

    int find(int y)
    {
        if (m_rowOf[m_last] == y)
            return m_last;
        for (int i = 0; i < kRows; ++i) {
            if (m_rowOf[i] == y) {
                m_last = i;
                m_used[i] = ++m_clock;
                return i;
            }
        }
        return -1;
    }

    // The least recently used row, emptied for row y.
    int take(int y)
    {
        int oldest = 0;
        for (int i = 1; i < kRows; ++i) {
            if (m_used[i] < m_used[oldest])
                oldest = i;
        }
        std::memset(m_block + std::size_t(oldest) * std::size_t(m_width), 0,
                    std::size_t(m_width) * sizeof(std::uint32_t));
        m_rowOf[oldest] = y;
        m_used[oldest] = ++m_clock;
        m_last = oldest;
        return oldest;
    }

    std::uint32_t* m_block = nullptr;
    std::size_t m_capacity = 0;
    int m_width = 0;
    int m_height = 0;
    int m_rowOf[kRows] = {-1, -1, -1, -1, -1, -1, -1, -1};
    unsigned long long m_used[kRows] = {};
    int m_last = 0;
    unsigned long long m_clock = 0;
};

} // namespace KelVyxNodes

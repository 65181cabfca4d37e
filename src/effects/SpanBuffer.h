#pragma once

#include <memory>

namespace KelVyxNodes {

// Scratch values for one span of a row: on the stack up to kInline points (the row loop asks
// for spans no longer than that), on the heap beyond.
class SpanBuffer
{
public:
    static constexpr int kInline = 256;

    explicit SpanBuffer(int count)
        : m_data(count > kInline ? new unsigned int[size_t(count)] : m_inline)
    {
    }
    ~SpanBuffer()
    {
        if (m_data != m_inline)
            delete[] m_data;
    }
    SpanBuffer(SpanBuffer const&) = delete;
    SpanBuffer& operator=(SpanBuffer const&) = delete;

    unsigned int* data() { return m_data; }
    unsigned int& operator[](int i) { return m_data[i]; }
    unsigned int operator[](int i) const { return m_data[i]; }

private:
    unsigned int m_inline[kInline];
    unsigned int* m_data;
};

} // namespace KelVyxNodes

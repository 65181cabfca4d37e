#pragma once

#include <climits>

namespace KelVyxNodes {

// What the calling thread is doing right now: walking image row y from left to right (the row
// loop, a statistics scan), or nothing (kNone). Nodes with running state over whole rows (the
// blur) use it to prepare a row at once instead of guessing from the first samples; it never
// changes a result, only how fast it comes.
class RowSweepHint
{
public:
    static constexpr int kNone = INT_MIN;

    RowSweepHint() = delete;

    static void begin(int y);
    static void end();
    static int current();

    // begin(y) for its life; the hint before it comes back also when an exception passes.
    class Row
    {
    public:
        explicit Row(int y) : m_previous(current()) { begin(y); }
        ~Row()
        {
            if (m_previous == kNone)
                end();
            else
                begin(m_previous);
        }
        Row(Row const&) = delete;
        Row& operator=(Row const&) = delete;

    private:
        int m_previous;
    };
};

} // namespace KelVyxNodes

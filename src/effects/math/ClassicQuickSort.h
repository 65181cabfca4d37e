#pragma once

#include <iterator>
#include <utility>

namespace KelVyxNodes {

// The unstable quicksort of the classic toolkit (median of three, then a Hoare-style pass),
// kept step for step: the noise reduction's median picks among entries of equal key by the
// order this sort leaves them in, and std::sort or std::stable_sort leave them otherwise.
// Sorts [start, end) ascending by `lt`; four equal entries A B C D come out as D C A B.
template<class RandomIt, class LessThan>
void classicQuickSort(RandomIt start, RandomIt end, LessThan lt)
{
    using std::swap;
    for (;;) {
        const auto n = end - start;
        if (n < 2)
            return;
        const RandomIt last = end - 1;
        RandomIt low = start;
        RandomIt high = last - 1;
        const RandomIt pivot = start + n / 2;

        if (lt(*last, *start))
            swap(*last, *start);
        if (n == 2)
            return;
        if (lt(*pivot, *start))
            swap(*pivot, *start);
        if (lt(*last, *pivot))
            swap(*last, *pivot);
        if (n == 3)
            return;

        swap(*pivot, *last);
        while (low < high) {
            while (low < high && lt(*low, *last))
                ++low;
            while (high > low && lt(*last, *high))
                --high;
            if (low < high) {
                swap(*low, *high);
                ++low;
                --high;
            } else {
                break;
            }
        }
        if (lt(*low, *last))
            ++low;
        swap(*last, *low);

        // The left part by recursion, the right one by the loop: the depth follows only the
        // left parts.
        classicQuickSort(start, low, lt);
        start = low + 1;
    }
}

} // namespace KelVyxNodes

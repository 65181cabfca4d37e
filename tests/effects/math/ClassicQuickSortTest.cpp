#include "effects/math/ClassicQuickSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using KelVyxNodes::classicQuickSort;

namespace {

struct Entry
{
    int key;
    char name;
};

bool byKey(Entry const& a, Entry const& b)
{
    return a.key < b.key;
}

std::string sortedNames(std::vector<Entry> entries)
{
    classicQuickSort(entries.begin(), entries.end(), byKey);
    std::string names;
    for (Entry const& e : entries)
        names += e.name;
    return names;
}

std::string equalKeysSorted(std::string const& names)
{
    std::vector<Entry> entries;
    for (char c : names)
        entries.push_back({7, c});
    return sortedNames(entries);
}

} // namespace

TEST(ClassicQuickSort, TiesEndInTheClassicOrder)
{
    EXPECT_EQ(equalKeysSorted("ABCD"), "DCAB");
    EXPECT_EQ(equalKeysSorted("ABCDE"), "DECAB");
    EXPECT_EQ(equalKeysSorted("ABCDEF"), "EFDBAC");
    // Up to three entries keep their order: only the median-of-three swaps run.
    for (std::string s : {"", "A", "AB", "ABC"})
        EXPECT_EQ(equalKeysSorted(s), s);
    // Keys 1 2 1 2: a stable sort gives "acbd".
    EXPECT_EQ(sortedNames({{1, 'a'}, {2, 'b'}, {1, 'c'}, {2, 'd'}}), "cadb");
}

TEST(ClassicQuickSort, SortsLikeAnyCorrectSortByKey)
{
    std::mt19937 random(12345);
    for (int n = 0; n < 90; ++n) {
        for (int round = 0; round < 20; ++round) {
            std::uniform_int_distribution<int> key(0, round % 2 ? 3 : 1000);
            std::vector<Entry> entries;
            std::vector<int> expected;
            for (int i = 0; i < n; ++i) {
                entries.push_back({key(random), char('a' + i % 26)});
                expected.push_back(entries.back().key);
            }
            std::sort(expected.begin(), expected.end());
            classicQuickSort(entries.begin(), entries.end(), byKey);
            std::vector<int> keys;
            for (Entry const& e : entries)
                keys.push_back(e.key);
            ASSERT_EQ(keys, expected) << "n = " << n;
        }
    }
}

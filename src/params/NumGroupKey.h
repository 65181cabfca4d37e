#pragma once

#include <vector>

namespace KelUtils {

// One keyframe of a numeric group: all values of the group at one frame.
template <typename T>
class NumGroupKey
{
public:
    NumGroupKey(int frame, T const* source, int count) : frame(frame), values(source, source + count) {}
    NumGroupKey(int frame, int count, T fill) : frame(frame), values(std::size_t(count), fill) {}
    virtual ~NumGroupKey() = default;

    int frame;
    // Always as many entries as the owning group has values.
    std::vector<T> values;
};

} // namespace KelUtils

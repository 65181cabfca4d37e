#pragma once

#include <algorithm>
#include <vector>

namespace KelVyxNodes {

// What reading a node's output costs in one render, learnt while inputs are resolved: the most
// calls a read inside the image goes down before it meets a filled stage or the source's
// picture, and the stages (RenderStages indices) such reads meet.
struct PullRecord
{
    unsigned long long serial = 0;
    int depth = 1;
    std::vector<int> stages;
    // Whether a node reading around the point lies below without a stage between.
    bool windows = false;

    void merge(PullRecord const& other, int extraDepth)
    {
        depth = std::max(depth, other.depth + extraDepth);
        windows = windows || other.windows;
        for (int stage : other.stages)
            addStage(stage);
    }
    void addStage(int stage)
    {
        if (std::find(stages.begin(), stages.end(), stage) == stages.end())
            stages.push_back(stage);
    }
};

} // namespace KelVyxNodes

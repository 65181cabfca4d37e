#pragma once

#include "effects/InputRead.h"

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
    // Whether reading the output again at the row just read costs only copies: the node keeps
    // its last output rows per thread (the blur, the kernels, with no window below them), or
    // the read is one plain forward to such an output or to a stage. Not merged: a node
    // combining reads computes its values again.
    bool keepsRows = false;
    // Whether an output read twice without a stage lies below without a stage between; at most
    // one such read per stretch, so the work it saves a stage for stays within twice.
    bool rereads = false;
    // The farthest-reaching way any node on the way down to the stages reads its input.
    InputRead reach = InputRead::AtItsPoint;
    // Plain reads noted so far (a record that forwards one read takes its keepsRows).
    int reads = 0;
    // Whether the stores the node's preview reads were kept for it in this render: a preview
    // wished for after the render resolved would read through stores already given back.
    bool previewKept = false;

    void merge(PullRecord const& other, int extraDepth)
    {
        depth = std::max(depth, other.depth + extraDepth);
        windows = windows || other.windows;
        rereads = rereads || other.rereads;
        reach = std::max(reach, other.reach);
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

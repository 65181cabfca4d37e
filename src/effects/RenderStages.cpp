#include "effects/RenderStages.h"

#include "effects/SharedOutputMemo.h"
#include "effects/VyxNode.h"

#include <climits>

namespace KelVyxNodes {

namespace {
thread_local RenderStages* t_resolving = nullptr;
thread_local RenderStages* t_preparing = nullptr;
}

RenderStages* RenderStages::preparing()
{
    return t_preparing;
}

RenderStages::Preparing::Preparing(RenderStages* stages)
    : m_previous(t_preparing)
{
    t_preparing = stages;
}

RenderStages::Preparing::~Preparing()
{
    t_preparing = m_previous;
}

RenderStages* RenderStages::resolving()
{
    return t_resolving;
}

RenderStages::Resolving::Resolving(RenderStages* stages)
    : m_previous(t_resolving)
{
    t_resolving = stages;
}

RenderStages::Resolving::~Resolving()
{
    t_resolving = m_previous;
}

void RenderStages::begin(unsigned long long serial, int threads)
{
    end();
    m_active = true;
    m_serial = serial;
    m_threads = threads;
    m_nextOrdinal = 0;
    m_node = nullptr;
    m_target = nullptr;
    m_filled = 0;
    m_peakLive = 0;
    m_made = 0;
}

void RenderStages::end()
{
    for (Stage& stage : m_stages) {
        if (stage.live || stage.done)
            stage.memo->release();
    }
    m_stages.clear();
    m_liveBytes = 0;
    m_liveStores = 0;
    m_active = false;
    m_node = nullptr;
    m_target = nullptr;
}

void RenderStages::beginNode(VyxNode const* node)
{
    PullRecord& record = node->pullRecord();
    record = PullRecord();
    record.serial = m_serial;
    record.windows = node->readsInputsRepeatedly() || node->keepsInputRows();
    node->setRenderOrdinal(++m_nextOrdinal);
    m_node = node;
    m_target = &record;
}

void RenderStages::endNode(VyxNode const* node)
{
    // What a node reads when it is prepared (a statistics scan) must still be there then.
    PullRecord const& record = node->pullRecord();
    for (int index : record.stages) {
        Stage& stage = m_stages[std::size_t(index)];
        stage.lastUse = std::max(stage.lastUse, node->renderOrdinal());
    }
    m_node = nullptr;
    m_target = nullptr;
}

PullRecord* RenderStages::swapTarget(PullRecord* target)
{
    PullRecord* previous = m_target;
    m_target = target;
    return previous;
}

PullRecord const* RenderStages::recordOf(VyxNode const* host) const
{
    if (!host || host->pullRecord().serial != m_serial)
        return nullptr;
    return &host->pullRecord();
}

void RenderStages::readPlain(PullRecord const* upstream)
{
    if (!m_target)
        return;
    if (upstream)
        m_target->merge(*upstream, 1);
    else
        m_target->depth = std::max(m_target->depth, 2);
}

int RenderStages::registerStage(SharedOutputMemo const* memo, PullRecord const* upstream)
{
    auto* stage = const_cast<SharedOutputMemo*>(memo);
    const int readyAt = m_node ? m_node->renderOrdinal() : m_nextOrdinal;
    if (stage->stageSerial == m_serial && stage->stageIndex >= 0 && stage->stageIndex < int(m_stages.size())
        && m_stages[std::size_t(stage->stageIndex)].memo == stage)
        return stage->stageIndex;
    const int index = int(m_stages.size());
    ++m_made;
    m_stages.push_back(Stage{stage, readyAt, readyAt, false, false});
    stage->stageSerial = m_serial;
    stage->stageIndex = index;
    // The fill reads the stages below it.
    if (upstream) {
        for (int below : upstream->stages) {
            Stage& read = m_stages[std::size_t(below)];
            read.lastUse = std::max(read.lastUse, readyAt);
        }
    }
    return index;
}

void RenderStages::readStage(SharedOutputMemo const* memo, PullRecord const* upstream)
{
    const int index = registerStage(memo, upstream);
    if (!m_target)
        return;
    m_target->depth = std::max(m_target->depth, 2);
    m_target->addStage(index);
}

void RenderStages::rowLoopReads(PullRecord const& record)
{
    for (int index : record.stages)
        m_stages[std::size_t(index)].lastUse = INT_MAX;
}

void RenderStages::keepUntil(PullRecord const& record, int ordinal)
{
    for (int index : record.stages) {
        Stage& stage = m_stages[std::size_t(index)];
        stage.lastUse = std::max(stage.lastUse, ordinal);
    }
}

int RenderStages::advanceTo(int ordinal, KelUtils::StatusObserver* observer)
{
    // Stages nothing reads from here on go first, to make room for the ones filled now (a fill
    // here reads stages used at `ordinal` at least).
    for (Stage& stage : m_stages) {
        if (stage.live && stage.lastUse < ordinal) {
            m_liveBytes -= stage.memo->storeBytes();
            --m_liveStores;
            stage.live = false;
            stage.memo->release();
        }
    }
    for (Stage& stage : m_stages) {
        if (stage.done || stage.readyAt > ordinal)
            continue;
        stage.done = true;
        const std::size_t bytes = stage.memo->storeBytes();
        if (m_liveStores >= kMinStores && m_liveBytes + bytes > kBudgetBytes)
            continue; // beyond the budget: read through the row memo
        const int filled = stage.memo->fill(m_threads, observer);
        if (filled < 0)
            return -1;
        if (filled > 0) {
            stage.live = true;
            m_liveBytes += bytes;
            ++m_liveStores;
            ++m_filled;
            m_peakLive = std::max(m_peakLive, m_liveStores);
        }
    }
    return 0;
}

} // namespace KelVyxNodes

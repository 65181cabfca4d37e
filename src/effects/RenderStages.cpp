#include "effects/RenderStages.h"

#include "effects/RenderMemory.h"
#include "effects/SharedOutputMemo.h"
#include "effects/VyxNode.h"

#include <atomic>
#include <climits>
#include <new>

namespace KelVyxNodes {

namespace {
thread_local RenderStages* t_resolving = nullptr;
thread_local RenderStages* t_preparing = nullptr;
std::atomic<std::size_t> g_budgetBytes{RenderStages::kMachineBudget};
}

std::size_t RenderStages::budgetBytes()
{
    const std::size_t set = g_budgetBytes.load(std::memory_order_relaxed);
    return set == kMachineBudget ? RenderMemory::processBudgetBytes() : set;
}

void RenderStages::setBudgetBytesForTests(std::size_t bytes)
{
    g_budgetBytes.store(bytes, std::memory_order_relaxed);
}

namespace {
template <RenderStages::Phase phase>
RenderStages*& current()
{
    return phase == RenderStages::Phase::Resolving ? t_resolving : t_preparing;
}
} // namespace

RenderStages* RenderStages::resolving()
{
    return t_resolving;
}

RenderStages* RenderStages::preparing()
{
    return t_preparing;
}

template <RenderStages::Phase phase>
RenderStages::Scope<phase>::Scope(RenderStages* stages)
    : m_previous(current<phase>())
{
    current<phase>() = stages;
}

template <RenderStages::Phase phase>
RenderStages::Scope<phase>::~Scope()
{
    current<phase>() = m_previous;
}

template class RenderStages::Scope<RenderStages::Phase::Resolving>;
template class RenderStages::Scope<RenderStages::Phase::Preparing>;

void RenderStages::begin(unsigned long long serial, int threads)
{
    end();
    m_active = true;
    m_serial = serial;
    m_threads = threads;
    m_nextOrdinal = 0;
    m_refusal.clear();
    m_node = nullptr;
    m_target = nullptr;
    m_filled = 0;
    m_peakLive = 0;
    m_made = 0;
    m_unfilled = 0;
    m_chained = 0;
    m_lean = false;
    m_budget = budgetBytes();
}

void RenderStages::end()
{
    for (Stage& stage : m_stages) {
        if (stage.live || stage.done)
            stage.memo->release();
    }
    m_stages.clear();
    m_spares.clear();
    m_nextReady = 0;
    m_live.clear();
    m_unfilledRead.clear();
    m_liveBytes = 0;
    m_liveStores = 0;
    m_active = false;
    m_node = nullptr;
    m_target = nullptr;
}

void RenderStages::refuse(QString const& reason)
{
    if (m_refusal.isEmpty())
        m_refusal = reason;
}

void RenderStages::beginNode(VyxNode const* node)
{
    PullRecord& record = node->pullRecord();
    record = PullRecord();
    record.serial = m_serial;
    node->setRenderOrdinal(++m_nextOrdinal);
    m_node = node;
    m_target = &record;
}

void RenderStages::endNode(VyxNode const* node)
{
    // What a node reads when it is prepared (a statistics scan) must still be there then.
    PullRecord& record = node->pullRecord();
    // The node's own window counts for its readers, not for its own reads.
    const bool windowsBelow = record.windows;
    record.keepsRows = node->keepsInputRows() && !windowsBelow;
    record.windows = windowsBelow || node->readsInputsRepeatedly() || node->keepsInputRows();
    // Its own reads reach every stage below it as far as it reads; every read that meets a
    // stage passes some node's record, so a stage is read by no farther than these together.
    record.reach = std::max(record.reach, node->inputRead());
    for (int index : record.stages) {
        Stage& stage = m_stages[std::size_t(index)];
        stage.lastUse = std::max(stage.lastUse, node->renderOrdinal());
        stage.readBy = std::max(stage.readBy, record.reach);
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
    m_target->keepsRows = m_target->reads++ == 0 && upstream && upstream->keepsRows;
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
    m_stages.push_back(Stage{stage, readyAt, readyAt, false, false, false, {}});
    stage->stageSerial = m_serial;
    stage->stageIndex = index;
    // The fill reads the stages below it.
    if (upstream) {
        m_stages.back().reads = upstream->stages;
        m_stages.back().fillReads = upstream->reach;
        m_stages.back().depth = upstream->depth;
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
    if (m_node)
        m_stages[std::size_t(index)].readBy = std::max(m_stages[std::size_t(index)].readBy, m_node->inputRead());
    if (!m_target)
        return;
    m_target->keepsRows = m_target->reads++ == 0;
    m_target->depth = std::max(m_target->depth, 2);
    m_target->addStage(index);
}

void RenderStages::rowLoopReads(PullRecord const& record)
{
    for (int index : record.stages) {
        m_stages[std::size_t(index)].lastUse = INT_MAX;
        m_stages[std::size_t(index)].readBy = std::max(m_stages[std::size_t(index)].readBy, record.reach);
    }
}

void RenderStages::release(int index)
{
    Stage& stage = m_stages[std::size_t(index)];
    m_liveBytes -= stage.memo->storeBytes();
    --m_liveStores;
    stage.live = false;
    if (m_dryRun)
        return;
    std::unique_ptr<std::uint32_t[]> store = stage.memo->release();
    // Kept for a later fill while the render holds no more stores than it has held at once
    // already; every store of a render has the picture's size.
    if (store && m_nextReady < m_stages.size() && m_liveStores + int(m_spares.size()) < m_peakLive
        && (m_spares.empty() || m_spareBytes == stage.memo->storeBytes())) {
        m_spareBytes = stage.memo->storeBytes();
        m_spares.push_back(std::move(store));
    }
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
    // The stages ready now, filled together when they fit; what they read is read now.
    const std::size_t first = m_nextReady;
    std::size_t bytes = 0;
    while (m_nextReady < m_stages.size() && m_stages[m_nextReady].readyAt <= ordinal) {
        bytes += m_stages[m_nextReady].memo->storeBytes();
        for (int below : m_stages[m_nextReady].reads) {
            Stage& read = m_stages[std::size_t(below)];
            read.lastUse = std::max(read.lastUse, ordinal);
        }
        ++m_nextReady;
    }
    // Stages nothing reads from here on go first, to make room for the ones filled now; so do
    // the row memos of unfilled ones (a few rows per thread each, which would add up over a
    // deep graph).
    std::erase_if(m_live, [&](int index) {
        if (m_stages[std::size_t(index)].lastUse >= ordinal)
            return false;
        release(index);
        return true;
    });
    std::erase_if(m_unfilledRead, [&](int index) {
        if (m_stages[std::size_t(index)].lastUse >= ordinal)
            return false;
        if (!m_dryRun)
            m_stages[std::size_t(index)].memo->release();
        return true;
    });
    const int count = int(m_nextReady - first);
    const bool fit = m_liveStores + count <= kMinStores || (!m_lean && m_liveBytes + bytes <= m_budget);
    for (std::size_t index = first; index < m_nextReady; ++index) {
        Stage& stage = m_stages[index];
        stage.done = true;
        // Left unfilled, a stage reading an unfilled one makes reads go down a chain of them:
        // filled past the budget where the cap allows.
        bool readsUnfilled = false;
        int below = 0;
        for (int read : stage.reads) {
            Stage const& other = m_stages[std::size_t(read)];
            if (other.unfilled) {
                readsUnfilled = true;
                below = std::max(below, other.chainCalls);
            }
        }
        const int chainCalls = stage.depth + below;
        const bool linear = readsStayLinear(stage.readBy, stage.fillReads, chainCalls);
        // But never past the hard cap (what a stack blending colour and alpha reads, or half
        // the budget more): a nest's every level's input is read at the end, and holding them
        // all on a big picture may pass what the machine holds. Past it a stage is left
        // unfilled only where the reads stay linear; a graph whose schedule breaks that is
        // refused before any fill (holdsWithinCap, this schedule run dry).
        const bool underCap = m_capLifted || m_liveStores < 2 * kMinStores
                              || m_liveBytes + stage.memo->storeBytes() <= hardCapBytes(m_budget);
        const bool fills = fit || (readsUnfilled && underCap);
        if (m_dryRun && readsUnfilled && !linear && !fills)
            return 1;
        int filled = 0;
        if (fills && m_dryRun) {
            filled = 1;
        } else if (fills) {
            std::unique_ptr<std::uint32_t[]> spare;
            if (!m_spares.empty() && m_spareBytes == stage.memo->storeBytes()) {
                spare = std::move(m_spares.back());
                m_spares.pop_back();
            }
            filled = stage.memo->fill(m_threads, observer, std::move(spare));
            if (filled < 0) {
                m_spares.clear();
                return -1;
            }
        }
        if (filled > 0) {
            stage.live = true;
            m_live.push_back(int(index));
            m_liveBytes += stage.memo->storeBytes();
            ++m_liveStores;
            ++m_filled;
            m_peakLive = std::max(m_peakLive, m_liveStores);
            m_peakBytes = std::max(m_peakBytes, m_liveBytes);
            continue;
        }
        // A store that could not be had where the work needs one: refused as out of memory,
        // rather than reading down a chain of unfilled stages.
        if (readsUnfilled && !linear && stage.memo->storeBytes() > 0)
            throw std::bad_alloc();
        // Read through its row memo, it reads what its fill would have read, until its own
        // last reader: those stay (all filled, so such a read ends one unfilled stage down).
        stage.unfilled = true;
        stage.chainCalls = chainCalls;
        m_unfilledRead.push_back(int(index));
        ++m_unfilled;
        if (readsUnfilled)
            ++m_chained;
        for (int below : stage.reads) {
            Stage& read = m_stages[std::size_t(below)];
            read.lastUse = std::max(read.lastUse, stage.lastUse);
        }
    }
    if (m_nextReady == m_stages.size())
        m_spares.clear();
    return 0;
}

bool RenderStages::runDry(bool lean)
{
    // The schedule depends on the stages' sizes and reads alone, so it is run here without a
    // fill, in the order the render prepares its nodes, and everything put back.
    const std::vector<Stage> stages = m_stages;
    const std::size_t nextReady = m_nextReady;
    const std::vector<int> live = m_live;
    const std::vector<int> unfilledRead = m_unfilledRead;
    const std::size_t liveBytes = m_liveBytes;
    const int liveStores = m_liveStores;
    const int filled = m_filled;
    const int peakLive = m_peakLive;
    const int unfilled = m_unfilled;
    const int chained = m_chained;
    m_lean = lean;
    m_dryRun = true;
    m_peakBytes = m_liveBytes;
    int outcome = 0;
    for (int ordinal = 1; outcome == 0 && ordinal <= m_nextOrdinal; ++ordinal)
        outcome = advanceTo(ordinal, nullptr);
    if (outcome == 0)
        outcome = advanceTo(INT_MAX - 1, nullptr);
    m_dryRun = false;
    m_stages = stages;
    m_nextReady = nextReady;
    m_live = live;
    m_unfilledRead = unfilledRead;
    m_liveBytes = liveBytes;
    m_liveStores = liveStores;
    m_filled = filled;
    m_peakLive = peakLive;
    m_unfilled = unfilled;
    m_chained = chained;
    return outcome == 0;
}

bool RenderStages::holdsWithinCap()
{
    // Stages filled early because they fit the budget may take the room a later one needs
    // within the cap: filling only what must be filled may hold where that does not.
    if (runDry(false))
        return true;
    if (runDry(true))
        return true;
    m_lean = false;
    return false;
}

std::size_t RenderStages::capBytes() const
{
    // Every store has the picture's size; 2 * kMinStores of them may always be held.
    const std::size_t store = m_stages.empty() ? 0 : m_stages.front().memo->storeBytes();
    return std::max(hardCapBytes(m_budget), std::size_t(2 * kMinStores) * store);
}

std::size_t RenderStages::neededBytes()
{
    m_capLifted = true;
    runDry(true);
    m_capLifted = false;
    m_lean = false;
    return m_peakBytes;
}

} // namespace KelVyxNodes

#pragma once

#include "effects/PullRecord.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace KelNodes {
class Terminal;
}
namespace KelUtils {
class StatusObserver;
}

namespace KelVyxNodes {

class SharedOutputMemo;
class VyxNode;

// The stages of one render of a top-level graph. While inputs are resolved (upstream first),
// every output read through a SharedOutputMemo becomes a stage: outputs with several readers,
// inputs of nodes that read around the point, effect inputs read more than once, and any output
// whose pull depth (PullRecord) reached kCutDepth. Stages are filled in the order they were
// made, each right before the first node that reads it is prepared, so a read inside the image
// never goes more than kCutDepth calls down and every node output is computed a bounded number
// of times per point. A stage's store is given back once every node and stage that reads it
// has been prepared or filled (the row loop's own stages at the end of the render).
//
// Memory: at most kBudgetBytes of stores live at once (but always kMinStores). The stages that
// become ready together are filled when they all fit; otherwise those that can be are left
// unfilled and read through their row memos, with the same values, and the stages they read
// stay until their last reader is done, so that such a read ends at a filled store one unfilled
// stage down. A stage that reads an unfilled one is filled past the budget: no read goes down
// two unfilled stages in a row, so the work per point stays bounded; past the budget the
// stores held are those one fill reads (a stack or chain: a few, however deep; a nest, whose
// every level's input is read at the end: half of them), up to the hard cap. A graph whose
// schedule would need more is refused before any fill (holdsWithinCap). All is given back
// when the render ends.
class RenderStages
{
public:
    static constexpr int kCutDepth = 32;
    static constexpr std::size_t kBudgetBytes = std::size_t(512) << 20;
    static constexpr int kMinStores = 2;
    // Past the hard cap, the longest chain of unfilled stages a read may go down (each read
    // once per point): a call per level, so the work stays within a few passes per node.
    static constexpr int kMaxChain = 8;

    // The budget renders use (kBudgetBytes); tests set a smaller one to reach the unfilled path
    // on small pictures, and put it back.
    static std::size_t budgetBytes();
    // What stages that read unfilled ones may fill past the budget: half the budget more, or
    // 2 * kMinStores stores.
    static std::size_t hardCapBytes();
    static void setBudgetBytesForTests(std::size_t bytes);

    // Starts a render (the top graph's serial): forgets the last render's stages.
    void begin(unsigned long long serial, int threads);
    // Gives back every store; the stages are forgotten.
    void end();
    bool active(unsigned long long serial) const { return m_active && m_serial == serial; }
    unsigned long long serial() const { return m_serial; }

    // The stages of the render whose inputs this thread is resolving, or whose nodes it is
    // preparing; null outside. Each is set for the life of a Scope.
    enum class Phase { Resolving, Preparing };
    template <Phase phase>
    class Scope
    {
    public:
        explicit Scope(RenderStages* stages);
        ~Scope();
        Scope(Scope const&) = delete;
        Scope& operator=(Scope const&) = delete;

    private:
        RenderStages* m_previous;
    };
    using Resolving = Scope<Phase::Resolving>;
    using Preparing = Scope<Phase::Preparing>;
    static RenderStages* resolving();
    static RenderStages* preparing();

    // Resolution of one node: its place in preparation order, and a fresh record its reads
    // go to.
    void beginNode(VyxNode const* node);
    void endNode(VyxNode const* node);
    // The node being resolved, or null.
    VyxNode const* reader() const { return m_node; }
    // Where reads are noted now (the node being resolved, or a part of it).
    PullRecord* target() const { return m_target; }
    PullRecord* swapTarget(PullRecord* target);

    // host's record in this render, or null when it was not resolved in it.
    PullRecord const* recordOf(VyxNode const* host) const;
    // Whether a read of `upstream` has to go through a stage to keep depths bounded.
    static bool needsCut(PullRecord const* upstream) { return upstream && upstream->depth >= kCutDepth; }
    // A plain read of an output with the record `upstream` (null: a leaf).
    void readPlain(PullRecord const* upstream);
    // A read through `memo`, whose fill reads an output with the record `upstream`.
    void readStage(SharedOutputMemo const* memo, PullRecord const* upstream);
    // The stages the destination's row loop reads.
    void rowLoopReads(PullRecord const& record);
    // Keeps the stages `record` meets until the node of place `ordinal` has been prepared: a
    // preview sampled right after it reads them.
    void keepUntil(PullRecord const& record, int ordinal);
    // The place of the node resolved last.
    int lastOrdinal() const { return m_nextOrdinal; }

    // Fills the stages the node of preparation place `ordinal` may read and gives back the
    // stores nothing from there on reads. -1 when cancelled; std::bad_alloc when a stage that
    // reads an unfilled one gets no store.
    int advanceTo(int ordinal, KelUtils::StatusObserver* observer);
    // Whether every stage whose fill reads an unfilled stage gets a store within the hard cap
    // (the schedule of advanceTo over the whole render, run without filling anything; where it
    // does not, the schedule that fills only what must be filled is tried, and kept if it
    // does). Once every node is resolved, before the first advanceTo; a render it fails is
    // refused.
    bool holdsWithinCap();

    // Figures of the render (tests).
    int stageCount() const { return m_made; }
    int filledCount() const { return m_filled; }
    int peakLiveStores() const { return m_peakLive; }
    int unfilledCount() const { return m_unfilled; }
    // Unfilled stages reading unfilled ones: reads go down such a chain, a call per level.
    int chainedCount() const { return m_chained; }

private:
    struct Stage
    {
        SharedOutputMemo* memo;
        int readyAt;
        // The last preparation place that reads the store (extended for an unfilled reader).
        int lastUse;
        bool done;
        bool live;
        // Done, but without a store: read through the row memo.
        bool unfilled;
        // The stages its fill reads.
        std::vector<int> reads;
        // A reader reads it more than once per point: left unfilled in a chain of unfilled
        // stages, its reads would multiply the work below it by every level.
        bool readRepeatedly = false;
        // Unfilled, the number of unfilled stages a read of it goes down, itself included.
        int chain = 0;
    };
    int registerStage(SharedOutputMemo const* memo, PullRecord const* upstream);
    void release(int index);

    bool m_active = false;
    unsigned long long m_serial = 0;
    int m_threads = 1;
    int m_nextOrdinal = 0;
    VyxNode const* m_node = nullptr;
    PullRecord* m_target = nullptr;
    std::vector<Stage> m_stages;
    // Stages before this one are done (stages are made in the order they become ready).
    std::size_t m_nextReady = 0;
    std::vector<int> m_live;
    // Unfilled stages still read (their row memos are given back when they are not).
    std::vector<int> m_unfilledRead;
    // Stores given back, handed to later fills (their pages stay taken, where a new store would
    // fault every page in again); never more than the most stores held at once so far, and
    // freed once no stage is left to fill.
    std::vector<std::unique_ptr<std::uint32_t[]>> m_spares;
    std::size_t m_spareBytes = 0;
    std::size_t m_liveBytes = 0;
    int m_liveStores = 0;
    int m_filled = 0;
    int m_peakLive = 0;
    int m_made = 0;
    int m_unfilled = 0;
    int m_chained = 0;
    // holdsWithinCap is running the schedule: stores are counted, never made or given back.
    bool m_dryRun = false;
    // Past the budget, only kMinStores stores, and those that read unfilled stages, are filled:
    // where filling every stage that fits would not hold within the cap.
    bool m_lean = false;
};

} // namespace KelVyxNodes

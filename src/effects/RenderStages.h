#pragma once

#include "effects/InputRead.h"
#include "effects/PullRecord.h"

#include <QString>

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
// Memory: at most the budget of stores live at once (RenderMemory: it follows the memory the
// process may use; always kMinStores). The stages that become ready together are filled when
// they all fit; otherwise those that can be are left unfilled and read through their row memos,
// with the same values, and the stages they read stay until their last reader is done. A stage
// that reads an unfilled one is filled past the budget, up to the hard cap; past the cap it is
// left unfilled only where the reads stay linear (readsStayLinear, below), and otherwise the
// render is refused before any fill (holdsWithinCap; neededBytes says what it would need). All
// is given back when the render ends.
class RenderStages
{
public:
    static constexpr int kCutDepth = 32;
    static constexpr int kMinStores = 2;
    // The most calls a read may go down a chain of unfilled stages (the sum of their pull
    // depths): what the render threads' stacks hold (RenderStack), whatever the chain's length.
    static constexpr int kChainCalls = 8 * kCutDepth;

    // The budget the next render uses: the process's (RenderMemory), or the one a test set.
    static std::size_t budgetBytes();
    // What stages that read unfilled ones may fill past `budget`: half of it more.
    static std::size_t hardCapBytes(std::size_t budget) { return budget + budget / 2; }
    // Tests set a budget (a few stores, or a given machine's) so that none depends on this
    // machine's memory; kMachineBudget puts the process's back.
    static constexpr std::size_t kMachineBudget = SIZE_MAX;
    static void setBudgetBytesForTests(std::size_t bytes);

    // The invariant of every read past the budget: a read may go down a chain of unfilled
    // stages (a stage read through its row memo whose fill reads another such stage) only
    // where its cost stays linear in nodes x pixels: the stage is read, and its fill reads the
    // unfilled stage, at each point once or within a window whose rows are kept (both sweep
    // their input row by row, so each level computes each of its points about once), and the
    // chain's calls stay within kChainCalls. A read at other points or a repeated one would
    // multiply the reads of every level below it; such a stage is filled, or the render refused.
    static bool readsStayLinear(InputRead readBy, InputRead fillReads, int chainCalls)
    {
        const auto sweeps = [](InputRead read) { return read == InputRead::AtItsPoint || read == InputRead::InAWindow; };
        return sweeps(readBy) && sweeps(fillReads) && chainCalls <= kChainCalls;
    }

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
    // A read found while resolving that the render cannot make (an effect read before or
    // without its result): the first reason is kept and the render fails with it.
    void refuse(QString const& reason);
    QString const& refusal() const { return m_refusal; }

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
    // The picture memory the render would need at its peak with no cap (the schedule that
    // fills only what must be filled, run dry), and what it may use: the refusal's figures.
    std::size_t neededBytes();
    std::size_t capBytes() const;

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
        // How its readers read it, and how its fill reads the stages below it.
        InputRead readBy = InputRead::AtItsPoint;
        InputRead fillReads = InputRead::AtItsPoint;
        // Calls from the stage's output down to the stages its fill reads.
        int depth = 1;
        // Unfilled, the calls a read of it goes down to filled stores.
        int chainCalls = 0;
    };
    int registerStage(SharedOutputMemo const* memo, PullRecord const* upstream);
    void release(int index);
    // The schedule run without filling anything, everything put back; false where a stage
    // whose reads would not stay linear finds no store within the cap.
    bool runDry(bool lean);

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
    // This render's budget, and in a dry run with the cap lifted the peak of the stores held.
    std::size_t m_budget = 0;
    bool m_capLifted = false;
    std::size_t m_peakBytes = 0;
    QString m_refusal;
};

} // namespace KelVyxNodes

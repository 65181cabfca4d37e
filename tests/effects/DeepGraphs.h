#pragma once

// Graphs of one node type repeated `depth` times, as chains, stacks of effects and nests of
// effects, for the tests that render deep graphs (stack, work and memory bounds).

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace KelVyxNodes {
class VyxNodeGraph;
}

namespace EffectTest {

// A budget every stage of the tests' small pictures fits in: the render that fills them all.
constexpr std::size_t kEveryStageFits = std::size_t(512) << 20;

// Whether `reason` is a refusal for memory in figures ("this effect graph needs 3.1 kB of
// picture memory on a 16 × 12 picture; 2.3 kB may be used") on a picture of `size` that needs
// more than may be used; `needs` gets the most bytes the figure it names may stand for.
bool isMemoryRefusal(QString const& reason, QSize size, std::size_t* needs = nullptr);

// Sets the stages' budget for one scope, then gives renders the process's again.
class BudgetScope
{
public:
    explicit BudgetScope(std::size_t bytes);
    ~BudgetScope();
    BudgetScope(BudgetScope const&) = delete;
    BudgetScope& operator=(BudgetScope const&) = delete;
};

enum class Shape { Chain, Stack, Nest };
char const* shapeName(Shape shape);

// How a value goes through a node type: its input and output terminals of one kind (4 colour,
// 2 one channel). None for a type without an input and an output of the same kind.
struct Passage
{
    QString in;
    QString out;
    unsigned int kind = 4;
};
std::optional<Passage> passageOf(QString const& typeId);

// Made between the levels when asked: another node the value goes through.
using Between = std::function<KelNodes::Node*(KelVyxNodes::VyxNodeGraph*)>;

// Fills `root` (set up on `image`): its source, then `depth` nodes of `typeId` in `shape`
// (a chain in the root; one node in each of `depth` stacked effects; `depth` nodes, each in the
// effect inside the one before), to the root's destination. Effects blend by `blendMode` at
// `opacity`. `between` nodes (colour passages "in"/"out") sit in front of every level and before
// the destination. False when a link could not be made.
bool buildDeep(KelVyxNodes::VyxNodeGraph* root, QImage const* image, QString const& typeId, Passage const& passage,
               Shape shape, int depth, Between const& between = {}, int blendMode = 0, int opacity = 100);

// One node of each type in `types`, in that order, at every level (passages of one kind).
struct LevelNode
{
    QString typeId;
    Passage passage;
    // Sets the node's parameters once made (none: its defaults).
    std::function<void(KelNodes::Node*)> configure = {};
};
bool buildDeep(KelVyxNodes::VyxNodeGraph* root, QImage const* image, std::vector<LevelNode> const& types, Shape shape,
               int depth, Between const& between = {}, int blendMode = 0, int opacity = 100);

// `depth` effects stacked in `root`, each blending by `blendMode` at `opacity` and changing both
// its colour (an inversion) and its alpha (an inversion of the channel), so that a blend stages
// both inputs. `between` nodes sit in front of every effect's colour input and the destination's,
// `channelBetween` nodes (one-channel passages "in"/"out") in front of the alpha inputs.
bool buildTwoKindStack(KelVyxNodes::VyxNodeGraph* root, QImage const* image, int depth, Between const& between,
                       Between const& channelBetween, int blendMode, int opacity);

// A chain of `depth` fan-outs in `root`: each level (after a `between` node) is an inversion
// whose output is read by a brightness/contrast node and an arithmetic mix of both; with
// `skips`, the brightness/contrast node reads the level before's inversion instead, so that
// every inversion is read over two levels.
bool buildFanOuts(KelVyxNodes::VyxNodeGraph* root, int depth, Between const& between, bool skips = false);

// Passes its colour input (or, made for the channel, its one-channel input) on and counts the
// points it was asked for.
class CountingPassNode : public KelVyxNodes::VyxNode,
                         public KelVyxNodes::Base3DGenerator,
                         public KelVyxNodes::Base1DGenerator
{
public:
    explicit CountingPassNode(int id, bool channel = false);
    static inline KelNodes::NodeDescriptor m_descriptor{
        QStringLiteral("test.countingPass"), QUuid(QStringLiteral("{6a1f3e52-2222-4b7c-9d10-000000000002}")),
        QStringLiteral("Counting pass"), QString(), nullptr};

    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    KelVyxNodes::Base3DGenerator const* toBase3DGenerator() const override { return m_channel ? nullptr : this; }
    KelVyxNodes::Base1DGenerator const* toBase1DGenerator() const override { return m_channel ? this : nullptr; }
    void resolveInputs() override;

    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;
    unsigned int getSample(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;

    // Points asked for, by every counting node of the process.
    static std::atomic<long long>& asked();
    // The most counting nodes one thread has been inside at once: how far down a read went.
    static std::atomic<int>& deepest();
    // Once more points than this have been asked for, counting nodes read nothing more (zeros):
    // a test of a render whose work would grow without bound ends all the same.
    static std::atomic<long long>& fuse();

private:
    KelNodes::NodeParameterContainer m_container;
    bool m_channel;
    KelVyxNodes::Base3DGenerator const* m_input = nullptr;
    KelVyxNodes::Base1DGenerator const* m_input1D = nullptr;
};

} // namespace EffectTest
